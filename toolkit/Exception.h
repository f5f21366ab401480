// Failures that escape a handler end up in the application's error box with their message.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An object taken for a kind that it is not.
class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};

// Decimal whole numbers as users write them in settings; anything else is an EConvertError
// with the message users of the installer are shown.
int StrToInt(const std::string& text);
