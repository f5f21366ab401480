#include "tests/driver/Driver.h"
#include "toolkit/Application.h"
#include "toolkit/controls/DirectoryListBox.h"
#include "toolkit/controls/DriveComboBox.h"
#include "toolkit/controls/StandardKinds.h"
#include "toolkit/Form.h"
#include "toolkit/SystemError.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>

namespace {

constexpr char kTitle[] = "Korvadel Directory Test";

class TDirectoryForm : public TForm {
public:
    TDriveComboBox* DriveComboBox1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    std::vector<std::string> changes; // what both controls reported, in order
    bool failOnDrive = false;

    TDirectoryForm() : TForm("TDirectoryForm") {
        RegisterStandardKinds();
        Load({Field("DriveComboBox1", DriveComboBox1), Field("DirectoryListBox1", DirectoryListBox1)});
    }
    HANDLER(void, DriveComboBox1Change)(TObject*) {
        changes.push_back(std::string("drive ") + DriveComboBox1->Drive());
        if (failOnDrive)
            throw Exception("'x' is not a valid integer value");
    }
    HANDLER(void, DirectoryListBox1Change)(TObject*) { changes.push_back(DirectoryListBox1->Directory()); }

    // The form makes its controls' windows with its own.
    HWND List() {
        Handle();
        return DirectoryListBox1->Handle();
    }
    HWND Combo() {
        Handle();
        return DriveComboBox1->Handle();
    }
    const std::string& Directory() const { return DirectoryListBox1->Directory(); }
};

// Stands in for the user: waits for the error box, presses OK and tells what the box showed.
std::future<driver::MessageBoxWindow> ReadErrorBox() {
    return std::async(std::launch::async, [] {
        driver::MessageBoxWindow box = driver::WaitMessageBox(GetCurrentProcessId(), kTitle, 10000);
        driver::PressOk(box.hwnd);
        return box;
    });
}

void Pump() {
    for (int i = 0; i < 20; ++i) {
        Application.ProcessMessages();
        Sleep(10);
    }
}

std::string CurrentDirectory() {
    char path[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

// The system's own words for why the process cannot enter a path.
std::string Reason(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) ? "entered" : SystemErrorText(GetLastError());
}

std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no failure";
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts{path.substr(0, 3)};
    for (std::size_t start = 3; start < path.size();) {
        std::size_t end = std::min(path.find('\\', start), path.size());
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<std::string> Items(HWND control, UINT count, UINT get) {
    std::vector<std::string> items(static_cast<std::size_t>(SendMessageA(control, count, 0, 0)));
    for (std::size_t i = 0; i < items.size(); ++i) {
        char text[MAX_PATH + 1] = {};
        SendMessageA(control, get, i, reinterpret_cast<LPARAM>(text));
        items[i] = text;
    }
    return items;
}
std::vector<std::string> ListItems(HWND list) {
    return Items(list, LB_GETCOUNT, LB_GETTEXT);
}

int IndexOf(const std::vector<std::string>& items, const std::string& item) {
    return static_cast<int>(std::find(items.begin(), items.end(), item) - items.begin());
}

int Selected(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
}

RECT ItemRect(HWND list, int index) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}

void Mouse(HWND list, int index, std::initializer_list<UINT> messages, int below = 0) {
    RECT r = ItemRect(list, index);
    for (UINT message : messages)
        SendMessageA(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2 + below));
}
void Click(HWND list, int index) {
    Mouse(list, index, {WM_LBUTTONDOWN, WM_LBUTTONUP});
}
void DoubleClick(HWND list, int index, int below = 0) {
    Mouse(list, index, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, below);
}

// The drive box's text for its selected drive.
std::string Shown(HWND combo) {
    char text[MAX_PATH + 1] = {};
    SendMessageA(combo, CB_GETLBTEXT, SendMessageA(combo, CB_GETCURSEL, 0, 0),
                 reinterpret_cast<LPARAM>(text));
    return text;
}

// As the system tells the form when the user chooses a drive: the selection moves, then the list closes.
void Pick(TDirectoryForm& form, char drive) {
    HWND combo = form.Combo();
    std::vector<std::string> drives = Items(combo, CB_GETCOUNT, CB_GETLBTEXT);
    auto found = std::find_if(drives.begin(), drives.end(), [drive](auto& text) { return text[0] == drive; });
    SendMessageA(combo, CB_SETCURSEL, found - drives.begin(), 0);
    for (WORD code : {CBN_SELCHANGE, CBN_CLOSEUP})
        SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code),
                     reinterpret_cast<LPARAM>(combo));
}

