// The directory selection dialog: the target directory, the drive's free space against the space the
// product needs, and the roads on to making a directory and to extracting.
#pragma once

#include "installation/Settings.h"
#include "toolkit/controls/Bevel.h"
#include "toolkit/controls/DirectoryListBox.h"
#include "toolkit/controls/DriveComboBox.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/Form.h"

#include <cstdint>

// windows.h keeps a 16-bit era macro of this name.
#undef GetFreeSpace

// Bytes available to the caller on the drive or share of a root path such as "c:\" or
// "\\server\share\"; 0 when the system cannot say.
std::uint64_t GetFreeSpace(const std::string& root);
// "4768 Mb" above one megabyte, "900 Kb" up to it; whole numbers, halves away from zero.
std::string FormatSize(std::uint64_t bytes);
// Whether the free bytes are more than the megabytes needed, counted as the dialog shows them: in
// whole megabytes, halves away from zero.
bool EnoughSpace(std::uint64_t freeBytes, int requiredMegabytes);

class TForm2 : public TForm {
public:
    TDriveComboBox* DriveComboBox1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TBevel* Bevel1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label4 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;
    TSpeedButton* SpeedButton3 = nullptr;

    TForm2();

    HANDLER(void, FormActivate)(TObject*) { Label4->SetCaption(Settings::SIZE + " Mb"); }
    HANDLER(void, DriveComboBox1Change)(TObject*) {
        // A directory on a network share has no drive letter: the share holds its space.
        char drive = DriveComboBox1->Drive();
        std::string root = drive ? std::string(1, drive) + ":\\" : DirectoryListBox1->Root();
        std::uint64_t free = GetFreeSpace(root);
        bool enough = EnoughSpace(free, StrToInt(Settings::SIZE));
        Label3->Font.SetColor(enough ? clBlack : clRed);
        Label3->SetCaption(FormatSize(free));
        SetCaption(enough ? "Select a Directory" : "Insufficient space on this disk!");
    }
    HANDLER(void, SpeedButton1Click)(TObject*) {
        Hide();
        ShowExtraction();
    }
    HANDLER(void, SpeedButton2Click)(TObject*) {
        ShowMakeDirectory();
        Hide();
    }
    HANDLER(void, SpeedButton3Click)(TObject*) { Close(); }

private:
    // Out of line: the headers of the dialogs this one gives way to include this one.
    void ShowExtraction();
    void ShowMakeDirectory();
};

extern TForm2* Form2;
