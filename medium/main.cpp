// korvadel-medium: the publisher's tool. `check DIR` tells whether a medium would install; `pack SRC
// DIR` makes one from a folder of product files.
#include "medium/Check.h"
#include "medium/Pack.h"
#include "medium/Progress.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: korvadel-medium check DIR [--json]\n"
    "       korvadel-medium pack SRC DIR [options]   (korvadel-medium pack --help for them)\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "korvadel-medium: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

int Check(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> folders;
    for (const std::string& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.starts_with("--"))
            return Usage("check knows no option " + arg);
        else
            folders.push_back(arg);
    }
    if (folders.size() != 1)
        return Usage("check takes one folder");
    std::error_code error;
    if (!std::filesystem::is_directory(folders[0], error))
        return Usage(folders[0] + " is not a folder");
    medium::Progress progress(stderr, "reading the archive", 0);
    medium::CheckReport report =
        medium::CheckMedium(folders[0], true, [&](uint64_t read) { progress.Update(read); });
    progress.Finish();
    std::string out = json ? medium::FormatJson(report, folders[0]) : medium::FormatText(report);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return report.Installs() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    // libarchive hands RAR 4's Unicode names out in the locale's character set; names here are UTF-8.
    std::setlocale(LC_ALL, "C.UTF-8");
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    try {
        if (command == "check")
            return Check(args);
        if (command == "pack")
            return medium::PackCommand(args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "korvadel-medium: %s\n", error.what());
        return 1;
    }
    return Usage("no command " + command);
}
