/* Extracts a RAR volume set with native libarchive, as the baseline of the unrar.dll bench:
 *   la_extract DESTINATION VOLUME...
 * The volumes are given in order; libarchive reads them as one stream. */
#include <archive.h>
#include <archive_entry.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static char buffer[1 << 20];

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s DESTINATION VOLUME...\n", argv[0]);
        return 2;
    }
    struct archive* in = archive_read_new();
    struct archive* out = archive_write_disk_new();
    archive_read_support_format_rar(in);
    archive_read_support_format_rar5(in);
    archive_write_disk_set_options(out, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                            ARCHIVE_EXTRACT_SECURE_SYMLINKS);
    /* libarchive opens each volume when it reaches it, after the change of directory. */
    for (int i = 2; i < argc; ++i) {
        char* absolute = realpath(argv[i], NULL);
        if (!absolute) {
            perror(argv[i]);
            return 2;
        }
        argv[i] = absolute;
    }
    const char** names = (const char**)(argv + 2);
    if (archive_read_open_filenames(in, names, 1 << 20) != ARCHIVE_OK) {
        fprintf(stderr, "%s\n", archive_error_string(in));
        return 1;
    }
    if (chdir(argv[1]) != 0) {
        perror(argv[1]);
        return 2;
    }
    int failed = 0;
    struct archive_entry* entry;
    int r;
    while ((r = archive_read_next_header(in, &entry)) == ARCHIVE_OK || r == ARCHIVE_WARN) {
        if (archive_write_header(out, entry) != ARCHIVE_OK) {
            failed = 1;
            continue;
        }
        la_ssize_t n;
        while ((n = archive_read_data(in, buffer, sizeof buffer)) > 0)
            archive_write_data(out, buffer, (size_t)n);
        if (n < 0) {
            fprintf(stderr, "%s: %s\n", archive_entry_pathname(entry), archive_error_string(in));
            failed = 1;
            break;
        }
        archive_write_finish_entry(out);
    }
    if (r != ARCHIVE_EOF && r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        fprintf(stderr, "%s\n", archive_error_string(in));
        failed = 1;
    }
    archive_read_free(in);
    archive_write_free(out);
    return failed;
}
