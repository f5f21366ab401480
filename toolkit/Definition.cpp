#include "toolkit/Definition.h"

#include "toolkit/Exception.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

void DefValue::Fail(const std::string& what) const {
    throw Exception(where + ": " + what);
}

int DefValue::Int() const {
    if (kind != Kind::Integer)
        Fail("a whole number is expected");
    if (integer < INT32_MIN || integer > UINT32_MAX)
        Fail("number out of range");
    return static_cast<int>(static_cast<std::int64_t>(integer));
}

const std::string& DefValue::String() const {
    if (kind != Kind::String)
        Fail("a string in double quotes is expected");
    return text;
}

const std::string& DefValue::Name() const {
    if (kind != Kind::Name)
        Fail("a name is expected");
    return text;
}

bool DefValue::Bool() const {
    static constexpr auto kBooleans = std::to_array<EnumName<bool>>({{"False", false}, {"True", true}});
    return Enum(kBooleans);
}

TColor DefValue::Color() const {
    // Any other colour is written as its number.
    static constexpr auto kColors = std::to_array<EnumName<TColor>>({
        {"clBlack", clBlack},
        {"clGreen", clGreen},
        {"clNavy", clNavy},
        {"clGray", clGray},
        {"clRed", clRed},
        {"clLime", clLime},
        {"clYellow", clYellow},
        {"clBlue", clBlue},
        {"clWhite", clWhite},
        {"clActiveCaption", clActiveCaption},
        {"clInactiveCaption", clInactiveCaption},
        {"clWindow", clWindow},
        {"clWindowText", clWindowText},
        {"clCaptionText", clCaptionText},
        {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow},
        {"clInactiveCaptionText", clInactiveCaptionText},
        {"clBtnHighlight", clBtnHighlight},
    });
    return kind == Kind::Integer ? Int() : Enum(kColors);
}

namespace {

class Parser {
public:
    Parser(std::string_view text, const std::string& source) : text_(text), source_(source) {}

    DefObject Document() {
        SkipBlank();
        DefObject root = Object();
        SkipBlank();
        if (pos_ != text_.size())
            Fail("text after the last 'end'");
        return root;
    }

private:
    DefObject Object() {
        DefObject object;
        object.where = Where();
        if (Word() != "object")
            Fail("'object' expected");
        object.name = Word();
        Expect(':');
        object.kind = Word();
        EndOfLine();
        for (;;) {
            SkipBlank();
            if (pos_ == text_.size())
                Fail("'end' missing for " + object.name);
            std::size_t start = pos_;
            std::string word = Word();
            if (word == "end") {
                EndOfLine();
                return object;
            }
            if (word == "object") {
                pos_ = start;
                object.children.push_back(Object());
                continue;
            }
            DefProperty property;
            property.name = word;
            while (Peek() == '.') {
                ++pos_;
                property.name += "." + Word();
            }
            SkipSpaces();
            Expect('=');
            property.value = Value();
            EndOfLine();
            object.properties.push_back(std::move(property));
        }
    }

    DefValue Value() {
        SkipSpaces();
        DefValue value;
        value.where = Where();
        char c = Peek();
        if (c == '"') {
            value.kind = DefValue::Kind::String;
            value.text = Quoted();
        } else if (c == '[') {
            value.kind = DefValue::Kind::Set;
            ++pos_;
            SkipSpaces();
            while (Peek() != ']') {
                if (!value.items.empty()) {
                    Expect(',');
                    SkipSpaces();
                }
                value.items.push_back(Word());
                SkipSpaces();
            }
            ++pos_;
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            value.kind = DefValue::Kind::Integer;
            bool negative = c == '-';
            if (negative)
                ++pos_;
            int base = text_.substr(pos_, 2) == "0x" ? 16 : 10;
            if (base == 16)
                pos_ += 2;
            std::uint64_t magnitude = 0;
            const char* start = text_.data() + pos_;
            auto [end, error] = std::from_chars(start, text_.data() + text_.size(), magnitude, base);
            if (end == start)
                Fail("digits expected");
            if (error != std::errc() || magnitude > 0xFFFFFFFF)
                Fail("number out of range");
            pos_ += static_cast<std::size_t>(end - start);
            value.integer = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
        } else {
            value.kind = DefValue::Kind::Name;
            value.text = Word();
            while (Peek() == '+') {
                ++pos_;
                value.text += "+" + Word();
            }
        }
        return value;
    }

    std::string Quoted() {
        ++pos_;
        std::string result;
        for (;;) {
            if (pos_ == text_.size() || text_[pos_] == '\n')
                Fail("string not closed");
            char c = text_[pos_++];
            if (c == '"')
                return result;
            if (c != '\\') {
                result += c;
                continue;
            }
            if (pos_ == text_.size())
                Fail("string not closed");
            char e = text_[pos_++];
            // Each escape letter stands for the character at the same place in the second list.
            constexpr std::string_view kEscapes = "\\\"nrt", kMeanings = "\\\"\n\r\t";
            if (std::size_t at = kEscapes.find(e); at != std::string_view::npos) {
                result += kMeanings[at];
                continue;
            }
            if (e != 'x')
                Fail(std::string("unknown escape \\") + e);
            if (pos_ + 2 > text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[pos_])) ||
                !std::isxdigit(static_cast<unsigned char>(text_[pos_ + 1])))
                Fail("two hexadecimal digits expected after \\x");
            result += static_cast<char>(std::stoi(std::string(text_.substr(pos_, 2)), nullptr, 16));
            pos_ += 2;
        }
    }

    std::string Word() {
        SkipSpaces();
        std::size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        if (start == pos_)
            Fail("a name is expected");
        return std::string(text_.substr(start, pos_ - start));
    }

    void Expect(char c) {
        SkipSpaces();
        if (Peek() != c)
            Fail(std::string("'") + c + "' expected");
        ++pos_;
    }

    void EndOfLine() {
        SkipSpaces();
        if (Peek() == '#')
            SkipComment();
        if (pos_ < text_.size() && text_[pos_] == '\r')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] != '\n')
            Fail("end of line expected");
    }

    void SkipSpaces() { pos_ = std::min(text_.find_first_not_of(" \t", pos_), text_.size()); }

    void SkipComment() { pos_ = std::min(text_.find('\n', pos_), text_.size()); }

    void SkipBlank() {
        for (;;) {
            while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (Peek() != '#')
                return;
            SkipComment();
        }
    }

    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    std::string Where() const {
        auto line = 1 + std::count(text_.begin(), text_.begin() + std::min(pos_, text_.size()), '\n');
        return source_ + ":" + std::to_string(line);
    }

    [[noreturn]] void Fail(const std::string& what) const { throw Exception(Where() + ": " + what); }

    std::string_view text_;
    const std::string& source_;
    std::size_t pos_ = 0;
};

} // namespace

DefObject ParseDefinition(std::string_view text, const std::string& source) {
    return Parser(text, source).Document();
}
