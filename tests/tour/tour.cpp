// Walks the demo product's installer through its windows and saves a picture of each, for the
// project's documentation: tour PRODUCT_FOLDER OUTPUT_FOLDER (Windows paths).
#include "tests/driver/Driver.h"

#include <cstdio>

namespace {

constexpr DWORD kWait = 15000;

void Save(HWND window, const std::string& folder, const char* name) {
    Sleep(400); // the first paint
    driver::SaveBmp(driver::Capture(window, true), folder + "\\" + name + ".bmp");
}

void Press(HWND form, char letter) {
    PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(letter), 1u << 29);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tour PRODUCT_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    std::string product = argv[1], output = argv[2];
    try {
        driver::RealMouseMove(1020, 760);
        driver::Process installer(product + "\\install.exe", "", product);
        DWORD pid = installer.Pid();
        HWND main = driver::WaitWindow(pid, "TForm1", nullptr, kWait);
        Save(main, output, "main-window");

        driver::SendKeys(main, {VK_CONTROL, 'N'});
        HWND viewer = driver::WaitWindow(pid, "TForm4", nullptr, kWait);
        Save(viewer, output, "information-viewer");
        driver::PostLeftClick(viewer, 100, 100);
        driver::WaitUntil([viewer] { return !IsWindowVisible(viewer); }, kWait);

        driver::SendKeys(main, {VK_CONTROL, 'I'});
        HWND directories = driver::WaitWindow(pid, "TForm2", nullptr, kWait);
        Save(directories, output, "directory-dialog");
        Press(directories, 'm');
        HWND makeDir = driver::WaitWindow(pid, "TForm3", nullptr, kWait);
        Save(makeDir, output, "make-directory-dialog");
        Press(makeDir, 'o');
        driver::WaitUntil([directories] { return IsWindowVisible(directories); }, kWait);
        Press(directories, 'i');
        HWND extraction = driver::WaitWindow(pid, "TForm5", nullptr, kWait);
        Save(extraction, output, "extraction-dialog");
        Press(extraction, 'e');
        auto done = driver::WaitMessageBox(pid, "Information", kWait);
        Save(done.hwnd, output, "install-completed");
        driver::PressOk(done.hwnd);
        driver::SendKeys(main, {VK_CONTROL, 'Q'});
        installer.WaitExit(kWait);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tour: %s\n", e.what());
        return 1;
    }
    return 0;
}
