#include "Driver.h"

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

void SendKeys(HWND hwnd, std::initializer_list<WORD> keys) {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    SetForegroundWindow(top);
    if (!WaitUntil([top] { return GetForegroundWindow() == top; }, 2000))
        throw std::runtime_error("window " + Describe(top) + " did not come to the foreground");
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(Key(key, 0));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        inputs.push_back(Key(*key, KEYEVENTF_KEYUP));
    Send(inputs);
}

static INPUT Mouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

void RealMouseMove(int x, int y) {
    if (!SetCursorPos(x, y))
        throw std::runtime_error("cannot move the cursor to " + std::to_string(x) + "," + std::to_string(y));
}

void RealClick(int x, int y) {
    RealMouseMove(x, y);
    // Held a moment, as a hand does: a control that tracks the mouse after the press (a scroll bar,
    // a task-bar button) may otherwise meet the release before it starts looking for one.
    Send({Mouse(MOUSEEVENTF_LEFTDOWN)});
    Sleep(50);
    Send({Mouse(MOUSEEVENTF_LEFTUP)});
}

} // namespace driver
