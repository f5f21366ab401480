#include "toolkit/controls/Edit.h"
#include "toolkit/Definition.h"
#include "toolkit/Exception.h"
#include "toolkit/Menu.h"

#include <gtest/gtest.h>

#include <array>

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
    EXPECT_EQ(root.properties[3].value.Set(std::to_array<EnumName<unsigned>>({{"biSystemMenu", 1}})), 0u);
    EXPECT_EQ(root.properties[4].name, "Font.Style");
    EXPECT_EQ(
        root.properties[4].value.Set(std::to_array<EnumName<unsigned>>({{"fsBold", 1}, {"fsItalic", 2}})),
        3u);
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
    EXPECT_EQ(FailureOf("object A: B\n  X = Ctrl+\nend\n"), "test.window:2: a name is expected");
}

TEST(Definition, ValuesOfTheWrongShapeAreRefused) {
    DefObject root =
        ParseDefinition("object A: B\n  S = \"x\"\n  N = 3\n  E = bsMaybe\n  C = clPink\nend\n", "t");
    EXPECT_THROW(root.properties[0].value.Int(), Exception);
    EXPECT_THROW(root.properties[1].value.String(), Exception);
    EXPECT_THROW(root.properties[1].value.Bool(), Exception);
    EXPECT_THROW(root.properties[2].value.Enum(std::to_array<EnumName<int>>({{"bsNone", 0}})), Exception);
    EXPECT_THROW(root.properties[3].value.Color(), Exception);
    EXPECT_EQ(root.properties[1].value.Color(), 3);
}

// A definition without handlers or references: naming either is a fault of the test.
class NothingBound : public Binder {
public:
    const std::any& Handler(const DefValue& name) override { name.Fail("no handlers here"); }
    void Reference(const DefValue& name, std::function<void(TComponent*)>) override {
        name.Fail("no references here");
    }
};

std::string Apply(TComponent& component, const DefProperty& property) {
    NothingBound binder;
    try {
        component.SetProperty(property.name, property.value, binder);
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

TEST(Properties, EachClassAndItsAncestorsTakeTheirOwnAndRefuseTheRestByLine) {
    DefObject root = ParseDefinition("object M: TMemo\n"
                                     "  ScrollBars = ssBoth\n"
                                     "  BorderStyle = bsNone\n"
                                     "  Text = \"first\"\n"
                                     "  TabOrder = 3\n"
                                     "  Left = 7\n"
                                     "  Font.Style = [fsBold, fsItalic]\n"
                                     "  Font.Charset = OEM_CHARSET\n"
                                     "  Font.Colour = clRed\n"
                                     "  ScrollBars = ssSome\n"
                                     "  Font.Style = [fsBold, fsHeavy]\n"
                                     "  Visible = 1\n"
                                     "end\n",
                                     "memo.window");
    TMemo memo;
    memo.Name = "M";
    memo.ClassName = "TMemo";
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(Apply(memo, root.properties[i]), "") << root.properties[i].name;
    EXPECT_EQ(memo.ScrollBars, ssBoth);
    EXPECT_EQ(memo.BorderStyle, cbNone);
    EXPECT_EQ(memo.Text(), "first");
    EXPECT_EQ(memo.TabOrder, 3);
    EXPECT_EQ(memo.Left(), 7);
    EXPECT_EQ(memo.Font.Style(), fsBold | fsItalic);
    EXPECT_EQ(memo.Font.Charset(), OEM_CHARSET);
    EXPECT_EQ(Apply(memo, root.properties[7]), "memo.window:9: TMemo M has no property Font.Colour");
    EXPECT_EQ(Apply(memo, root.properties[8]), "memo.window:10: unknown value 'ssSome'");
    EXPECT_EQ(Apply(memo, root.properties[9]), "memo.window:11: unknown set member 'fsHeavy'");
    EXPECT_EQ(Apply(memo, root.properties[10]), "memo.window:12: a name is expected");
    // A refused value leaves what was there.
    EXPECT_EQ(memo.ScrollBars, ssBoth);
    EXPECT_EQ(memo.Font.Style(), fsBold | fsItalic);
    EXPECT_TRUE(memo.Visible());
}

TEST(Properties, AShortcutIsWrittenAsTheMenuShowsIt) {
    DefObject root = ParseDefinition("object I: TMenuItem\n"
                                     "  ShortCut = Ctrl+I\n"
                                     "  ShortCut = Shift+Ctrl+Alt+7\n"
                                     "  ShortCut = Q\n"
                                     "  ShortCut = 16457\n"
                                     "  ShortCut = Ctrl+Shift+I\n"
                                     "  ShortCut = Ctrl+i\n"
                                     "  ShortCut = Ctrl+Insert\n"
                                     "end\n",
                                     "menu.window");
    TMenuItem item;
    EXPECT_EQ(Apply(item, root.properties[0]), "");
    EXPECT_EQ(item.ShortCut, 16457u); // the number the menu's inspection reports
    EXPECT_EQ(Apply(item, root.properties[1]), "");
    EXPECT_EQ(ShortCutToText(item.ShortCut), "Shift+Ctrl+Alt+7");
    EXPECT_EQ(Apply(item, root.properties[2]), "");
    EXPECT_EQ(item.ShortCut, TShortCut('Q'));
    EXPECT_EQ(Apply(item, root.properties[3]), "menu.window:5: a name is expected");
    const std::string kForm =
        ": a shortcut is Shift+, Ctrl+, Alt+ in this order, then a capital letter or a digit";
    EXPECT_EQ(Apply(item, root.properties[4]), "menu.window:6" + kForm);
    EXPECT_EQ(Apply(item, root.properties[5]), "menu.window:7" + kForm);
    EXPECT_EQ(Apply(item, root.properties[6]), "menu.window:8" + kForm);
    EXPECT_EQ(item.ShortCut, TShortCut('Q'));
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
