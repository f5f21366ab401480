// The drives of the machine with their icons and volume labels, one of them chosen; linked to a
// directory list, it moves the list to the chosen drive and follows the list to other drives.
#pragma once

#include "toolkit/SystemClassControl.h"

class TDirectoryListBox;

class TDriveComboBox : public TSystemClassControl {
public:
    TDriveComboBox();
    ~TDriveComboBox() override;

    // The lower-case letter, or 0 while the current directory is a network path.
    char Drive() const { return drive_; }
    // Moves the linked list to the drive's current directory. When the list cannot enter it, the
    // failure is thrown and the box still shows the new drive.
    void SetDrive(char drive);

    void SetDirList(TDirectoryListBox* list);

    // Whenever the drive changes, and once when the window is made and the drives are first read.
    TNotifyEvent OnChange;

    void SetBounds(int left, int top, int width, int height) override;
    bool Notify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Properties(PropertyWalk& walk) override;

protected:
    void FillCreateParams(CreateParams& params) override;
    void HandleCreated() override;

private:
    friend class TDirectoryListBox;

    struct DriveItem {
        char letter;
        std::string text;
        OwnedIcon icon;
    };

    void ReadDrives();
    void DirectoryMoved(char drive);
    void Picked();
    void SelectDrive();
    void Place();
    void DrawItem(const DRAWITEMSTRUCT& item);

    char drive_ = 0;
    bool drivesRead_ = false;
    std::vector<DriveItem> drives_;
    TDirectoryListBox* dirList_ = nullptr;
};
