#include "toolkit/Definition.h"

#include "toolkit/Exception.h"

#include <cctype>
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
    if (kind == Kind::Integer)
        return Int();
    try {
        return ColorFromName(Name());
    } catch (const Exception& e) {
        Fail(e.what());
    }
}

void DefValue::FailUnknown() const {
    Fail("unknown value '" + text + "'");
}

void DefValue::FailUnknownMember(const std::string& item) const {
    Fail("unknown set member '" + item + "'");
}

const std::vector<std::string>& DefValue::SetItems() const {
    if (kind != Kind::Set)
        Fail("a set in brackets is expected");
    return items;
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
            int base = 10;
            if (text_.substr(pos_, 2) == "0x") {
                base = 16;
                pos_ += 2;
            }
            std::size_t digits = 0;
            while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_])) &&
                   (base == 16 || std::isdigit(static_cast<unsigned char>(text_[pos_])))) {
                char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_++])));
                value.integer = value.integer * base +
                                (std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : d - 'a' + 10);
                if (value.integer > 0xFFFFFFFFLL)
                    Fail("number out of range");
                ++digits;
            }
            if (digits == 0)
                Fail("digits expected");
            if (negative)
                value.integer = -value.integer;
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
            switch (e) {
            case '\\':
            case '"':
                result += e;
                break;
            case 'n':
                result += '\n';
                break;
            case 'r':
                result += '\r';
                break;
            case 't':
                result += '\t';
                break;
            case 'x': {
                if (pos_ + 2 > text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[pos_])) ||
                    !std::isxdigit(static_cast<unsigned char>(text_[pos_ + 1])))
                    Fail("two hexadecimal digits expected after \\x");
                result += static_cast<char>(std::stoi(std::string(text_.substr(pos_, 2)), nullptr, 16));
                pos_ += 2;
                break;
            }
            default:
                Fail(std::string("unknown escape \\") + e);
            }
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
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\r')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] != '\n')
            Fail("end of line expected");
    }

    void SkipSpaces() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
            ++pos_;
    }

    void SkipBlank() {
        for (;;) {
            while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (Peek() != '#')
                return;
            while (pos_ < text_.size() && text_[pos_] != '\n')
                ++pos_;
        }
    }

    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    std::string Where() const {
        int line = 1;
        for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i)
            line += text_[i] == '\n';
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
