// The publisher's reader of install.ini against the platform's own function, on the same files: where
// they differ, the tool would judge a medium by settings the installer never sees.
#include "medium/Profile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Case {
    const char* what;
    std::string text;
    const char* key;
};

const std::string kLong(3000, 'x');

const Case kCases[] = {
    {"plain", "[OPTIONS]\r\nAPPZ......=Korvadel\r\n", "APPZ......"},
    {"lower case", "[options]\r\nappz......=Korvadel\r\n", "APPZ......"},
    {"stem without full stops", "[OPTIONS]\r\nAPPZ=Korvadel\r\n", "APPZ......"},
    {"blanks around", "[OPTIONS]\r\n  SIZE......  =\t 300  \t\r\n", "SIZE......"},
    {"double quotes", "[OPTIONS]\r\nNFO.......=\" a b.nfo \"\r\n", "NFO......."},
    {"single quotes", "[OPTIONS]\r\nNFO.......='a b.nfo'\r\n", "NFO......."},
    {"quotes that differ", "[OPTIONS]\r\nNFO.......=\"a b.nfo'\r\n", "NFO......."},
    {"a lone quote", "[OPTIONS]\r\nNFO.......=\"\r\n", "NFO......."},
    {"an equals sign in the value", "[OPTIONS]\r\nDIR.......=a=b\r\n", "DIR......."},
    {"empty value", "[OPTIONS]\r\nREG.......=\r\n", "REG......."},
    {"no equals sign", "[OPTIONS]\r\nREG.......\r\n", "REG......."},
    {"other section first", "[OTHER]\r\nAPPZ......=x\r\n[OPTIONS]\r\nAPPZ......=y\r\n", "APPZ......"},
    {"key twice", "[OPTIONS]\r\nAPPZ......=first\r\nAPPZ......=second\r\n", "APPZ......"},
    {"section twice", "[OPTIONS]\r\nAPPZ......=a\r\n[X]\r\n[OPTIONS]\r\nDIR.......=b\r\n", "DIR......."},
    {"blanks inside the brackets", "[ OPTIONS ]\r\nAPPZ......=x\r\n", "APPZ......"},
    {"text after the bracket", "[OPTIONS] ; main\r\nAPPZ......=x\r\n", "APPZ......"},
    {"no closing bracket", "[OPTIONS]\r\n[NEXT\r\nAPPZ......=x\r\n", "APPZ......"},
    {"line feeds only, no last one", "[OPTIONS]\nAPPZ......=a\nDIR.......=b", "DIR......."},
    {"a commented-out key", "[OPTIONS]\r\n;APPZ......=x\r\n", "APPZ......"},
    {"end-of-file mark", "[OPTIONS]\r\nFILES.....=3\x1a", "FILES....."},
    {"UTF-8 mark", "\xEF\xBB\xBF[OPTIONS]\r\nAPPZ......=x\r\n", "APPZ......"},
    {"no section", "APPZ......=x\r\n", "APPZ......"},
    {"a value longer than the buffer", "[OPTIONS]\r\nSCRTXT....=" + kLong + "\r\n", "SCRTXT...."},
};

TEST(Profile, ReadsWhatThePlatformReads) {
    const fs::path folder =
        fs::temp_directory_path() / ("profile-test-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    const char* missing = "(missing)";
    int n = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        // A file of its own for each case: the platform keeps a profile it has read by its name.
        const fs::path file = folder / ("case" + std::to_string(n++) + ".ini");
        std::ofstream(file, std::ios::binary) << c.text;
        char buffer[2048];
        DWORD length =
            GetPrivateProfileStringA("OPTIONS", c.key, missing, buffer, sizeof buffer, file.string().c_str());
        EXPECT_EQ(ProfileValue(c.text, "OPTIONS", c.key, sizeof buffer).value_or(missing),
                  std::string(buffer, length));
    }
    fs::remove_all(folder);
}

} // namespace
