// What Windows reads of the kit's binaries before any of their code runs, in each build tree that has
// them: the program's manifest, the characteristics that copy an image started from a disc or a share
// to the swap file, and the oldest Windows the headers admit.
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <vector>

namespace {

constexpr const char* kKit[] = {"install.exe", "install.dll", "unrar.dll"};

// Each build tree's binaries as linked, and the kit made of them (stripped) where it was made.
struct Tree {
    const char* name;
    const char* variable;
    const char* directory;
    const char* maker;
};
constexpr Tree kTrees[] = {
    {"x86_64", "KORVADEL_BUILD", "bin", "tools/build.sh"},
    {"i686", "KORVADEL_BUILD_I686", "bin", "tools/build.sh"},
    {"x86_64_kit", "KORVADEL_BUILD", "dist", "tools/dist.sh x86_64"},
    {"i686_kit", "KORVADEL_BUILD_I686", "dist", "tools/dist.sh i686"},
};
void PrintTo(const Tree& tree, std::ostream* out) {
    *out << tree.name;
}

class Binaries : public ::testing::TestWithParam<Tree> {
protected:
    void SetUp() override {
        const Tree& tree = GetParam();
        const char* build = std::getenv(tree.variable);
        ASSERT_TRUE(build && *build) << tree.variable << " is not set: run the test through ctest";
        directory = driver::WindowsPathOf(build) + "\\" + tree.directory + "\\";
        if (GetFileAttributesA(Path("install.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no " << directory << "install.exe: " << tree.maker << " makes it";
    }

    std::string Path(const char* binary) const { return directory + binary; }

    std::vector<char> Read(const char* binary) const {
        std::ifstream file(Path(binary), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::string directory;
};

// The file header and the fields of the optional header that PE32 and PE32+ hold alike.
struct Headers {
    IMAGE_FILE_HEADER file{};
    IMAGE_OPTIONAL_HEADER32 optional{};
};

Headers HeadersOf(const std::vector<char>& image) {
    Headers headers;
    IMAGE_DOS_HEADER dos{};
    DWORD signature = 0;
    if (image.size() < sizeof dos)
        return headers;
    std::memcpy(&dos, image.data(), sizeof dos);
    std::size_t at = std::size_t(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || image.size() < at + sizeof signature + sizeof headers)
        return headers;
    std::memcpy(&signature, image.data() + at, sizeof signature);
    if (signature != IMAGE_NT_SIGNATURE)
        return headers;
    std::memcpy(&headers.file, image.data() + at + sizeof signature, sizeof headers.file);
    std::memcpy(&headers.optional, image.data() + at + sizeof signature + sizeof headers.file,
                sizeof headers.optional);
    return headers;
}

TEST_P(Binaries, RunFromTheSwapFileOffRemovableAndNetworkMedia) {
    for (const char* binary : kKit) {
        WORD characteristics = HeadersOf(Read(binary)).file.Characteristics;
        EXPECT_TRUE(characteristics & IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP) << Path(binary);
        EXPECT_TRUE(characteristics & IMAGE_FILE_NET_RUN_FROM_SWAP) << Path(binary);
    }
}

TEST_P(Binaries, AreForVistaAndLater) {
    for (const char* binary : kKit) {
        const IMAGE_OPTIONAL_HEADER32& optional = HeadersOf(Read(binary)).optional;
        EXPECT_EQ(optional.MajorSubsystemVersion, 6) << Path(binary);
        EXPECT_EQ(optional.MinorSubsystemVersion, 0) << Path(binary);
        EXPECT_EQ(optional.MajorOperatingSystemVersion, 6) << Path(binary);
        EXPECT_EQ(optional.MinorOperatingSystemVersion, 0) << Path(binary);
    }
}

BOOL CALLBACK CountLanguages(HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountNames(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR count) {
    EXPECT_TRUE(IS_INTRESOURCE(name) && LOWORD(name) == 1) << "a manifest not of id 1";
    EnumResourceLanguagesA(module, type, name, CountLanguages, count);
    return TRUE;
}

TEST_P(Binaries, TheProgramsManifestRunsItAsInvokedForWindows7To11Unscaled) {
    HMODULE module = LoadLibraryExA(Path("install.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << GetLastError();
    int manifests = 0;
    EnumResourceNamesA(module, RT_MANIFEST, CountNames, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    std::string manifest;
    if (found)
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(module, found))),
                        SizeofResource(module, found));
    FreeLibrary(module);

    const char* expected[] = {
        R"(<requestedExecutionLevel\s+level="asInvoker"\s+uiAccess="false"\s*/>)",
        R"(<supportedOS\s+Id="\{35138b9a-5d96-4fbd-8e2d-a2440225f93a\}"\s*/>)", // Windows 7
        R"(<supportedOS\s+Id="\{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38\}"\s*/>)", // Windows 8
        R"(<supportedOS\s+Id="\{1f676c76-80e1-4239-95bb-83d0f6d0da78\}"\s*/>)", // Windows 8.1
        R"(<supportedOS\s+Id="\{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a\}"\s*/>)", // Windows 10 and 11
        R"(<dpiAware\s+xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings"\s*>\s*false\s*</dpiAware>)",
    };
    for (const char* element : expected)
        EXPECT_TRUE(std::regex_search(manifest, std::regex(element))) << element << " not in:\n" << manifest;
}

INSTANTIATE_TEST_SUITE_P(Trees, Binaries, ::testing::ValuesIn(kTrees),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
