#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using driver::ParseInspection;

TEST(InspectionParse, FormThenComponentsInCreationOrder) {
    auto inspection = ParseInspection("name=Form1\tkind=TForm\tcaption=Setup\n"
                                      "name=Label1\tkind=TLabel\tbounds=8,16,120,13\tvisible=1\n"
                                      "name=Image1\tkind=TImage\tvisible=0");
    EXPECT_EQ(inspection.form, (driver::Record{{"name", "Form1"}, {"kind", "TForm"}, {"caption", "Setup"}}));
    ASSERT_EQ(inspection.components.size(), 2u);
    EXPECT_EQ(inspection.components[0].at("name"), "Label1");
    EXPECT_EQ(inspection.components[0].at("bounds"), "8,16,120,13");
    EXPECT_EQ(inspection.components[1].at("name"), "Image1");
    EXPECT_EQ(inspection.components[1].at("visible"), "0");
}

TEST(InspectionParse, ValuesKeepEverythingAfterTheFirstEquals) {
    auto inspection = ParseInspection("name=F\tkind=TForm\n"
                                      "name=L\tkind=TLabel\tcaption=\thint=a=b=\tfont.name=MS Sans Serif");
    const auto& label = inspection.Find("L");
    EXPECT_EQ(label.at("caption"), "");
    EXPECT_EQ(label.at("hint"), "a=b=");
    EXPECT_EQ(label.at("font.name"), "MS Sans Serif");
}

TEST(InspectionParse, EscapesDecodeToTheCharactersTheyStandFor) {
    auto inspection = ParseInspection("name=F\tkind=TForm\n"
                                      "name=L\tcaption=one\\ttwo\\nthree\\r\\nC:\\\\Games\\\\\\\\x");
    EXPECT_EQ(inspection.Find("L").at("caption"), "one\ttwo\nthree\r\nC:\\Games\\\\x");
}

TEST(InspectionParse, ATrailingLineFeedEndsTheLastRecord) {
    auto inspection = ParseInspection("name=F\tkind=TForm\nname=L\tkind=TLabel\n");
    EXPECT_EQ(inspection.components.size(), 1u);
}

TEST(InspectionParse, MalformedTextIsRejected) {
    const char* const malformed[] = {
        "",                                          // nothing at all
        "name=F\tkind=TForm\nname=L\tvisible",       // a field without '='
        "name=F\tkind=TForm\nname=L\t=1",            // a value without a key
        "name=F\tkind=TForm\nname=L\tcaption=a\\qb", // an unknown escape
        "name=F\tkind=TForm\nname=L\tcaption=a\\",   // a backslash ending the value
        "name=F\tkind=TForm\nname=L\tname=M",        // a key given twice
        "name=F\tkind=TForm\n\nname=L",              // an empty line
        "kind=TForm\nname=L",                        // a form without a name
        "name=F\nname=L",                            // a form without a kind
    };
    for (const char* text : malformed)
        EXPECT_THROW(ParseInspection(text), std::runtime_error) << "accepted: " << text;
}

TEST(InspectionFind, NamesWhatIsThereWhenAComponentIsMissing) {
    auto inspection = ParseInspection("name=F\tkind=TForm\nname=Label1\nkind=TBevel\nname=Image1");
    try {
        inspection.Find("Button1");
        FAIL() << "found a component that is not there";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Label1 (unnamed) Image1"), std::string::npos)
            << error.what();
    }
}

TEST(InspectionFind, RefusesAnAmbiguousName) {
    auto inspection = ParseInspection("name=F\tkind=TForm\nname=Label1\tcaption=a\nname=Label1\tcaption=b");
    EXPECT_THROW(inspection.Find("Label1"), std::runtime_error);
}

TEST(InspectionField, AMissingKeyNamesTheRecord) {
    auto inspection = ParseInspection("name=F\tkind=TForm\nname=Label1\tcaption=a");
    EXPECT_EQ(driver::Field(inspection.Find("Label1"), "caption"), "a");
    try {
        driver::Field(inspection.Find("Label1"), "hint");
        FAIL() << "read a key that is not there";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Label1"), std::string::npos) << error.what();
    }
}

} // namespace
