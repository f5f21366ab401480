#include "tests/driver/Driver.h"

#include <cstdlib>
#include <stdexcept>

namespace driver {

static std::string FromEnvironment(const char* variable, const std::string& relative) {
    const char* base = std::getenv(variable);
    if (!base || !*base)
        throw std::runtime_error(std::string(variable) + " is not set: run the test through ctest");
    std::string path = WindowsPathOf(base);
    if (relative.empty())
        return path;
    if (path.back() != '\\')
        path += '\\';
    for (char c : relative)
        path += c == '/' ? '\\' : c;
    return path;
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:";
    for (char c : unixPath)
        path += c == '/' ? '\\' : c;
    return path;
}

std::string BinPath(const std::string& relative) {
    return FromEnvironment("KORVADEL_BIN", relative);
}

std::string SourcePath(const std::string& relative) {
    return FromEnvironment("KORVADEL_SOURCE", relative);
}

} // namespace driver
