// The directory selection dialog: the target directory, the drive's free space against the space the
// product needs, and the roads on to making a directory and to extracting.
#pragma once

#include "toolkit/controls/Bevel.h"
#include "toolkit/controls/DirectoryListBox.h"
#include "toolkit/controls/DriveComboBox.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/Form.h"

#include <cstdint>

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

    void FormActivate(TObject* Sender);
    void DriveComboBox1Change(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void SpeedButton3Click(TObject* Sender);
};

extern TForm2* Form2;

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