// root\a holds b (which holds inner), C, d and a file; root also holds sibling. The process starts in a.
class DirectoryControls : public ::testing::Test {
protected:
    void SetUp() override {
        Application.SetTitle(kTitle);
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        GetLongPathNameA(temp, temp, sizeof temp);
        root = temp + std::string("korvadel-dirs-") + std::to_string(GetCurrentProcessId());
        root[0] = static_cast<char>(std::tolower(root[0]));
        a = root + "\\a";
        for (const std::string& directory : Tree())
            ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr)) << directory;
        CloseHandle(CreateFileA((a + "\\e.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(a.c_str()));
        SetEnvironmentVariableA("=C:", nullptr);
        SetEnvironmentVariableA("=Z:", nullptr);
    }
    void TearDown() override {
        SetCurrentDirectoryA("c:\\");
        DeleteFileA((a + "\\e.txt").c_str());
        std::vector<std::string> tree = Tree();
        for (auto it = tree.rbegin(); it != tree.rend(); ++it)
            RemoveDirectoryA(it->c_str());
    }
    std::vector<std::string> Tree() const {
        return {root, a, a + "\\b", a + "\\b\\inner", a + "\\C", a + "\\d", root + "\\sibling"};
    }

    std::string root;
    std::string a;
};

TEST_F(DirectoryControls, TheListShowsThePathStepByStepThenTheSortedSubdirectoriesOneStepBelow) {
    TDirectoryForm form;
    form.Show();
    Pump();
    HWND list = form.List();
    std::vector<std::string> expected = Split(a);
    int current = static_cast<int>(expected.size()) - 1;
    expected.insert(expected.end(), {"b", "C", "d"}); // regardless of case; files are no directories
    EXPECT_EQ(ListItems(list), expected);
    EXPECT_EQ(expected[0], "c:\\");
    EXPECT_EQ(Selected(list), current);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 16);

    // Each line is drawn from its icon on, one step further right for each level.
    driver::Pixels pixels = driver::Capture(list, false);
    COLORREF window = GetSysColor(COLOR_WINDOW);
    uint32_t background = (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window);
    std::vector<int> starts;
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        RECT r = ItemRect(list, i);
        int start = r.right;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < start; ++x)
                start = pixels.At(x, y) != background ? x : start;
        starts.push_back(start);
    }
    int step = starts[1] - starts[0];
    EXPECT_GT(step, 0);
    for (int i = 1; i < static_cast<int>(expected.size()); ++i)
        EXPECT_EQ(starts[i], starts[std::min(i - 1, current)] + step) << expected[i];

    // Tests of the whole program read the same through the inspection message.
    driver::Inspection inspection = driver::Inspect(form.Handle());
    EXPECT_EQ(driver::Field(inspection.Find("DirectoryListBox1"), "directory"), a);
    EXPECT_TRUE(driver::Field(inspection.Find("DirectoryListBox1"), "items").ends_with("|a|b|C|d"));
    EXPECT_EQ(driver::Field(inspection.Find("DriveComboBox1"), "drive"), "c");
}

TEST_F(DirectoryControls, SetDirectoryTakesTheProcessAlongAndReportsRealChangesOnly) {
    TDirectoryForm form;
    HWND list = form.List();
    form.changes.clear();
    TDirectoryListBox& directories = *form.DirectoryListBox1;
    directories.SetDirectory(a + "\\b");
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), (a + "\\b").c_str()), 0) << CurrentDirectory();
    EXPECT_EQ(ListItems(list).back(), "inner");
    EXPECT_EQ(Selected(list), static_cast<int>(ListItems(list).size()) - 2);
    // Relative, with a trailing backslash, and in another case: the same directory.
    directories.SetDirectory("..");
    directories.SetDirectory(a + "\\");
    std::string upper = a;
    directories.SetDirectory(CharUpperA(upper.data()));
    // A root keeps its backslash; a name appended with one more still leads into it.
    directories.SetDirectory("C:\\");
    EXPECT_EQ(Selected(list), 0);
    std::string first = Split(a)[1];
    directories.SetDirectory(directories.Directory() + "\\" + first);
    EXPECT_EQ(form.changes, (std::vector<std::string>{a + "\\b", a, "c:\\", "c:\\" + first}));

    std::vector<std::string> before = ListItems(list);
    for (const std::string& path : {root + "\\missing", a + "\\e.txt", std::string("q:\\")}) {
        std::string reason = Reason(path);
        EXPECT_EQ(FailureOf([&] { directories.SetDirectory(path); }), reason) << path;
        EXPECT_EQ(form.Directory(), "c:\\" + first);
        EXPECT_EQ(ListItems(list), before);
        EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), form.Directory().c_str()), 0);
    }
    EXPECT_EQ(form.changes.size(), 4u);
}

