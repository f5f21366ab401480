#include "toolkit/Jpeg.h"

#include "toolkit/Exception.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf failed;
};

[[noreturn]] void Fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->failed, 1);
}

} // namespace

Picture DecodeJpeg(std::string_view data) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = Fail;
    Picture picture;
    // Nothing with a destructor may live between setjmp and a failure: the picture is made before.
    if (setjmp(errors.failed)) {
        char message[JMSG_LENGTH_MAX];
        errors.base.format_message(reinterpret_cast<j_common_ptr>(&info), message);
        jpeg_destroy_decompress(&info);
        throw Exception(std::string("Cannot read a picture: ") + message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(&picture.pixels[info.output_scanline * picture.width]);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return picture;
}
