// Checks a product medium the way the installer will meet it: install.ini by the installer's own
// rules, the archive through the same core as unrar.dll, the files beside the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace medium {

// A warning is something a publisher would want to know of; a failure stops or spoils the install.
enum class Verdict { Ok, Warning, Failure };

struct Finding {
    Verdict verdict;
    std::string subject; // a key, a file, a member
    std::string message;
};

struct CheckReport {
    std::vector<Finding> findings;
    bool Installs() const;
};

// Without `readData`, members are walked by their headers alone: for a medium just written, whose
// data's CRCs the writer took as it went.
// `reading` is told the bytes of member data read so far.
CheckReport CheckMedium(const std::filesystem::path& directory, bool readData = true,
                        const std::function<void(uint64_t)>& reading = {});

const char* VerdictName(Verdict verdict);
// One line a finding, then the conclusion.
std::string FormatText(const CheckReport& report);
std::string FormatJson(const CheckReport& report, const std::filesystem::path& directory);

} // namespace medium
