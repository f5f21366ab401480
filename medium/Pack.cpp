#include "medium/Pack.h"

#include "core/SafePath.h"
#include "core/Text.h"
#include "installation/SettingKeys.h"
#include "medium/Check.h"
#include "medium/Progress.h"
#include "medium/RarWriter.h"
#include "medium/Report.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

namespace medium {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPackUsage =
    "usage: korvadel-medium pack SRC DIR [options]\n"
    "Makes in DIR a medium of the files below SRC: the archive's volumes, install.ini, the\n"
    "installer's kit and the product's files, then checks it.\n"
    "  --name TEXT          the product's name, the main window's status line (default: SRC's name)\n"
    "  --scroll TEXT        the scrolling line (default: the name)\n"
    "  --dir NAME           the directory the installer proposes (default: SRC's name)\n"
    "  --archive NAME       the archive's name, without .rar (default: the directory's name)\n"
    "  --nfo FILE           the information file (required)\n"
    "  --reg FILE|NONE      the registry file handed to the shell after the install (default: NONE)\n"
    "  --music FILE         the module played, copied as install.dat (default: the kit's)\n"
    "  --kit DIR            where install.exe, install.dll and unrar.dll are (default: beside this tool)\n"
    "  --format 5|4         the RAR format (default: 5)\n"
    "  --compress           pack the files (RAR 4 only; the default is to store them)\n"
    "  --solid              with --compress: one stream over all files\n"
    "  --volume-size SIZE   volumes of SIZE bytes (suffix K, M or G: binary), or cd (640 MiB) or dvd\n"
    "                       (4400 MiB); without it the archive is one file\n"
    "  --naming part|old    name.part1.rar, name.part2.rar, ... or name.rar, name.r00, ... (default: part)\n"
    "  --margin PERCENT     room asked beyond the unpacked size (default: 10)\n";

const char* const kKit[] = {"install.exe", "install.dll", "unrar.dll"};

// Ctrl+C asks the writer to stop at its next block; it then removes what it wrote.
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted = true;
}

struct PackOptions {
    fs::path source, target;
    std::string name, scroll, dir, archive;
    std::optional<std::string> nfo, reg, music, kit;
    ArchiveOptions archiveOptions;
    int margin = 10;
};

[[noreturn]] void Refuse(const std::string& problem) {
    throw std::invalid_argument(problem);
}

uint64_t VolumeSize(const std::string& text) {
    if (text == "cd")
        return 640ull << 20;
    if (text == "dvd")
        return 4400ull << 20;
    size_t end = 0;
    uint64_t value = 0;
    try {
        value = std::stoull(text, &end);
    } catch (const std::exception&) {
        Refuse("--volume-size takes a number of bytes, cd or dvd, not " + text);
    }
    const std::string suffix = text.substr(end);
    const std::map<std::string, int> shifts = {{"", 0}, {"K", 10}, {"M", 20}, {"G", 30}};
    auto shift = shifts.find(suffix);
    if (shift == shifts.end() || text[0] == '-' || value == 0 || value > (UINT64_MAX >> shift->second))
        Refuse("--volume-size takes a number of bytes, cd or dvd, not " + text);
    return value << shift->second;
}

PackOptions ParseOptions(const std::vector<std::string>& args) {
    PackOptions options;
    std::vector<std::string> folders;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                Refuse(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--name")
            options.name = value();
        else if (arg == "--scroll")
            options.scroll = value();
        else if (arg == "--dir")
            options.dir = value();
        else if (arg == "--archive")
            options.archive = value();
        else if (arg == "--nfo")
            options.nfo = value();
        else if (arg == "--reg")
            options.reg = value();
        else if (arg == "--music")
            options.music = value();
        else if (arg == "--kit")
            options.kit = value();
        else if (arg == "--format") {
            const std::string& format = value();
            if (format != "4" && format != "5")
                Refuse("--format is 4 or 5");
            options.archiveOptions.format = format == "4" ? RarFormat::Rar4 : RarFormat::Rar5;
        } else if (arg == "--compress")
            options.archiveOptions.compress = true;
        else if (arg == "--solid")
            options.archiveOptions.solid = true;
        else if (arg == "--volume-size")
            options.archiveOptions.volumeSize = VolumeSize(value());
        else if (arg == "--naming") {
            const std::string& naming = value();
            if (naming != "part" && naming != "old")
                Refuse("--naming is part or old");
            options.archiveOptions.naming = naming == "old" ? VolumeNaming::Old : VolumeNaming::Part;
        } else if (arg == "--margin") {
            const std::string& margin = value();
            if (margin.empty() || margin.size() > 4 ||
                margin.find_first_not_of("0123456789") != std::string::npos)
                Refuse("--margin is a whole number of percent");
            options.margin = std::stoi(margin);
        } else if (arg.starts_with("--"))
            Refuse("pack knows no option " + arg);
        else
            folders.push_back(arg);
    }
    if (folders.size() != 2)
        Refuse("pack takes a source folder and a target folder");
    options.source = folders[0];
    options.target = folders[1];
    std::error_code error;
    if (!fs::is_directory(options.source, error))
        Refuse(folders[0] + " is not a folder");
    if (!options.nfo)
        Refuse("pack needs the information file: --nfo FILE");
    if (options.archiveOptions.compress && options.archiveOptions.format != RarFormat::Rar4)
        Refuse("--compress packs in RAR 4 only: add --format 4");
    if (options.archiveOptions.solid && !options.archiveOptions.compress)
        Refuse("--solid goes with --compress");
    fs::path absolute = fs::absolute(options.source).lexically_normal();
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    const std::string sourceName = absolute.filename().string();
    if (options.name.empty())
        options.name = sourceName;
    if (options.scroll.empty())
        options.scroll = options.name;
    if (options.dir.empty())
        options.dir = sourceName;
    if (options.archive.empty())
        options.archive = options.dir;
    return options;
}

