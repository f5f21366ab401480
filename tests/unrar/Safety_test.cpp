// Archives made to write elsewhere: absolute, drive, UNC and ".." names, streams and links. Nothing
// may appear outside the destination, whether it is given or the current folder.
#include "UnrarTest.h"

#include <gtest/gtest.h>

using namespace unrartest;

namespace {

class HostileSet : public testing::TestWithParam<const char*> {};

TEST_P(HostileSet, WritesOnlyBelowTheDestination) {
    const fs::path set = Fixtures() / GetParam();
    for (bool currentFolder : {false, true}) {
        SCOPED_TRACE(currentFolder ? "current folder" : "given folder");
        // The destination lies three levels down, so that a climb out of it lands where it is seen.
        TempFolder scratch;
        const fs::path out = scratch.Path() / "a" / "b" / "out";
        fs::create_directories(out);
        const fs::path before = fs::current_path();
        if (currentFolder)
            fs::current_path(out);
        ArchiveRun run = RunArchive(VolumesOf(set).front(), currentFolder ? fs::path() : out);
        fs::current_path(before);
        EXPECT_EQ(run.end, RarEndOfArchive);

        Tree want = {{"a", "<dir>"}, {"a/b", "<dir>"}, {"a/b/out", "<dir>"}};
        for (const auto& [name, bytes] : ReadTree(set.string() + ".expected"))
            want["a/b/out/" + name] = bytes;
        EXPECT_EQ(Difference(ReadTree(scratch.Path()), want), "");
        // Nothing was written beside the volumes either.
        EXPECT_EQ(ReadTree(set).size(), VolumesOf(set).size());
    }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, HostileSet, testing::Values("rar5-hostile", "rar4-hostile"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[3] == '5' ? "rar5" : "rar4");
                         });

} // namespace
