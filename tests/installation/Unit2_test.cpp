#include "installation/Unit2.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatSize, MegabytesAboveOneMegabyteKilobytesUpToIt) {
    EXPECT_EQ(FormatSize(5000000000ull), "4768 Mb");
    EXPECT_EQ(FormatSize(1048577), "1 Mb");
    EXPECT_EQ(FormatSize(1048576), "1024 Kb");
    EXPECT_EQ(FormatSize(1572864), "2 Mb"); // one and a half rounds away from zero
    EXPECT_EQ(FormatSize(900 * 1024), "900 Kb");
    EXPECT_EQ(FormatSize(1536), "2 Kb");
    EXPECT_EQ(FormatSize(0), "0 Kb");
    EXPECT_EQ(FormatSize(0xFFFFFFFFFFFFull), "268435456 Mb");
}

TEST(EnoughSpace, OnlyMoreMegabytesThanNeededAreEnough) {
    constexpr std::uint64_t mb = 1048576;
    const struct {
        std::uint64_t free;
        int needed;
        bool enough;
    } cases[] = {
        {300 * mb, 300, false},
        {301 * mb, 300, true},
        {300 * mb + mb / 2 - 1, 300, false}, // shown as 300
        {300 * mb + mb / 2, 300, true},      // shown as 301
        {900 * 1024, 300, false},
        {900 * 1024, 0, true},
        {0, 0, false},
        {5000000000ull, 4768, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EnoughSpace(c.free, c.needed), c.enough)
            << c.free << " bytes free, " << c.needed << " Mb needed";
}

TEST(GetFreeSpace, IsTheSystemsFigureAndNothingForADriveThatIsNotThere) {
    ULARGE_INTEGER available{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("c:\\", &available, nullptr, nullptr));
    // Other work on the machine moves the figure a little between the two readings.
    EXPECT_NEAR(static_cast<double>(GetFreeSpace("c:\\")), static_cast<double>(available.QuadPart),
                64.0 * 1048576);
    EXPECT_EQ(GetFreeSpace("q:\\"), 0u);
}

} // namespace