// The installer reads install.ini in the system's code page. Here, arguments come in UTF-8 and
// go in as Latin-1, which Western Windows pages share outside 0x80 to 0x9F; on Windows they come in
// that page already.
std::string Setting(const char* key, const std::string& value) {
    std::string setting = value;
#ifndef _WIN32
    bool valid = true;
    std::wstring wide = unrar::WideOfUtf8(value, &valid);
    setting.clear();
    for (wchar_t c : wide) {
        if (!valid || c > 0xFF || (c >= 0x80 && c < 0xA0))
            Refuse(std::string(key) + " \"" + value + "\" has characters the installer's code page lacks");
        setting += char(c);
    }
#endif
    if (setting.find_first_of("\r\n") != std::string::npos)
        Refuse(std::string(key) + " cannot hold a line break");
    if (setting.size() > Settings::kMaxSetting)
        Refuse(Printed("%s is %zu characters long: the installer keeps only %zu", key, setting.size(),
                       Settings::kMaxSetting));
    // The profile reader drops blanks around a value and one pair of quotes; quotes keep them.
    if (!setting.empty() && (setting.front() == ' ' || setting.back() == ' ' || setting.front() == '"' ||
                             setting.front() == '\''))
        setting = "\"" + setting + "\"";
    return setting;
}

