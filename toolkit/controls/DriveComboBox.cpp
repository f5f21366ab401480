#include "toolkit/controls/DriveComboBox.h"

#include "toolkit/Application.h"
#include "toolkit/controls/DirectoryListBox.h"
#include "toolkit/Properties.h"
#include "toolkit/ShellFunctions.h"
#include "toolkit/Text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// How many drives the dropped list shows before it scrolls.
constexpr int kDroppedItems = 8;

char Lower(char letter) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

char CurrentDrive() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetCurrentDirectoryA(sizeof path, path);
    return length >= 2 && length < sizeof path && path[1] == ':' ? Lower(path[0]) : '\0';
}

// The directory the drive was left in, or its root.
std::string DriveDirectory(char drive) {
    char relative[] = {drive, ':', '\0'};
    char path[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameA(relative, sizeof path, path, nullptr);
    return length && length < sizeof path ? std::string(path, length) : std::string(relative) + "\\";
}

// The dropped list's entries are at least as high as the icons.
int ListItemHeight(const TFont& font) {
    return std::max(16, static_cast<int>(font.Metrics().tmHeight));
}

} // namespace

TDriveComboBox::TDriveComboBox() {
    drive_ = CurrentDrive();
}

TDriveComboBox::~TDriveComboBox() {
    SetDirList(nullptr);
    // The window draws with the icons until it is gone.
    DestroyHandle();
}

void TDriveComboBox::SetDrive(char drive) {
    drive = Lower(drive);
    if (drive == drive_)
        return;
    drive_ = drive;
    SelectDrive();
    if (dirList_)
        dirList_->SetDirectory(DriveDirectory(drive_));
    if (OnChange)
        OnChange(this);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    if (dirList_)
        dirList_->driveCombo_ = nullptr;
    dirList_ = list;
    if (!list)
        return;
    if (list->driveCombo_ && list->driveCombo_ != this)
        list->driveCombo_->dirList_ = nullptr;
    list->driveCombo_ = this;
}

void TDriveComboBox::DirectoryMoved(char drive) {
    if (!drive || drive == drive_)
        return;
    drive_ = drive;
    SelectDrive();
    if (OnChange)
        OnChange(this);
}

void TDriveComboBox::Picked() {
    auto index = static_cast<std::size_t>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
    if (index < drives_.size())
        SetDrive(drives_[index].letter);
}

void TDriveComboBox::SelectDrive() {
    if (!handle_)
        return;
    auto found = std::find_if(drives_.begin(), drives_.end(),
                              [this](const DriveItem& drive) { return drive.letter == drive_; });
    int index = found == drives_.end() ? -1 : static_cast<int>(found - drives_.begin());
    SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TDriveComboBox::ReadDrives() {
    // An empty floppy or CD drive answers with an error, not with a box asking for a disk.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    char roots[26 * 4 + 1] = {};
    GetLogicalDriveStringsA(sizeof roots, roots);
    for (const char* root = roots; *root; root += std::strlen(root) + 1) {
        DriveItem drive{Lower(root[0]), {Lower(root[0]), ':'}, OwnedIcon(ShellSmallIcon(root))};
        if (GetDriveTypeA(root) == DRIVE_REMOTE) {
            char local[] = {root[0], ':', '\0'};
            std::string remote = NetworkShare(local);
            if (!remote.empty())
                drive.text += " " + remote;
        } else {
            char label[MAX_PATH + 1] = {};
            if (GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) &&
                label[0])
                drive.text += std::string(" [") + label + "]";
        }
        drives_.push_back(std::move(drive));
    }
    SetErrorMode(oldMode);
    drivesRead_ = true;
}

void TDriveComboBox::FillCreateParams(CreateParams& params) {
    params.className = "COMBOBOX";
    params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;
}

void TDriveComboBox::HandleCreated() {
    bool first = !drivesRead_;
    if (first)
        ReadDrives();
    for (const DriveItem& drive : drives_)
        SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.text.c_str()));
    Place();
    if (first && dirList_ && dirList_->Drive())
        drive_ = dirList_->Drive();
    SelectDrive();
    if (!first || !OnChange)
        return;
    // The window is being made for whoever asked for it; a failing handler must not stop that.
    try {
        OnChange(this);
    } catch (const std::exception& e) {
        Application.ShowException(e);
    }
}

void TDriveComboBox::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    Place();
}

void TDriveComboBox::Place() {
    // The closed box is as high as its font makes it; the height the window is given is that of the
    // box with its list dropped.
    if (handle_)
        SetWindowPos(handle_, nullptr, left_, top_, width_,
                     height_ + kDroppedItems * ListItemHeight(Font) + 2, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TDriveComboBox::Notify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure->itemHeight = static_cast<UINT>(
            measure->itemID == static_cast<UINT>(-1) ? Font.Metrics().tmHeight : ListItemHeight(Font));
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_COMMAND:
        // Moving through the dropped list is not a choice yet; closing it is.
        if ((HIWORD(wParam) == CBN_SELCHANGE && !SendMessageA(handle_, CB_GETDROPPEDSTATE, 0, 0)) ||
            HIWORD(wParam) == CBN_CLOSEUP)
            Picked();
        result = 0;
        return true;
    }
    return TSystemClassControl::Notify(message, wParam, lParam, result);
}

void TDriveComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID >= drives_.size()) {
        Brush fill(CreateSolidBrush(ColorToRGB(color_)));
        FillRect(item.hDC, &item.rcItem, fill.Get());
        return;
    }
    const DriveItem& drive = drives_[item.itemID];
    DrawIconEntry(item, 0, drive.icon.Get(), drive.text, Font, color_, enabled_);
}

void TDriveComboBox::Properties(PropertyWalk& walk) {
    TSystemClassControl::Properties(walk);
    static constexpr Property<TDriveComboBox> properties[] = {
        {"DirList",
         [](TDriveComboBox& box, const DefValue& v, Binder& binder) {
             binder.Reference(v, [&box, v](TComponent* component) {
                 auto* list = dynamic_cast<TDirectoryListBox*>(component);
                 if (!list)
                     v.Fail(v.Name() + " is not a directory list box");
                 box.SetDirList(list);
             });
         }},
        {"OnChange", as::Event<&TDriveComboBox::OnChange>},
        {nullptr, nullptr, "drive",
         [](const TDriveComboBox& box) { return box.drive_ ? std::string(1, box.drive_) : std::string(); }},
        {nullptr, nullptr, "items",
         [](const TDriveComboBox& box) {
             return shown::Joined(box.drives_, [](const DriveItem& drive) { return drive.text; });
         }},
    };
    walk(*this, properties);
}
