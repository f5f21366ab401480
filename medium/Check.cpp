#include "medium/Check.h"

#include "core/Archive.h"
#include "core/PlatformFileSystem.h"
#include "core/SafePath.h"
#include "core/Text.h"
#include "installation/SettingKeys.h"
#include "medium/Profile.h"
#include "medium/Report.h"
#include "toolkit/Exception.h"
#include "RarResults.h"
#include "unrar.h"

#include <xmp.h>

#include <array>
#include <fstream>
#include <iterator>
#include <optional>

namespace medium {

namespace {

namespace fs = std::filesystem;

using enum Settings::Key::Index;

// Wine skips an editor's UTF-8 mark at the start of a profile; Windows does not.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string FirstLine(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

constexpr double kMiB = 1048576.0;

std::optional<std::string> ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A setting names a file beside the program as Windows would read it.
fs::path Beside(const fs::path& directory, std::string name) {
#ifndef _WIN32
    for (char& c : name) {
        if (c == '\\')
            c = '/';
    }
#endif
    return directory / fs::path(name);
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Megabytes(uint64_t bytes) {
    return Printed("%.1f Mb", double(bytes) / kMiB);
}

std::string CodeMeaning(int code) {
    const RarResult* result = FindRarResult(code);
    return result ? result->cause : Printed("error %d", code);
}

const char* RefusalMeaning(unrar::PathRefusal refusal) {
    switch (refusal) {
    case unrar::PathRefusal::ParentComponent:
        return "it has a \"..\" component";
    case unrar::PathRefusal::ReservedCharacter:
        return "it has a character Windows does not allow in a name (< > : \" | ? * or a control character)";
    case unrar::PathRefusal::DeviceName:
        return "it names a device (CON, NUL, COM1 and the like)";
    case unrar::PathRefusal::DotsAndSpaces:
        return "it has a component of dots and spaces only";
    default:
        return "nothing of it is left to name a file by";
    }
}

// What reading the whole archive found, for the settings that describe it.
struct ArchiveFacts {
    bool complete = false; // every member was read to its end
    size_t volumes = 0;
    uint64_t unpacked = 0;
};

class MediumCheck {
public:
    MediumCheck(const fs::path& directory, bool readData, const std::function<void(uint64_t)>& reading)
        : directory(directory), readData(readData), reading(reading) {}

    CheckReport Run() {
        std::optional<std::string> ini = ReadWhole(directory / "install.ini");
        if (!ini) {
            settings.Fail("install.ini", "missing beside the program: every setting would be empty");
        } else {
            if (ini->starts_with(kUtf8Mark))
                settings.Fail("install.ini",
                              "begins with a UTF-8 byte-order mark, which Windows reads as text: its first "
                              "line is \"\xC3\xAF\xC2\xBB\xC2\xBF" +
                                  FirstLine(ini->substr(3)) +
                                  "\" there, no section header, so the settings under it would be "
                                  "empty; save the file without the mark");
            ReadSettings(*ini);
            CheckArchive();
            CheckSettings();
        }
        CheckModule();
        CheckReport report;
        for (Report* part : {&settings, &archive, &module})
            report.findings.insert(report.findings.end(), part->findings.begin(), part->findings.end());
        return report;
    }

private:
    void ReadSettings(const std::string& ini) {
        bool section = false;
        std::array<int, Settings::kCount> written{};
        ForEachKey(ini, Settings::kSection, [&](std::string_view name, std::string_view) {
            section = true;
            for (size_t i = 0; i < Settings::kCount; ++i) {
                if (SameProfileName(name, Settings::kKeys[i])) {
                    ++written[i];
                    return true;
                }
            }
            // A stem without its full stops, or with too few or too many, is a key the installer
            // never asks for.
            std::string_view stem = name.substr(0, name.find_last_not_of('.') + 1);
            for (const char* key : Settings::kKeys) {
                std::string_view keyStem(key);
                keyStem = keyStem.substr(0, keyStem.find('.'));
                if (SameProfileName(stem, keyStem))
                    settings.Warn(std::string(name),
                                  "is not read: the installer reads only the key " + Quoted(key));
            }
            return true;
        });
        if (!section)
            settings.Fail("install.ini", "has no key in an [OPTIONS] section: every setting would be empty");
        for (size_t i = 0; i < Settings::kCount; ++i) {
            std::optional<std::string> raw =
                ProfileValue(ini, Settings::kSection, Settings::kKeys[i], Settings::kProfileBuffer);
            present[i] = raw.has_value();
            values[i] = raw.value_or("").substr(0, Settings::kMaxSetting);
            if (raw && raw->size() > Settings::kMaxSetting)
                settings.Warn(Settings::kKeys[i],
                              Printed("is %zu characters long: the installer keeps the first %zu",
                                      raw->size(), Settings::kMaxSetting));
            if (written[i] > 1)
                settings.Warn(Settings::kKeys[i],
                              Printed("is written %d times: the installer takes the first", written[i]));
        }
    }

    void CheckSettings() {
        Text(APPZ, "the main window's status line", "the main window shows no product name");
        CheckSize();
        if (values[DIR].find_first_of("\\/:*?\"<>|") != std::string::npos)
            settings.Warn(Settings::kKeys[DIR], Quoted(values[DIR]) +
                                                    " has a character Windows refuses in a name: the "
                                                    "make-directory dialog would fail to make it");
        else
            Text(DIR, "the make-directory dialog's proposal", "the make-directory dialog proposes no name");
        CheckFileRar();
        CheckNfo();
        CheckReg();
        Text(SCRTXT, "the scrolling line", "the main window's scrolling line stays empty");
        CheckFiles();
    }

    void Text(Settings::Key::Index key, const char* use, const char* emptyEffect) {
        if (values[key].empty())
            settings.Warn(Settings::kKeys[key],
                          std::string(present[key] ? "empty" : "missing") + ": " + emptyEffect);
        else
            settings.Pass(Settings::kKeys[key], Quoted(values[key]) + ": " + use);
    }

    // The value as the installer converts it, or a failure reported with the installer's own message.
    std::optional<int> Number(Settings::Key::Index key, const char* where) {
        try {
            return StrToInt(values[key]);
        } catch (const EConvertError& error) {
            settings.Fail(Settings::kKeys[key],
                          std::string(error.what()) + ": " + where + " stops with this error");
            return std::nullopt;
        }
    }

    void CheckSize() {
        const char* key = Settings::kKeys[SIZE];
        std::optional<int> size = Number(SIZE, "the directory dialog");
        if (!size)
            return;
        if (!facts.complete) {
            settings.Warn(key, Printed("%d Mb: the archive could not be read to compare", *size));
            return;
        }
        double needed = double(facts.unpacked) / kMiB;
        double margin = *size - needed;
        if (margin < 0)
            settings.Fail(key,
                          Printed("%d Mb is less than the %s unpacked: a user could start an install that "
                                  "fills the disk",
                                  *size, Megabytes(facts.unpacked).c_str()));
        else
            settings.Pass(key, Printed("%d Mb covers the %s unpacked, %.1f Mb to spare (%.0f%%)", *size,
                                       Megabytes(facts.unpacked).c_str(), margin,
                                       needed > 0 ? 100 * margin / needed : 100.0));
    }

    void CheckFileRar() {
        const char* key = Settings::kKeys[FILERAR];
        if (values[FILERAR].empty())
            settings.Fail(key, std::string(present[FILERAR] ? "empty" : "missing") +
                                   ": the installer would take the program directory for the archive");
        else if (IsFile(Beside(directory, values[FILERAR])))
            settings.Pass(key, Quoted(values[FILERAR]) + ": the archive's first volume");
        else
            settings.Fail(key, Quoted(values[FILERAR]) +
                                   " is not beside the program: there is nothing to install");
    }

    void CheckNfo() {
        const char* key = Settings::kKeys[NFO];
        if (!values[NFO].empty() && IsFile(Beside(directory, values[NFO])))
            settings.Pass(key, Quoted(values[NFO]) + ": the information file");
        else
            settings.Fail(key, (values[NFO].empty() ? std::string("empty")
                                                    : Quoted(values[NFO]) + " is not beside the program") +
                                   ": the viewer shows \"Can`t load file " + values[NFO] + "\"");
    }

    void CheckReg() {
        const char* key = Settings::kKeys[REG];
        const std::string& reg = values[REG];
        if (reg == Settings::kNoRegistryFile)
            settings.Pass(key, "NONE: nothing is handed to the shell after the install");
        else if (reg.empty())
            settings.Warn(key, std::string(present[REG] ? "empty" : "missing") +
                                   ": the shell is handed the program directory after the install");
        else if (IsFile(Beside(directory, reg)))
            settings.Pass(key, Quoted(reg) + ": handed to the shell after the install");
        else
            settings.Fail(key, Quoted(reg) +
                                   " is not beside the program: opening it after the install fails" +
                                   (SameProfileName(reg, Settings::kNoRegistryFile)
                                        ? " (only NONE in capitals means no registry file)"
                                        : ""));
    }

    void CheckFiles() {
        const char* key = Settings::kKeys[FILES];
        std::optional<int> files = Number(FILES, "the extraction dialog");
        if (!files)
            return;
        if (*files < 1)
            settings.Fail(key, Printed("%d: the extraction dialog's volume bar gets no valid range", *files));
        else if (!facts.complete)
            settings.Warn(key, Printed("%d: the archive could not be read to compare", *files));
        else if (size_t(*files) != facts.volumes)
            settings.Fail(key,
                          Printed("%d, but the archive has %zu volume%s: the volume bar would not tell the "
                                  "truth",
                                  *files, facts.volumes, facts.volumes == 1 ? "" : "s"));
        else
            settings.Pass(key, Printed("%d: the number of the archive's volumes", *files));
    }

    void CheckArchive() {
        if (values[FILERAR].empty() || !IsFile(Beside(directory, values[FILERAR])))
            return;
        const std::string first = Beside(directory, values[FILERAR]).string();
        unrar::PlatformFileSystem files;
        int result = RarOk;
        std::unique_ptr<unrar::Archive> rar = unrar::Archive::Open(files, first, result);
        if (!rar) {
            archive.Fail(values[FILERAR], CodeMeaning(result));
            return;
        }
        std::vector<std::string> volumes{first};
        std::string missing;
        rar->SetVolumeCallback([&](std::string& path, int mode) {
            if (mode == RarVolumeOpened) {
                volumes.push_back(path);
                return 1;
            }
            missing = path;
            return -1;
        });

        uint64_t read = 0;
        rar->SetDataCallback([&](const uint8_t*, size_t size) {
            if (reading)
                reading(read += size);
            return true;
        });

        size_t members = 0, failures = 0;
        bool whole = true;
        for (;;) {
            unrar::MemberHeader header;
            result = rar->ReadHeader(header);
            if (result == RarEndOfArchive)
                break;
            if (result != RarOk) {
                whole = false;
                if (!missing.empty())
                    break;
                archive.Fail(values[FILERAR], CodeMeaning(result));
                if (result == RarBadData && ++failures < kMostFailures)
                    continue;
                break;
            }
            ++members;
            const std::string name = unrar::Utf8OfWide(header.name);
            unrar::PathRefusal refusal = unrar::PathRefusal::None;
            std::wstring safe = unrar::SafeRelativePath(header.name, refusal);
            if (safe.empty()) {
                archive.Fail(name, std::string("is refused by the installer: ") + RefusalMeaning(refusal));
                whole = false;
            } else if (safe != Slashed(header.name)) {
                archive.Warn(name, "is written as " + Quoted(unrar::Utf8OfWide(safe)) + " below the target");
            }
            const unrar::Redirection link = header.record.redirection;
            if (link == unrar::Redirection::UnixSymlink || link == unrar::Redirection::WindowsSymlink ||
                link == unrar::Redirection::Junction)
                archive.Warn(name, "is a link: the installer makes no links, so it will be missing");
            if (!header.record.directory)
                facts.unpacked += header.record.unpSize;
            if (header.record.encrypted) {
                archive.Fail(name, CodeMeaning(RarPasswordMissing));
                whole = false;
                continue;
            }
            if (!readData)
                continue;
            int tested = rar->Process(RarTest, nullptr, nullptr);
            if (tested != RarOk && missing.empty()) {
                archive.Fail(name, CodeMeaning(tested));
                whole = false;
                if (++failures >= kMostFailures)
                    break;
            }
            if (!missing.empty())
                break;
        }
        if (!missing.empty())
            archive.Fail(
                fs::path(missing).filename().string(),
                Printed("is missing or not the next volume of the set: the installer would ask the user "
                        "for it, after volume %zu",
                        volumes.size()));
        for (size_t i = 0; i < volumes.size(); ++i)
            archive.Pass(fs::path(volumes[i]).filename().string(),
                         Printed("volume %zu of the archive", i + 1));
        facts.volumes = volumes.size();
        facts.complete = whole && missing.empty();
        if (facts.complete)
            archive.Pass(values[FILERAR],
                         Printed("%zu members, %s unpacked, %s", members, Megabytes(facts.unpacked).c_str(),
                                 readData ? "all read and their CRCs right"
                                          : "their headers read (check reads their data)"));
    }

    void CheckModule() {
        const fs::path path = directory / "install.dat";
        std::optional<std::string> bytes = ReadWhole(path);
        if (!bytes) {
            module.Fail("install.dat",
                        "missing beside the program: the installer stops at start with the music "
                        "library's error");
            return;
        }
        // The music library hands libxmp the size as a 32-bit long.
        if (bytes->size() > 0x7FFFFFFF) {
            module.Fail("install.dat", "is larger than the music library reads");
            return;
        }
        xmp_context context = xmp_create_context();
        int loaded = xmp_load_module_from_memory(context, bytes->data(), long(bytes->size()));
        if (loaded < 0) {
            module.Fail("install.dat",
                        loaded == -XMP_ERROR_LOAD
                            ? "is a damaged module: the installer stops at start with the music "
                              "library's error"
                            : "is no module the music library knows (a packed one neither): the "
                              "installer stops at start with its error");
        } else {
            xmp_module_info info;
            xmp_get_module_info(context, &info);
            module.Pass("install.dat", Printed("a %s module, \"%s\", %d channels", info.mod->type,
                                               info.mod->name, info.mod->chn));
            xmp_release_module(context);
        }
        xmp_free_context(context);
    }

    static std::wstring Slashed(std::wstring name) {
        for (wchar_t& c : name) {
            if (c == L'\\')
                c = L'/';
        }
        return name;
    }

    // A damaged archive would otherwise give a line for each of thousands of members.
    static constexpr size_t kMostFailures = 20;

    fs::path directory;
    bool readData;
    std::function<void(uint64_t)> reading;
    std::array<std::string, Settings::kCount> values;
    std::array<bool, Settings::kCount> present{};
    ArchiveFacts facts;
    Report settings, archive, module;
};

} // namespace

bool CheckReport::Installs() const {
    for (const Finding& finding : findings) {
        if (finding.verdict == Verdict::Failure)
            return false;
    }
    return true;
}

CheckReport CheckMedium(const fs::path& directory, bool readData,
                        const std::function<void(uint64_t)>& reading) {
    return MediumCheck(directory, readData, reading).Run();
}

} // namespace medium
