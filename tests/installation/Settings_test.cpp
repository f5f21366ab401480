#include "installation/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <windows.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        directory_ = std::string(temp) + "korvadel-settings-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(directory_.c_str(), nullptr);
        for (std::string* setting :
             {&Settings::APPZ, &Settings::SIZE, &Settings::DIR, &Settings::FILERAR, &Settings::NFO,
              &Settings::REG, &Settings::SCRTXT, &Settings::FILES, &Settings::RegPath})
            setting->clear();
    }
    void TearDown() override {
        DeleteFileA((directory_ + "install.ini").c_str());
        RemoveDirectoryA(directory_.c_str());
    }
    void Load(const std::string& ini) {
        std::ofstream(directory_ + "install.ini", std::ios::binary) << ini;
        Settings::LoadFrom(directory_);
    }

    std::string directory_;
};

TEST_F(SettingsTest, ReadsAllEightKeysAndFormsTheRegistryPath) {
    Load("[OPTIONS]\r\nAPPZ......=Korvadel\r\nSIZE......=350\r\nDIR.......=Games\r\nFILERAR...=game.rar\r\n"
         "NFO.......=korvadel.nfo\r\nREG.......=korvadel.reg\r\nSCRTXT....=Welcome "
         "aboard\r\nFILES.....=3\r\n");
    EXPECT_EQ(Settings::APPZ, "Korvadel");
    EXPECT_EQ(Settings::SIZE, "350");
    EXPECT_EQ(Settings::DIR, "Games");
    EXPECT_EQ(Settings::FILERAR, "game.rar");
    EXPECT_EQ(Settings::NFO, "korvadel.nfo");
    EXPECT_EQ(Settings::REG, "korvadel.reg");
    EXPECT_EQ(Settings::SCRTXT, "Welcome aboard");
    EXPECT_EQ(Settings::FILES, "3");
    EXPECT_EQ(Settings::RegPath, directory_ + "korvadel.reg");
}

TEST_F(SettingsTest, KeysAreTheFullTenCharacterNamesInAnyCase) {
    Load("[options]\nappz......=lower case\nSIZE=300\nDIR..=Games\n");
    EXPECT_EQ(Settings::APPZ, "lower case");
    EXPECT_EQ(Settings::SIZE, "");
    EXPECT_EQ(Settings::DIR, "");
}

TEST_F(SettingsTest, ValuesAreTrimmedUnquotedAndCutTo250Characters) {
    std::string longName(300, 'x');
    longName[249] = 'y';
    Load("[OPTIONS]\nAPPZ......=" + longName +
         "\nSIZE......=   300   \nDIR.......=\"Quoted Games\"\n"
         "SCRTXT....=\nNFO.......='single'\n");
    EXPECT_EQ(Settings::APPZ.size(), 250u);
    EXPECT_EQ(Settings::APPZ.back(), 'y');
    EXPECT_EQ(Settings::SIZE, "300");
    EXPECT_EQ(Settings::DIR, "Quoted Games");
    EXPECT_EQ(Settings::SCRTXT, "");
    EXPECT_EQ(Settings::NFO, "single");
}

TEST_F(SettingsTest, AValueOfMoreThanTheReadBufferStillGivesItsFirst250Characters) {
    Load("[OPTIONS]\nAPPZ......=" + std::string(3000, 'z') + "\nSIZE......=12\n");
    EXPECT_EQ(Settings::APPZ, std::string(250, 'z'));
    EXPECT_EQ(Settings::SIZE, "12");
}

TEST_F(SettingsTest, MissingFileSectionOrKeysLeaveEmptySettings) {
    Settings::LoadFrom(directory_);
    EXPECT_EQ(Settings::APPZ, "");
    EXPECT_EQ(Settings::RegPath, directory_);
    Load("[OTHER]\nAPPZ......=elsewhere\n[OPTIONS]\nSIZE......=1\n");
    EXPECT_EQ(Settings::APPZ, "");
    EXPECT_EQ(Settings::REG, "");
    EXPECT_EQ(Settings::RegPath, directory_);
}

TEST_F(SettingsTest, NoneIsKeptAsWrittenForTheExtractionDialogToJudge) {
    Load("[OPTIONS]\nREG.......=none\n");
    EXPECT_EQ(Settings::RegPath, directory_ + "none");
}

} // namespace
