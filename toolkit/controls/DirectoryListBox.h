// The current directory as a tree: its path from the root, one folder per line, and its
// subdirectories below it. The process's current directory follows the list's.
#pragma once

#include "toolkit/SystemClassControl.h"

class TDriveComboBox;

class TDirectoryListBox : public TSystemClassControl {
public:
    TDirectoryListBox();
    ~TDirectoryListBox() override;

    // No trailing backslash except for a root; the drive letter in lower case.
    const std::string& Directory() const { return directory_; }
    // Also the process's current directory. Throws with the system's reason when it cannot be
    // entered, and then nothing changes.
    void SetDirectory(const std::string& path);
    // The lower-case letter of the directory's drive, or 0 for a network path.
    char Drive() const;
    // What the tree hangs from: "c:\" or "\\server\share\".
    std::string Root() const;

    void SetItemHeight(int height);

    TNotifyEvent OnChange;

    bool Notify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void Properties(PropertyWalk& walk) override;

protected:
    void FillCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TDriveComboBox;

    struct Entry {
        std::string name;
        int level;
        bool open; // on the path to the current directory, the current one included
    };

    void ReadTree();
    void Fill();
    void Open(int index);
    std::string PathOf(int index) const;
    void DrawItem(const DRAWITEMSTRUCT& item);

    std::string directory_;
    std::vector<Entry> entries_;
    int current_ = 0;
    int itemHeight_ = 16;
    OwnedIcon openIcon_;
    OwnedIcon closedIcon_;
    TDriveComboBox* driveCombo_ = nullptr;
};
