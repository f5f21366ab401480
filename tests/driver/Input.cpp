#include "tests/driver/Driver.h"

#include <iterator>
#include <stdexcept>
#include <vector>

namespace driver {

static LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

void PostMouseMove(HWND hwnd, int x, int y) {
    PostMessageA(hwnd, WM_MOUSEMOVE, 0, Point(x, y));
}

void PostLeftClick(HWND hwnd, int x, int y) {
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, Point(x, y));
}

void PostRightClick(HWND hwnd, int x, int y) {
    PostMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, Point(x, y));
    PostMessageA(hwnd, WM_RBUTTONUP, 0, Point(x, y));
}

static INPUT Key(WORD key, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

static void Send(std::vector<INPUT> inputs) {
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size())
        throw std::runtime_error("SendInput sent " + std::to_string(sent) + " of " +
                                 std::to_string(inputs.size()) + " events");
}

// The keys go to the foreground thread's queue; a program takes a shortcut only in the window its
// thread holds active, which it is told of after the system's foreground has moved.
void SendKeys(HWND hwnd, std::initializer_list<WORD> keys) {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    SetForegroundWindow(top);
    auto active = [top] {
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        return GetForegroundWindow() == top &&
               GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &thread) && thread.hwndActive == top;
    };
    if (!WaitUntil(active, 2000))
        throw std::runtime_error("window " + Describe(top) + " did not come to the foreground");
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(Key(key, 0));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        inputs.push_back(Key(*key, KEYEVENTF_KEYUP));
    Send(inputs);
}

// At a point of the primary screen: the system maps 0..65535 onto its width and height. Every event
// of a click carries the point, so a pointer motion the window system reports late cannot move the
// press or the release somewhere else.
static INPUT MouseAt(int x, int y, DWORD flags) {
    auto normal = [](int pixel, int size) { return static_cast<LONG>((pixel * 65536LL + size - 1) / size); };
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = normal(x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = normal(y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return input;
}

void RealMouseMove(int x, int y) {
    Send({MouseAt(x, y, 0)});
    POINT at{};
    if (!WaitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }, 2000))
        throw std::runtime_error("the cursor went to " + std::to_string(at.x) + "," + std::to_string(at.y) +
                                 ", not to " + std::to_string(x) + "," + std::to_string(y));
}

void RealClick(int x, int y) {
    RealMouseMove(x, y);
    // Held a moment, as a hand does: a control that tracks the mouse after the press (a scroll bar,
    // a task-bar button) may otherwise meet the release before it starts looking for one.
    Send({MouseAt(x, y, MOUSEEVENTF_LEFTDOWN)});
    Sleep(50);
    Send({MouseAt(x, y, MOUSEEVENTF_LEFTUP)});
}

} // namespace driver
