#include "toolkit/Exception.h"

#include <cctype>
#include <cstdint>

int StrToInt(const std::string& text) {
    auto fail = [&]() -> int { throw EConvertError("'" + text + "' is not a valid integer value"); };
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return fail();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return fail();
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{INT32_MAX} + 1)
            return fail();
    }
    value = negative ? -value : value;
    if (value > INT32_MAX || value < INT32_MIN)
        return fail();
    return static_cast<int>(value);
}
