#include "toolkit/controls/DirectoryListBox.h"

#include "toolkit/controls/DriveComboBox.h"
#include "toolkit/Properties.h"
#include "toolkit/ShellFunctions.h"
#include "toolkit/SystemError.h"
#include "toolkit/Text.h"

#include <algorithm>
#include <cctype>

namespace {

// Each level of the tree starts this much further right.
constexpr int kIndent = 10;

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// "c:\" or "\\server\share\": what the tree hangs from.
std::string RootOf(const std::string& path) {
    if (HasDriveLetter(path))
        return path.substr(0, 2) + "\\";
    std::size_t end = path.starts_with("\\\\") ? FindChar(path, '\\', FindChar(path, '\\', 2) + 1) : 0;
    return end == std::string::npos ? path + "\\" : path.substr(0, end + 1);
}

std::string CurrentDirectory() {
    std::string path(MAX_PATH, '\0');
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(path.size()), path.data());
    if (length >= path.size()) {
        path.resize(length);
        length = GetCurrentDirectoryA(length, path.data());
    }
    path.resize(length);
    if (path.size() > RootOf(path).size() && EndsWithChar(path, '\\'))
        path.pop_back();
    if (HasDriveLetter(path))
        path[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    return path;
}

bool SameText(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

// Those a user may open: the system's own folder pickers leave out hidden and system folders, and
// junctions and links, which mostly lead to where the user may not go ("Access is denied").
std::vector<std::string> Subdirectories(const std::string& directory) {
    constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(directory, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & kLeftOut) &&
            name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.c_str(), -1,
                              b.c_str(), -1) == CSTR_LESS_THAN;
    });
    return names;
}

// The plain folder's look, opened or closed, as the system draws it.
HICON FolderIcon(bool opened) {
    char folder[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(folder, sizeof folder);
    return ShellSmallIcon(folder, opened);
}

} // namespace

TDirectoryListBox::TDirectoryListBox() {
    directory_ = CurrentDirectory();
    ReadTree();
}

TDirectoryListBox::~TDirectoryListBox() {
    if (driveCombo_)
        driveCombo_->dirList_ = nullptr;
    // The window draws with the icons until it is gone.
    DestroyHandle();
}

char TDirectoryListBox::Drive() const {
    return HasDriveLetter(directory_) ? directory_[0] : '\0';
}

std::string TDirectoryListBox::Root() const {
    return RootOf(directory_);
}

void TDirectoryListBox::SetDirectory(const std::string& path) {
    if (!SetCurrentDirectoryA(path.c_str()))
        throw EInOutError(GetLastError());
    std::string previous = directory_;
    directory_ = CurrentDirectory();
    // Where the drive was left, so that choosing the drive again comes back here.
    if (HasDriveLetter(directory_)) {
        char variable[] = {'=', static_cast<char>(std::toupper(directory_[0])), ':', '\0'};
        SetEnvironmentVariableA(variable, directory_.c_str());
    }
    ReadTree();
    Fill();
    // The drive box follows before anyone hears of the change, so that handlers see both agree.
    if (driveCombo_)
        driveCombo_->DirectoryMoved(Drive());
    if (!SameText(previous, directory_) && OnChange)
        OnChange(this);
}

void TDirectoryListBox::SetItemHeight(int height) {
    itemHeight_ = std::clamp(height, 1, 255);
    if (handle_) {
        SendMessageA(handle_, LB_SETITEMHEIGHT, 0, itemHeight_);
        InvalidateRect(handle_, nullptr, TRUE);
    }
}

void TDirectoryListBox::ReadTree() {
    entries_.clear();
    std::string root = RootOf(directory_);
    entries_.push_back({root, 0, true});
    std::size_t start = root.size();
    while (start < directory_.size()) {
        std::size_t end = std::min(FindChar(directory_, '\\', start), directory_.size());
        entries_.push_back({directory_.substr(start, end - start), static_cast<int>(entries_.size()), true});
        start = end + 1;
    }
    current_ = static_cast<int>(entries_.size()) - 1;
    for (const std::string& name : Subdirectories(directory_))
        entries_.push_back({name, current_ + 1, false});
}

void TDirectoryListBox::Fill() {
    if (!handle_)
        return;
    SendMessageA(handle_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(handle_, LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : entries_)
        SendMessageA(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    SendMessageA(handle_, LB_SETCURSEL, current_, 0);
    SendMessageA(handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle_, nullptr, TRUE);
}

std::string TDirectoryListBox::PathOf(int index) const {
    if (index > current_)
        return JoinPath(directory_, entries_[index].name);
    std::string path = entries_[0].name;
    for (int i = 1; i <= index; ++i)
        path = JoinPath(path, entries_[i].name);
    return path;
}

void TDirectoryListBox::Open(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        SetDirectory(PathOf(index));
}

void TDirectoryListBox::FillCreateParams(CreateParams& params) {
    params.className = "LISTBOX";
    // The bounds are the definition's, not rounded down to whole items.
    params.style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TDirectoryListBox::HandleCreated() {
    if (!openIcon_)
        openIcon_ = OwnedIcon(FolderIcon(true));
    if (!closedIcon_)
        closedIcon_ = OwnedIcon(FolderIcon(false));
    SendMessageA(handle_, LB_SETITEMHEIGHT, 0, itemHeight_);
    Fill();
}

LRESULT TDirectoryListBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDBLCLK: {
        LRESULT result = TSystemClassControl::WndProc(message, wParam, lParam);
        // Below the last item the list still names the nearest one, which is not what was clicked.
        int index = LOWORD(SendMessageA(handle_, LB_ITEMFROMPOINT, 0, lParam));
        RECT r{};
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (SendMessageA(handle_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR &&
            PtInRect(&r, point))
            Open(index);
        return result;
    }
    case WM_GETDLGCODE:
        // Enter opens the entry, as a double click does, rather than pressing the window's button.
        if (wParam == VK_RETURN)
            return TSystemClassControl::WndProc(message, wParam, lParam) | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            Open(static_cast<int>(SendMessageA(handle_, LB_GETCURSEL, 0, 0)));
            return 0;
        }
        break;
    }
    return TSystemClassControl::WndProc(message, wParam, lParam);
}

bool TDirectoryListBox::Notify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_MEASUREITEM)
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(itemHeight_);
    else if (message == WM_DRAWITEM)
        DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    else
        return TSystemClassControl::Notify(message, wParam, lParam, result);
    result = TRUE;
    return true;
}

void TDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID >= entries_.size())
        return;
    const Entry& entry = entries_[item.itemID];
    DrawIconEntry(item, entry.level * kIndent, (entry.open ? openIcon_ : closedIcon_).Get(), entry.name, Font,
                  color_, enabled_);
}

void TDirectoryListBox::Properties(PropertyWalk& walk) {
    TSystemClassControl::Properties(walk);
    static constexpr Property<TDirectoryListBox> properties[] = {
        {"ItemHeight", as::Int<&TDirectoryListBox::SetItemHeight>},
        {"OnChange", as::Event<&TDirectoryListBox::OnChange>},
        {nullptr, nullptr, "directory", shown::Text<&TDirectoryListBox::directory_>},
        {nullptr, nullptr, "items",
         [](const TDirectoryListBox& list) {
             return shown::Joined(list.entries_, [](const Entry& entry) { return entry.name; });
         }},
    };
    walk(*this, properties);
}
