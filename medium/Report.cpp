#include "medium/Report.h"

#include "core/Text.h"

#include <cstdarg>
#include <cstdio>

namespace medium {

namespace {

// Settings are in the system's code page, not necessarily UTF-8; JSON must be. Text that is not
// valid UTF-8 is taken for Latin-1, the commonest such page.
std::string JsonString(const std::string& text) {
    bool utf8 = true;
    unrar::WideOfUtf8(text, &utf8);
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\')
            out += {'\\', char(c)};
        else if (c < 0x20 || (c >= 0x80 && !utf8))
            out += Printed("\\u%04x", c);
        else
            out += char(c);
    }
    return out + "\"";
}

} // namespace

std::string Printed(const char* format, ...) {
    va_list arguments, again;
    va_start(arguments, format);
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text(length > 0 ? size_t(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return "ok";
    case Verdict::Warning:
        return "warning";
    default:
        return "failure";
    }
}

std::string FormatText(const CheckReport& report) {
    std::string text;
    size_t failures = 0, warnings = 0;
    for (const Finding& finding : report.findings) {
        failures += finding.verdict == Verdict::Failure;
        warnings += finding.verdict == Verdict::Warning;
        text += Printed("%-8s %-12s %s\n", VerdictName(finding.verdict), finding.subject.c_str(),
                        finding.message.c_str());
    }
    if (failures)
        text += Printed("The medium would not install: %zu failure%s, %zu warning%s.\n", failures,
                        failures == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
    else
        text += Printed("The medium would install (%zu warning%s).\n", warnings, warnings == 1 ? "" : "s");
    return text;
}

std::string FormatJson(const CheckReport& report, const std::filesystem::path& directory) {
    std::string json = "{\"medium\": " + JsonString(directory.string()) +
                       ", \"installs\": " + (report.Installs() ? "true" : "false") + ", \"findings\": [";
    const char* separator = "\n  ";
    for (const Finding& finding : report.findings) {
        json += separator;
        json += "{\"verdict\": \"" + std::string(VerdictName(finding.verdict)) +
                "\", \"subject\": " + JsonString(finding.subject) +
                ", \"message\": " + JsonString(finding.message) + "}";
        separator = ",\n  ";
    }
    return json + "\n]}\n";
}

} // namespace medium
