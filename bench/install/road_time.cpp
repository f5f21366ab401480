// Takes the installer in a product folder through the install road as a user would, and prints the
// seconds from pressing Extract to the "Install Completed!" box:
//   road_time PRODUCT_FOLDER
// The folder holds the program, its libraries, install.ini and the archive. The target is a new
// directory made through the make-directory dialog, as on a first install.
#include "tests/driver/Driver.h"

#include <cstdio>
#include <stdexcept>

namespace {

constexpr DWORD kWait = 30000;

// A speed button pressed by its letter with Alt; posted, so presses are taken in order.
void Press(HWND form, char letter) {
    PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(letter), 1u << 29);
}

HWND Wait(DWORD pid, const char* className) {
    HWND hwnd = driver::WaitWindow(pid, className, nullptr, kWait);
    if (!hwnd)
        throw std::runtime_error(std::string("no window ") + className);
    return hwnd;
}

// Whether the program shows a message box with this title. One look at the window list: going
// through all of the program's windows every two milliseconds would take from the installer the
// processor and the window server it is being measured on.
bool Shows(DWORD pid, const char* title) {
    HWND box = FindWindowA("#32770", title);
    DWORD owner = 0;
    return box && GetWindowThreadProcessId(box, &owner) && owner == pid;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PRODUCT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        std::string folder = argv[1];
        driver::Process process(folder + "\\install.exe", "", folder);
        HWND main = Wait(process.Pid(), "TForm1");
        // Keys given while the program is still starting may come before its window takes them.
        HWND form2 = nullptr;
        auto shown = [&] {
            for (HWND window : driver::TopWindows(process.Pid()))
                if (driver::ClassName(window) == "TForm2")
                    form2 = window;
            return form2 != nullptr;
        };
        for (int attempt = 0; attempt < 10 && !form2; ++attempt) {
            driver::SendKeys(main, {VK_CONTROL, 'I'});
            driver::WaitUntil(shown, 3000);
        }
        if (!form2)
            form2 = Wait(process.Pid(), "TForm2");
        Press(form2, 'm');
        HWND form3 = Wait(process.Pid(), "TForm3");
        Press(form3, 'o');
        if (!driver::WaitUntil([&] { return IsWindowVisible(form2) && !IsWindowVisible(form3); }, kWait))
            throw std::runtime_error("the make-directory dialog stayed open");
        Press(form2, 'i');
        HWND form5 = Wait(process.Pid(), "TForm5");

        LARGE_INTEGER frequency, start, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        Press(form5, 'e');
        for (;;) {
            QueryPerformanceCounter(&now);
            double seconds = double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
            if (Shows(process.Pid(), "Information")) {
                std::printf("%.3f\n", seconds);
                return 0;
            }
            if (Shows(process.Pid(), "Warning"))
                throw std::runtime_error("the install failed");
            if (seconds > 600)
                throw std::runtime_error("no end after 600 s");
            Sleep(2);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "road_time: %s\n", e.what());
        return 1;
    }
}