// Every file and folder below the source, folders before what they hold, in name order.
std::vector<ArchiveEntry> Collect(const fs::path& source, uint64_t& total) {
    std::vector<fs::path> paths;
    for (auto it = fs::recursive_directory_iterator(source); it != fs::recursive_directory_iterator(); ++it)
        paths.push_back(it->path());
    std::sort(paths.begin(), paths.end());
    std::vector<ArchiveEntry> entries;
    total = 0;
    for (const fs::path& path : paths) {
        const fs::file_status status = fs::symlink_status(path);
        std::string name = path.lexically_relative(source).generic_string();
        if (fs::is_symlink(status))
            Refuse(path.string() + " is a link: the installer makes files and folders only");
        unrar::PathRefusal refusal = unrar::PathRefusal::None;
        std::wstring wide = unrar::WideOfUtf8(name);
        if (unrar::SafeRelativePath(wide, refusal) != wide)
            Refuse("the installer would refuse or rename " + name + ": pick a name Windows takes as it is");
        ArchiveEntry entry;
        entry.source = path;
        entry.name = name;
        entry.directory = fs::is_directory(status);
        if (!entry.directory && !fs::is_regular_file(status))
            Refuse(path.string() + " is neither a file nor a folder");
        entry.size = entry.directory ? 0 : fs::file_size(path);
        entry.modified = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::file_clock::to_sys(fs::last_write_time(path)).time_since_epoch())
                             .count();
        total += entry.size;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Written whole under another name first, so that an interrupted run leaves the old file or the new.
void Place(const fs::path& target, const std::function<void(const fs::path&)>& write) {
    fs::path temporary = target;
    temporary += ".korvadel-new";
    try {
        write(temporary);
        fs::rename(temporary, target);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

void CopyBeside(const fs::path& from, const fs::path& to) {
    std::error_code error;
    if (!fs::is_regular_file(from, error))
        Refuse(from.string() + " is not a file");
    Place(to, [&](const fs::path& temporary) {
        fs::copy_file(from, temporary, fs::copy_options::overwrite_existing);
    });
}

fs::path ToolDirectory() {
#ifdef _WIN32
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    return fs::path(std::wstring(path, length)).parent_path();
#else
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

} // namespace

int PackCommand(const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kPackUsage, stdout);
        return 0;
    }
    PackOptions options;
    std::vector<ArchiveEntry> entries;
    uint64_t total = 0;
    fs::path kit;
    // In the order of the keys; SIZE and FILES once the archive is written.
    std::vector<std::string> settings;
    try {
        options = ParseOptions(args);
        kit = options.kit ? fs::path(*options.kit) : ToolDirectory();
        if (!options.music)
            options.music = (kit / "install.dat").string();
        for (const char* file : kKit) {
            std::error_code error;
            if (!fs::is_regular_file(kit / file, error))
                Refuse((kit / file).string() + " is missing: give the installer's kit with --kit DIR");
        }
        for (const std::optional<std::string>& file : {options.nfo, options.music}) {
            std::error_code error;
            if (!fs::is_regular_file(*file, error))
                Refuse(*file + " is not a file");
        }
        if (options.reg && *options.reg != Settings::kNoRegistryFile && !fs::is_regular_file(*options.reg))
            Refuse(*options.reg + " is not a file");
        entries = Collect(options.source, total);
        using enum Settings::Key::Index;
        settings.assign(Settings::kCount, "");
        settings[APPZ] = Setting("APPZ", options.name);
        settings[DIR] = Setting("DIR", options.dir);
        settings[FILERAR] = Setting("FILERAR", options.archive + ".rar");
        settings[NFO] = Setting("NFO", fs::path(*options.nfo).filename().string());
        settings[REG] = Setting("REG", options.reg && *options.reg != Settings::kNoRegistryFile
                                           ? fs::path(*options.reg).filename().string()
                                           : Settings::kNoRegistryFile);
        settings[SCRTXT] = Setting("SCRTXT", options.scroll);
    } catch (const std::invalid_argument& problem) {
        std::fprintf(stderr, "korvadel-medium: %s\n%s", problem.what(), kPackUsage);
        return 2;
    }

    fs::create_directories(options.target);
    const fs::path first = options.target / (options.archive + ".rar");
    interrupted = false;
    auto previous = std::signal(SIGINT, OnInterrupt);
    Progress progress(stderr, "packing", total);
    std::vector<fs::path> volumes;
    try {
        volumes = WriteArchive(first, entries, options.archiveOptions, [&](uint64_t done) {
            progress.Update(done);
            return !interrupted;
        });
    } catch (const WriteCancelled&) {
        std::signal(SIGINT, previous);
        std::fputs("\nkorvadel-medium: interrupted; nothing of the archive was left behind\n", stderr);
        return 130;
    }
    std::signal(SIGINT, previous);
    progress.Finish();

    for (const char* file : kKit)
        CopyBeside(kit / file, options.target / file);
    CopyBeside(*options.music, options.target / "install.dat");
    const fs::path nfo = *options.nfo;
    CopyBeside(nfo, options.target / nfo.filename());
    if (options.reg && *options.reg != Settings::kNoRegistryFile)
        CopyBeside(*options.reg, options.target / fs::path(*options.reg).filename());

    const uint64_t mib = 1 << 20;
    const uint64_t needed = (total + mib - 1) / mib;
    const uint64_t size = needed + (needed * uint64_t(options.margin) + 99) / 100;
    settings[Settings::Key::SIZE] = std::to_string(size);
    settings[Settings::Key::FILERAR] = Setting("FILERAR", volumes.front().filename().string());
    settings[Settings::Key::FILES] = std::to_string(volumes.size());
    std::string ini = std::string("[") + Settings::kSection + "]\r\n";
    for (size_t i = 0; i < Settings::kCount; ++i)
        ini += std::string(Settings::kKeys[i]) + "=" + settings[i] + "\r\n";
    Place(options.target / "install.ini", [&](const fs::path& temporary) {
        std::ofstream out(temporary, std::ios::binary);
        out << ini;
        out.close();
        if (!out)
            throw WriteError("cannot write " + temporary.string());
    });

    std::printf("Packed %zu entries, %s, into %zu volume%s:\n", entries.size(), Bytes(total).c_str(),
                volumes.size(), volumes.size() == 1 ? "" : "s");
    for (const fs::path& volume : volumes)
        std::printf("  %s\n", volume.string().c_str());
    std::printf("\n");
    // The writer took every member's CRC as it wrote it: the data need not be read again here.
    CheckReport report = CheckMedium(options.target, false);
    std::string text = FormatText(report);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return report.Installs() ? 0 : 1;
}

} // namespace medium
