// A program for the driver's own tests: one window with a known look that counts the input it gets,
// tells those counts through the inspection protocol and shows message boxes on demand.
// Arguments: "exit N" ends at once with code N; "notice" starts with a message box without an icon.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const COLORREF Background = RGB(0x33, 0x66, 0x99);
const COLORREF SquareOff = RGB(0xFF, 0xFF, 0x00);
const COLORREF SquareOn = RGB(0x00, 0xC0, 0x00);
const RECT Square = {10, 10, 60, 60};

int leftClicks = 0;
int rightClicks = 0;
int contextMenus = 0;
int moves = 0;
bool squareOn = false;

void Fill(HDC dc, const RECT& area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void AnswerInspection(HWND hwnd, HWND replyTo) {
    std::string text =
        "name=TargetForm\tkind=TForm\tcaption=Driver target\tleftClicks=" + std::to_string(leftClicks) +
        "\trightClicks=" + std::to_string(rightClicks) + "\tcontextMenus=" + std::to_string(contextMenus) +
        "\tmoves=" + std::to_string(moves) +
        "\n"
        "name=Square\tkind=TShape\tbounds=10,10,50,50\tvisible=1\tcolor=" +
        (squareOn ? "on" : "off") +
        "\n"
        "name=Escapes\tkind=TLabel\tcaption=tab\\there\\nback\\\\slash\tcaption.empty=";
    COPYDATASTRUCT data = {};
    data.dwData = 0x4B56494E;
    data.cbData = static_cast<DWORD>(text.size());
    data.lpData = text.data();
    SendMessageA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&data));
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT InspectMessage = RegisterWindowMessageA("KorvadelInspect");
    if (message == InspectMessage) {
        AnswerInspection(hwnd, reinterpret_cast<HWND>(wParam));
        return 0;
    }
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        Fill(dc, client, Background);
        Fill(dc, Square, squareOn ? SquareOn : SquareOff);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_LBUTTONUP: {
        ++leftClicks;
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&Square, at)) {
            squareOn = !squareOn;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_RBUTTONUP:
        ++rightClicks;
        break;
    case WM_CONTEXTMENU:
        ++contextMenus;
        return 0;
    case WM_MOUSEMOVE:
        ++moves;
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'Q' && GetKeyState(VK_CONTROL) < 0) {
            MessageBoxA(hwnd, "Quit the target?\nIt ends with code 3.", "Target question",
                        MB_OK | MB_ICONWARNING);
            PostQuitMessage(3);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strncmp(commandLine, "exit ", 5) == 0)
        return std::atoi(commandLine + 5);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "KorvadelDriverTarget";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, 300, 200};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowA("KorvadelDriverTarget", "Driver target", WS_OVERLAPPEDWINDOW, 100, 100,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                              nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    if (std::strcmp(commandLine, "notice") == 0)
        MessageBoxA(hwnd, "No icon here.", "Target notice", MB_OK);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