TEST_F(DirectoryControls, DoubleClickOrEnterOpensAnItemWhileASingleClickOnlySelectsIt) {
    TDirectoryForm form;
    HWND list = form.List();
    std::vector<std::string> items = ListItems(list);
    form.changes.clear();
    Click(list, IndexOf(items, "b"));
    EXPECT_EQ(Selected(list), IndexOf(items, "b"));
    DoubleClick(list, static_cast<int>(items.size()) - 1, 40); // below the last line: nothing
    EXPECT_EQ(form.Directory(), a);
    Click(list, IndexOf(items, "b"));
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(form.Directory(), a + "\\b");
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), (a + "\\b").c_str()), 0);
    DoubleClick(list, IndexOf(ListItems(list), "a") - 1);
    DoubleClick(list, IndexOf(ListItems(list), "sibling"));
    EXPECT_EQ(form.changes, (std::vector<std::string>{a + "\\b", root, root + "\\sibling"}));
}

TEST_F(DirectoryControls, OpeningADirectoryDeletedMeanwhileShowsTheErrorBoxAndKeepsTheList) {
    TDirectoryForm form;
    form.Show();
    HWND list = form.List();
    std::vector<std::string> before = ListItems(list);
    form.changes.clear();
    ASSERT_TRUE(RemoveDirectoryA((a + "\\d").c_str()));
    std::string reason = Reason(a + "\\d");
    auto reader = ReadErrorBox();
    DoubleClick(list, IndexOf(before, "d"));
    driver::MessageBoxWindow box = reader.get();
    EXPECT_EQ(box.text, reason);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(form.Directory(), a);
    EXPECT_EQ(ListItems(list), before);
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), a.c_str()), 0);
    EXPECT_TRUE(form.changes.empty());
}

TEST_F(DirectoryControls, TheDriveBoxListsTheDrivesAndReportsTheCurrentOneOnceWhenItsWindowIsMade) {
    for (const std::string& start : {a, std::string("z:\\")}) {
        ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
        TDirectoryForm form;
        EXPECT_TRUE(form.changes.empty());
        HWND combo = form.Combo();
        form.Show();
        Pump();
        EXPECT_EQ(form.changes, std::vector<std::string>{std::string("drive ") + start[0]});
        EXPECT_EQ(Shown(combo).substr(0, 2), start.substr(0, 2));

        std::string letters;
        for (const std::string& text : Items(combo, CB_GETCOUNT, CB_GETLBTEXT))
            letters += text.substr(0, 2);
        EXPECT_NE(letters.find("c:"), std::string::npos) << letters;
        EXPECT_NE(letters.find("z:"), std::string::npos) << letters;
        EXPECT_EQ(letters.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << letters;
        // Dropped, the box has room for several drives below its field.
        RECT closed{}, dropped{};
        GetWindowRect(combo, &closed);
        SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        EXPECT_GE(dropped.bottom - closed.bottom, 4 * 16);
    }
}

TEST_F(DirectoryControls, AFailingDriveHandlerWhileTheWindowIsMadeShowsTheErrorBoxAndTheWindowIsMade) {
    TDirectoryForm form;
    form.failOnDrive = true;
    auto reader = ReadErrorBox();
    form.Handle();
    EXPECT_EQ(reader.get().text, "'x' is not a valid integer value");
    EXPECT_TRUE(form.DriveComboBox1->HandleAllocated());
    EXPECT_EQ(ListItems(form.List()).size(), Split(a).size() + 3);
}

TEST_F(DirectoryControls, TheDriveBoxAndTheListFollowEachOtherToTheDirectoryADriveWasLeftIn) {
    TDirectoryForm form;
    HWND combo = form.Combo();
    form.changes.clear();
    form.DirectoryListBox1->SetDirectory("z:\\tmp");
    EXPECT_EQ(Shown(combo).substr(0, 2), "z:");
    form.DirectoryListBox1->SetDirectory(a + "\\b");
    EXPECT_EQ(Shown(combo).substr(0, 2), "c:");
    Pick(form, 'z');
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), "z:\\tmp"), 0);
    Pick(form, 'z');
    Pick(form, 'c');
    EXPECT_EQ(form.DriveComboBox1->Drive(), 'c');
    EXPECT_EQ(form.changes, (std::vector<std::string>{"drive z", "z:\\tmp", "drive c", a + "\\b", "z:\\tmp",
                                                      "drive z", a + "\\b", "drive c"}));
}

