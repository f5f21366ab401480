// The extraction dialog made in this process, so that its volume bar can be read at every volume event
// of a real run of the demo archive through the extraction library.
#include "installation/InstallationKinds.h"
#include "installation/Settings.h"
#include "installation/Unit5.h"
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kWait = 15000;

// The volume bar's position after each volume event, and whether the event asked for the volume.
struct Step {
    bool asked;
    int position;
    bool operator==(const Step&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Step& step) {
        return out << (step.asked ? "asked, " : "opened, ") << step.position;
    }
};

std::vector<Step> VolumeBarDuringARun(const std::string& files, bool secondVolumeMissing) {
    static bool registered = [] {
        RegisterProgramKinds();
        return true;
    }();
    (void)registered;
    driver::ProductFolder folder;
    fs::path demo = fs::path(driver::WindowsPathOf(std::getenv("KORVADEL_FIXTURES"))) / "demo";
    for (const char* volume : {"korvadel.part1.rar", "korvadel.part2.rar", "korvadel.part3.rar"})
        if (!secondVolumeMissing || std::string(volume) != "korvadel.part2.rar")
            fs::copy_file(demo / volume, fs::path(folder.Path(volume)));
    fs::create_directory(fs::path(folder.Path("target")));

    Settings::FILES = files;
    TForm5 dialog;
    dialog.FormActivate(nullptr);
    std::vector<Step> steps = {{false, dialog.ProgressBar2->Position()}};
    dialog.RAR1->ArchiveName = folder.Path("korvadel.part1.rar");
    dialog.RAR1->TargetDir = folder.Path("target");
    auto handler = dialog.RAR1->OnVolumeChange;
    dialog.RAR1->OnVolumeChange = [&](TObject* sender, char* name, int mode) {
        int result = handler(sender, name, mode);
        steps.push_back({mode == RarVolumeAsk, dialog.ProgressBar2->Position()});
        return result;
    };
    // Stands in for the user: answers the prompts, and brings the volume after the second one.
    std::string failure;
    std::thread user([&] {
        try {
            for (int prompt = 1; secondVolumeMissing && prompt <= 2; ++prompt) {
                auto box = driver::WaitMessageBox(GetCurrentProcessId(), "Information", kWait);
                if (prompt == 2)
                    fs::copy_file(demo / "korvadel.part2.rar", fs::path(folder.Path("korvadel.part2.rar")));
                driver::PressOk(box.hwnd);
            }
        } catch (const std::exception& e) {
            failure = e.what();
        }
    });
    dialog.RAR1->Extract();
    user.join();
    EXPECT_EQ(failure, "");
    return steps;
}

TEST(ExtractionDialog, TheVolumeBarCountsEveryVolumeAndEveryPrompt) {
    // All three volumes there: 0 before the run, 1 and 2 as the second and third are opened.
    EXPECT_EQ(VolumeBarDuringARun("3", false), (std::vector<Step>{{false, 0}, {false, 1}, {false, 2}}));
    // The second missing and asked for twice, on a bar long enough not to stop at its end: one more
    // for each prompt, then one for each volume opened.
    EXPECT_EQ(VolumeBarDuringARun("9", true),
              (std::vector<Step>{{false, 0}, {true, 1}, {true, 2}, {false, 3}, {false, 4}}));
}

} // namespace
