#include "tests/driver/Driver.h"
#include "toolkit/Application.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/StandardKinds.h"
#include "toolkit/Form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

// A frame of double lines around a letter, in the OEM code page.
const std::string kFrame = "\xC9\xCD\xCD\xCD\xBB\r\n\xBA A \xBA\r\n\xC8\xCD\xCD\xCD\xBC";

// A face "Terminal" in the OEM character set for this process alone, as Windows has it: a raster font
// of 8 by 12 cells whose frame characters are lines meeting in the middle of the cell's edges. Every
// other character is blank.
class OemTerminal {
public:
    OemTerminal() {
        const int width = 8, height = 12, glyphs = 257, table = 118, bits = table + 4 * glyphs;
        const int face = bits + glyphs * height;
        std::vector<unsigned char> font(face + sizeof "Terminal");
        auto word = [&](int at, int value) {
            font[at] = static_cast<unsigned char>(value);
            font[at + 1] = static_cast<unsigned char>(value >> 8);
        };
        word(0, 0x200); // version 2
        word(2, static_cast<int>(font.size()));
        word(68, 9);  // points
        word(70, 96); // vertical and horizontal resolution
        word(72, 96);
        word(74, 10); // ascent
        word(83, FW_NORMAL);
        font[85] = OEM_CHARSET;
        word(86, width);
        word(88, height);
        font[90] = FIXED_PITCH | FF_MODERN;
        word(91, width); // average and widest
        word(93, width);
        font[96] = 255; // last character
        font[98] = ' '; // break character
        word(105, face);
        word(113, bits);
        for (int c = 0; c < glyphs; ++c) {
            word(table + 4 * c, width);
            word(table + 4 * c + 2, bits + c * height);
            bool up = c == 0xBA || c == 0xC8 || c == 0xBC, down = c == 0xBA || c == 0xC9 || c == 0xBB;
            bool left = c == 0xCD || c == 0xBB || c == 0xBC, right = c == 0xCD || c == 0xC9 || c == 0xC8;
            for (int y = 0; y < height; ++y) {
                unsigned char row = ((up && y <= 5) || (down && y >= 5)) ? 0x10 : 0;
                if (y == 5)
                    row |= (left ? 0xF0 : 0) | (right ? 0x1F : 0);
                font[bits + c * height + y] = row;
            }
        }
        std::memcpy(&font[face], "Terminal", sizeof "Terminal");
        DWORD faces = 0;
        handle_ = AddFontMemResourceEx(font.data(), static_cast<DWORD>(font.size()), nullptr, &faces);
    }
    ~OemTerminal() { RemoveFontMemResourceEx(handle_); }
    OemTerminal(const OemTerminal&) = delete;
    OemTerminal& operator=(const OemTerminal&) = delete;
    bool Added() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

class TOemForm : public TForm {
public:
    TMemo* Memo1 = nullptr;

    TOemForm(const char* face, int height, BYTE charset) : TForm("TOemForm") {
        RegisterStandardKinds();
        Load({Field("Memo1", Memo1)});
        Memo1->Font.SetName(face);
        Memo1->Font.SetHeight(height);
        Memo1->Font.SetCharset(charset);
        Memo1->SetText(kFrame);
    }
    std::string Drawn() const {
        InspectRecord record;
        Memo1->Describe(record);
        for (const auto& [key, value] : record)
            if (key == "drawn.face")
                return value;
        return "";
    }
};

void Pump() {
    for (int i = 0; i < 20; ++i) {
        Application.ProcessMessages();
        Sleep(10);
    }
}

TEST(OemText, AStandInFaceDrawsTheFramesOnlyWhereTheSystemHasNoOemFace) {
    // Each case asks for a height of its own: the system keeps realised fonts for reuse, and would
    // answer a font asked for again from before the face was added.
    const struct {
        const char* what;
        const char* face;
        int height;
        BYTE charset;
        bool oemFaceThere;
        const char* drawnFace;
        bool standIn;
        bool frame;
    } cases[] = {
        {"an OEM font the system lacks", "Terminal", -11, OEM_CHARSET, false, "Courier New", true, true},
        {"an OEM font the system has", "Terminal", -12, OEM_CHARSET, true, "Terminal", false, true},
        {"a font of another character set", "MS Sans Serif", -11, DEFAULT_CHARSET, false, "MS Sans Serif",
         false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<OemTerminal> terminal;
        if (c.oemFaceThere) {
            ASSERT_TRUE(terminal.emplace().Added());
        }
        TOemForm form(c.face, c.height, c.charset);
        form.Show();
        Pump();
        HWND memo = form.Memo1->Handle();
        EXPECT_EQ(form.Drawn(), c.drawnFace);
        EXPECT_EQ(IsWindowUnicode(memo) != FALSE, c.standIn);
        EXPECT_EQ(form.Memo1->Text(), kFrame);
        // As a frame the outer line is one stroke around everything drawn; as letters, the first
        // stroke is a piece of the first letter.
        driver::Pixels shown = driver::Capture(memo, false);
        RECT stroke = driver::StrokeBounds(shown, 0x808080);
        RECT all = driver::ColorBounds(shown, 0x808080);
        int lineHeight = HIWORD(SendMessageA(memo, EM_POSFROMCHAR, 7, 0));
        EXPECT_EQ(EqualRect(&stroke, &all) && stroke.bottom - stroke.top > lineHeight, c.frame)
            << "first stroke " << stroke.left << "," << stroke.top << "-" << stroke.right << ","
            << stroke.bottom << " of everything drawn " << all.left << "," << all.top << "-" << all.right
            << "," << all.bottom;
        form.Hide();
    }
}

} // namespace
