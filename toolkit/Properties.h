// Properties as tables: each class lists the names a definition may write, with the setter that
// takes the value and, where the inspection shows it, the key and the getter that reads it back.
// A class walks its base class's table first; where two tables have a name the later one takes it,
// so a class may take a name differently or refuse it. A name no table has is an error at its line.
//
//   void TLabel::Properties(PropertyWalk& walk) {
//       TGraphicControl::Properties(walk);
//       static constexpr Property<TLabel> properties[] = {
//           {"Caption", as::Text<&TLabel::SetCaption>, "caption", shown::Text<&TLabel::caption_>},
//           {"Alignment", as::Enum<&TLabel::SetAlignment, kAlignments>},
//       };
//       walk(*this, properties);
//   }
//
// A setter's member is a field or a one-argument member function, a getter's a field or a member
// function without one. An enumeration's names are one list beside it:
//
//   constexpr auto kAlignments = std::to_array<EnumName<TAlignment>>({{"taLeftJustify", ...}, ...});
#pragma once

#include "toolkit/Component.h"

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

template <class T> struct Property {
    const char* name; // null for what only the inspection shows
    void (*set)(T& self, const DefValue& value, Binder& binder);
    const char* key = nullptr; // null for what the inspection does not show
    std::string (*get)(const T& self) = nullptr;
};

// Goes through the tables of a component's classes, base classes first, either to find the setter
// of a name (the last table's that has it) or to describe the component into a record.
struct PropertyWalk {
    const std::string* name = nullptr;
    InspectRecord* record = nullptr;
    std::function<void(const DefValue&, Binder&)> found = {};

    // A part's rows (a font, a caption's text) are named after a prefix; a part that is not
    // described keeps out of the record.
    template <class T, std::size_t N>
    void operator()(T& self, const Property<T> (&table)[N], std::string_view prefix = {},
                    bool described = true) {
        for (const Property<T>& property : table) {
            if (record && described && property.key)
                record->emplace_back(property.key, property.get(self));
            if (name && property.name && name->starts_with(prefix) &&
                std::string_view(*name).substr(prefix.size()) == property.name)
                found = [&self, set = property.set](const DefValue& value, Binder& binder) {
                    set(self, value, binder);
                };
        }
    }
};

// Stores a setter's new value; true when it differs from the old one, for setters that repaint or
// recompute only then.
template <class T, class V> bool Change(T& field, V&& value) {
    if (field == value)
        return false;
    field = std::forward<V>(value);
    return true;
}

namespace as {

template <class Member> struct MemberValue;
template <class T, class V> struct MemberValue<V T::*> { using type = V; };
template <class T, class A> struct MemberValue<void (T::*)(A)> { using type = std::remove_cvref_t<A>; };
template <auto member> using ValueOf = typename MemberValue<decltype(member)>::type;

template <auto member, class T> void Store(T& self, ValueOf<member> value) {
    if constexpr (std::is_member_function_pointer_v<decltype(member)>)
        (self.*member)(std::move(value));
    else
        self.*member = std::move(value);
}

template <auto member, class T> void Int(T& self, const DefValue& value, Binder&) {
    Store<member>(self, static_cast<ValueOf<member>>(value.Int()));
}

template <auto member, class T> void Bool(T& self, const DefValue& value, Binder&) {
    Store<member>(self, value.Bool());
}

template <auto member, class T> void Text(T& self, const DefValue& value, Binder&) {
    Store<member>(self, value.String());
}

template <auto member, class T> void Color(T& self, const DefValue& value, Binder&) {
    Store<member>(self, value.Color());
}

template <auto member, const auto& names, class T> void Enum(T& self, const DefValue& value, Binder&) {
    Store<member>(self, static_cast<ValueOf<member>>(value.Enum(names)));
}

template <auto member, const auto& names, class T> void Flags(T& self, const DefValue& value, Binder&) {
    Store<member>(self, value.Set(names));
}

template <auto member, class T> void Event(T& self, const DefValue& value, Binder& binder) {
    BindEvent(self.*member, value, binder);
}

} // namespace as

namespace shown {

template <auto member, class T> decltype(auto) Read(const T& self) {
    if constexpr (std::is_member_function_pointer_v<decltype(member)>)
        return (self.*member)();
    else
        return self.*member;
}

template <auto member, class T> std::string Int(const T& self) {
    return std::to_string(Read<member>(self));
}

template <auto member, class T> std::string Bool(const T& self) {
    return Read<member>(self) ? "1" : "0";
}

template <auto member, class T> std::string Text(const T& self) {
    return Read<member>(self);
}

std::string Hex(unsigned value);

template <auto member, class T> std::string Color(const T& self) {
    return Hex(static_cast<unsigned>(Read<member>(self)));
}

// A list's texts, "|" between each two.
template <class Items, class TextOf> std::string Joined(const Items& items, TextOf text) {
    std::string joined;
    bool first = true;
    for (const auto& item : items) {
        joined += (first ? "" : "|") + text(item);
        first = false;
    }
    return joined;
}

} // namespace shown