// Runs a program of the Unix side in `directory`. Wine hands out no handle to wait on for it.
void RunUnix(const std::string& directory, std::string commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               directory.c_str(), &startup, &process))
        << commandLine;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Folders a user does not open are left out below the current directory, while the path to where the
// user is shows every folder on it. Wine shows a Unix symbolic link to a directory as a reparse point,
// as Windows shows a junction, and makes none itself: the system's ln does.
TEST_F(DirectoryControls, HiddenSystemAndLinkedFoldersAreLeftOutBelowYetShownOnThePath) {
    struct Kind {
        const char* name;
        DWORD attributes;
        bool listed;
    };
    const Kind kinds[] = {
        {"plain", 0, true},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, false},
        {"system", FILE_ATTRIBUTE_SYSTEM, false},
        {"linked", FILE_ATTRIBUTE_REPARSE_POINT, false},
    };
    const std::string folder = root + "\\kinds";
    // Wine's RemoveDirectory of a link removes the directory it leads to: the link goes first, by rm.
    struct Cleanup {
        const std::string& folder;
        ~Cleanup() {
            SetCurrentDirectoryA("c:\\");
            RunUnix(folder, "/bin/rm -f linked");
            driver::WaitUntil(
                [&] { return GetFileAttributesA((folder + "\\linked").c_str()) == INVALID_FILE_ATTRIBUTES; },
                5000);
            for (const char* name : {"plain", "hidden", "system"}) {
                std::string path = folder + "\\" + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                RemoveDirectoryA(path.c_str());
            }
            RemoveDirectoryA(folder.c_str());
        }
    } cleanup{folder};
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::vector<std::string> listed;
    for (const Kind& kind : kinds) {
        std::string path = folder + "\\" + kind.name;
        if (kind.attributes == FILE_ATTRIBUTE_REPARSE_POINT)
            RunUnix(folder, std::string("/bin/ln -s plain ") + kind.name);
        else
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr) &&
                        (!kind.attributes || SetFileAttributesA(path.c_str(), kind.attributes)))
                << path;
        ASSERT_TRUE(driver::WaitUntil(
            [&] {
                DWORD attributes = GetFileAttributesA(path.c_str());
                return attributes != INVALID_FILE_ATTRIBUTES &&
                       (attributes & kind.attributes) == kind.attributes;
            },
            5000))
            << path;
        if (kind.listed)
            listed.push_back(kind.name);
    }

    TDirectoryForm form;
    HWND list = form.List();
    form.DirectoryListBox1->SetDirectory(folder);
    std::vector<std::string> items = ListItems(list);
    EXPECT_EQ(std::vector<std::string>(items.begin() + Selected(list) + 1, items.end()), listed);
    for (const Kind& kind : kinds) {
        form.DirectoryListBox1->SetDirectory(folder + "\\" + kind.name);
        items = ListItems(list);
        ASSERT_EQ(Selected(list), static_cast<int>(items.size()) - 1) << kind.name;
        EXPECT_EQ(items.back(), kind.name);
        EXPECT_EQ(items[items.size() - 2], "kinds") << kind.name;
    }
}

TEST_F(DirectoryControls, ADriveThatCannotBeEnteredShowsTheErrorBoxWhileTheListStaysWhereItWas) {
    TDirectoryForm form;
    form.Show();
    std::vector<std::string> before = ListItems(form.List());
    form.changes.clear();
    std::string gone = "z:\\korvadel-gone-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("=Z:", gone.c_str()); // as if z: was left in a directory removed since
    auto reader = ReadErrorBox();
    Pick(form, 'z');
    driver::MessageBoxWindow box = reader.get();
    EXPECT_EQ(box.text, Reason(gone));
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(form.DriveComboBox1->Drive(), 'z');
    EXPECT_EQ(Shown(form.Combo()).substr(0, 2), "z:");
    EXPECT_EQ(form.Directory(), a);
    EXPECT_EQ(ListItems(form.List()), before);
    EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), a.c_str()), 0);
    EXPECT_TRUE(form.changes.empty());
}

} // namespace
