#include "Definition.h"
#include "Exception.h"

#include <gtest/gtest.h>

namespace {

std::string FailureOf(const std::string& text) {
    try {
        ParseDefinition(text, "test.window");
    } catch (const Exception& e) {
        return e.what();
    }
    return "no failure";
}

TEST(Definition, ReadsNestedObjectsAndEveryKindOfValue) {
    DefObject root =
        ParseDefinition("# a window\n"
                        "object Form1: TForm1\n"
                        "  Caption = \"Tab\\there \\\"quoted\\\" \\x41\\\\\"  # trailing comment\n"
                        "  Left = -12\n"
                        "  Color = 0x00FF80\n"
                        "  BorderIcons = []\n"
                        "  Font.Style = [fsBold, fsItalic]\n"
                        "  OnShow = FormShow\n"
                        "  object Image1: TImage\r\n"
                        "    Top = 7\r\n"
                        "  end\r\n"
                        "  object Menu: TPopupMenu\n"
                        "    object Item: TMenuItem\n"
                        "    end\n"
                        "  end\n"
                        "end\n",
                        "test.window");
    EXPECT_EQ(root.name, "Form1");
    EXPECT_EQ(root.kind, "TForm1");
    ASSERT_EQ(root.properties.size(), 6u);
    EXPECT_EQ(root.properties[0].value.String(), "Tab\there \"quoted\" A\\");
    EXPECT_EQ(root.properties[1].value.Int(), -12);
    EXPECT_EQ(root.properties[2].value.Color(), 0x00FF80);
    EXPECT_EQ(root.properties[3].value.Set({{"biSystemMenu", 1}}), 0u);
    EXPECT_EQ(root.properties[4].name, "Font.Style");
    EXPECT_EQ(root.properties[4].value.Set({{"fsBold", 1}, {"fsItalic", 2}}), 3u);
    EXPECT_EQ(root.properties[5].value.Name(), "FormShow");
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].properties[0].value.Int(), 7);
    EXPECT_EQ(root.children[1].children[0].kind, "TMenuItem");
}

TEST(Definition, FaultsNameTheLine) {
    EXPECT_EQ(FailureOf("object A: B\n  X = \"open\nend\n"), "test.window:2: string not closed");
    EXPECT_EQ(FailureOf("object A: B\n  X = 1\n"), "test.window:3: 'end' missing for A");
    EXPECT_EQ(FailureOf("object A: B\n  X 1\nend\n"), "test.window:2: '=' expected");
    EXPECT_EQ(FailureOf("object A: B\nend\nend\n"), "test.window:3: text after the last 'end'");
    EXPECT_EQ(FailureOf("object A: B\n  X = \"a\\q\"\nend\n"), "test.window:2: unknown escape \\q");
    EXPECT_EQ(FailureOf("object A: B\n  X = 99999999999\nend\n"), "test.window:2: number out of range");
    EXPECT_EQ(FailureOf("object A: B\n  X = 1 2\nend\n"), "test.window:2: end of line expected");
}

TEST(Definition, ValuesOfTheWrongShapeAreRefused) {
    DefObject root =
        ParseDefinition("object A: B\n  S = \"x\"\n  N = 3\n  E = bsMaybe\n  C = clPink\nend\n", "t");
    EXPECT_THROW(root.properties[0].value.Int(), Exception);
    EXPECT_THROW(root.properties[1].value.String(), Exception);
    EXPECT_THROW(root.properties[1].value.Bool(), Exception);
    EXPECT_THROW(root.properties[2].value.Enum({{"bsNone", 0}}), Exception);
    EXPECT_THROW(root.properties[3].value.Color(), Exception);
    EXPECT_EQ(root.properties[1].value.Color(), 3);
}

TEST(StrToInt, AcceptsWholeNumbersAndRefusesTheRestWithTheUsersText) {
    EXPECT_EQ(StrToInt("300"), 300);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "abc", "12a", "1 2", "2147483648", "-", "99999999999999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

} // namespace
