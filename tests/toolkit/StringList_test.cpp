#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines(const TStringList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

TEST(StringList, TextBreaksAtEveryKindOfLineEnd) {
    TStringList list;
    list.SetText("one\r\ntwo\nthree\rfour");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "two", "three", "four"}));
    list.SetText("a\r\n\r\nb\r\n");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetText(std::string("before\0after", 12));
    EXPECT_EQ(Lines(list), std::vector<std::string>{"before"});
}

TEST(StringList, ASortedListKeepsOrderAndTakesNoNameTwiceWhateverItsCase) {
    TStringList list;
    list.SetSorted(true);
    for (const char* name : {"Data\\Maps.pak", "readme.txt", "DATA\\maps.PAK", "Bin\\game.exe", "README.TXT"})
        list.Add(name);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"Bin\\game.exe", "Data\\Maps.pak", "readme.txt"}));
    int index = -1;
    EXPECT_TRUE(list.Find("data\\maps.pak", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find("maps.pak", index));
    EXPECT_FALSE(list.Find("Data", index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(list.IndexOf("BIN\\GAME.EXE"), 0);
    EXPECT_EQ(list.IndexOf("zzz"), -1);
}

TEST(StringList, AssignCopiesAndChangesAreAnnounced) {
    TStringList source, copy;
    source.SetText("b\na\nb");
    int changes = 0;
    copy.OnChange = [&] { ++changes; };
    copy.SetSorted(true);
    copy.Assign(source);
    EXPECT_EQ(Lines(copy), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(source.Count(), 3);
    EXPECT_GE(changes, 1);
    changes = 0;
    copy.Delete(0);
    copy.Clear();
    EXPECT_EQ(changes, 2);
    EXPECT_THROW(copy.Delete(0), Exception);
}

} // namespace
