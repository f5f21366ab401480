#include "installation/Unit2.h"

#include "installation/Unit3.h"
#include "installation/Unit5.h"

#include <cmath>

TForm2* Form2 = nullptr;

namespace {
constexpr std::uint64_t kMegabyte = 1048576;
constexpr std::uint64_t kKilobyte = 1024;
} // namespace

std::uint64_t GetFreeSpace(const std::string& root) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

std::string FormatSize(std::uint64_t bytes) {
    if (bytes > kMegabyte)
        return std::to_string(std::llround(static_cast<double>(bytes) / kMegabyte)) + " Mb";
    return std::to_string(std::llround(static_cast<double>(bytes) / kKilobyte)) + " Kb";
}

bool EnoughSpace(std::uint64_t freeBytes, int requiredMegabytes) {
    return std::llround(static_cast<double>(freeBytes) / kMegabyte) > requiredMegabytes;
}

TForm2::TForm2() : TForm("TForm2") {
    Load({
        Field("DriveComboBox1", DriveComboBox1),
        Field("DirectoryListBox1", DirectoryListBox1),
        Field("Bevel1", Bevel1),
        Field("Label1", Label1),
        Field("Label3", Label3),
        Field("Label2", Label2),
        Field("Label4", Label4),
        Field("SpeedButton1", SpeedButton1),
        Field("SpeedButton2", SpeedButton2),
        Field("SpeedButton3", SpeedButton3),
    });
}

void TForm2::ShowExtraction() {
    Form5->ShowModal();
}

void TForm2::ShowMakeDirectory() {
    Form3->Show();
}
