// Window definitions: each window's controls, their properties and handler names, kept as data.
//
//   object Form1: TForm1          # a component: its name, then its kind
//     Caption = "Text"            # strings in double quotes, \" \\ \n \t \xNN escapes
//     Left = 366                  # whole numbers, also 0x hexadecimal
//     BorderIcons = []            # sets of names
//     Font.Name = "Arial"         # properties of owned objects by their dotted path
//     OnShow = FormShow           # names: handlers, components, enumeration values, True/False
//     ShortCut = Ctrl+I           # names joined by '+'
//     object Image1: TImage       # owned components, in creation order
//     end
//   end
#pragma once

#include "toolkit/Color.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One name of an enumeration or set as definitions write it.
template <class E> struct EnumName {
    const char* name;
    E value;
};

struct DefValue {
    enum class Kind { Integer, String, Name, Set };
    Kind kind = Kind::Integer;
    long long integer = 0;
    std::string text;               // the string, or the name
    std::vector<std::string> items; // the set's names
    std::string where;              // "file:line", for error messages

    int Int() const;
    const std::string& String() const;
    const std::string& Name() const;
    bool Bool() const;
    TColor Color() const;
    template <class E, std::size_t N> E Enum(const std::array<EnumName<E>, N>& names) const {
        for (const auto& entry : names)
            if (Name() == entry.name)
                return entry.value;
        Fail("unknown value '" + text + "'");
    }
    template <class E, std::size_t N> unsigned Set(const std::array<EnumName<E>, N>& names) const {
        if (kind != Kind::Set)
            Fail("a set in brackets is expected");
        unsigned result = 0;
        for (const auto& item : items) {
            auto known = std::find_if(names.begin(), names.end(),
                                      [&item](const auto& entry) { return item == entry.name; });
            if (known == names.end())
                Fail("unknown set member '" + item + "'");
            result |= known->value;
        }
        return result;
    }

    [[noreturn]] void Fail(const std::string& what) const;
};

struct DefProperty {
    std::string name;
    DefValue value;
};

struct DefObject {
    std::string name;
    std::string kind;
    std::vector<DefProperty> properties;
    std::vector<DefObject> children;
    std::string where;
};

// Throws Exception naming the source and line of the first fault.
DefObject ParseDefinition(std::string_view text, const std::string& source);
