// Drives the project's programs from GUI tests: starts them in a scratch product folder, finds their
// windows and message boxes, reads their forms, sends them input and looks at their pixels.
// Failures throw std::runtime_error saying what was awaited and for how long.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// Windows paths of files in the build tree's bin directory ($KORVADEL_BIN) and in the source tree
// ($KORVADEL_SOURCE); `relative` may use either slash.
std::string BinPath(const std::string& relative);
std::string SourcePath(const std::string& relative);
// "/a/b" -> "Z:\a\b": Wine's drive Z: is the Unix root.
std::string WindowsPathOf(const std::string& unixPath);

// Polls every 20 ms; true as soon as `predicate` holds, false when `timeoutMs` ran out first.
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs);

// A fresh directory under the Windows temp directory, removed with all its contents on destruction.
// Declare it before the Process that runs in it, so that the process is gone when the folder goes.
class ProductFolder {
public:
    ProductFolder();
    ~ProductFolder();
    ProductFolder(const ProductFolder&) = delete;
    ProductFolder& operator=(const ProductFolder&) = delete;

    const std::string& Root() const { return root; }
    std::string Path(const std::string& name) const;
    // Copies a file of $KORVADEL_BIN, e.g. "install.exe" or "double/install.dll"; it is named
    // `asName`, or keeps its own file name.
    void Copy(const std::string& binName, const std::string& asName = {});
    void Write(const std::string& name, const std::string& bytes);
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string root;
};

// A running program; it and everything it started are killed on destruction if still running.
class Process {
public:
    Process(const std::string& program, const std::string& arguments, const std::string& currentDir);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Pid() const { return pid; }
    HANDLE Handle() const { return process; }
    // The exit code, or nothing while the program still runs after `timeoutMs`.
    std::optional<DWORD> WaitExit(DWORD timeoutMs);

private:
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    DWORD pid = 0;
};

// The library in $KORVADEL_BIN that holds the hook, and the shared memory it reads the class from.
constexpr char kRefusalLibrary[] = "window_refusal.dll";
constexpr char kRefusedClassMemory[] = "KorvadelRefusedWindowClass";
// While it lives, the system refuses to make a window of this class in any process of the desktop,
// as it does when a window cannot be had: the creation fails and returns no window.
class RefusedWindowClass {
public:
    explicit RefusedWindowClass(const std::string& className);
    ~RefusedWindowClass();
    RefusedWindowClass(const RefusedWindowClass&) = delete;
    RefusedWindowClass& operator=(const RefusedWindowClass&) = delete;

private:
    void Release();

    HANDLE name = nullptr;
    HMODULE library = nullptr;
    HHOOK hook = nullptr;
};

// Visible top-level windows of a process, in z-order.
std::vector<HWND> TopWindows(DWORD pid);
// The first of them with this class and title; nullptr matches any.
HWND WaitWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs);
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);
SIZE ClientSize(HWND hwnd);
DWORD Style(HWND hwnd);
// [class "title"], for messages.
std::string Describe(HWND hwnd);
// The window with the keyboard focus in the thread that made `hwnd`, or nullptr.
HWND FocusOf(HWND hwnd);

struct MessageBoxWindow {
    HWND hwnd = nullptr;
    std::string text;
    bool hasIcon = false;
};
MessageBoxWindow WaitMessageBox(DWORD pid, const char* caption, DWORD timeoutMs);
int CountMessageBoxes(DWORD pid, const char* caption);
// Presses OK and waits until the box is gone.
void PressOk(HWND messageBox);

// What a form tells about itself and its components, windowless ones included, when asked with
// the registered message "KorvadelInspect".
using Record = std::map<std::string, std::string>;
struct Inspection {
    Record form;
    std::vector<Record> components; // in creation order
    // The component whose name= is `name`.
    const Record& Find(const std::string& name) const;
};
Inspection Inspect(HWND form);
Inspection ParseInspection(const std::string& text);
// A value of a record, throwing an error naming the record when it lacks `key`.
const std::string& Field(const Record& record, const std::string& key);
// The record's values for the keys of `like`, "(none)" where it lacks one: compared with `like`,
// a failure lists every key that differs.
Record Fields(const Record& record, const Record& like);

// Input posted straight to a window, in its client coordinates; it does not move the cursor.
void PostMouseMove(HWND hwnd, int x, int y);
void PostLeftClick(HWND hwnd, int x, int y);
void PostRightClick(HWND hwnd, int x, int y);
// Brings `hwnd` to the foreground and presses `keys` in order, releasing them in reverse order.
void SendKeys(HWND hwnd, std::initializer_list<WORD> keys);
// Real input, in screen coordinates, for what posted messages cannot show (capture, hover).
void RealMouseMove(int x, int y);
void RealClick(int x, int y);

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top row first
    uint32_t At(int x, int y) const;
};
// What the screen shows of the window: with its frame, or its client area only.
Pixels Capture(HWND hwnd, bool withFrame);
// The bounds of every pixel of a colour, and of those joined to the first of them in reading order
// (side by side or corner to corner): one line drawn through several characters is one such stroke.
// Empty when the colour is not there.
RECT ColorBounds(const Pixels& capture, uint32_t color);
RECT StrokeBounds(const Pixels& capture, uint32_t color);
void SaveBmp(const Pixels& capture, const std::string& path);

} // namespace driver
