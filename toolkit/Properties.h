// Properties as tables: each class lists the names a definition may write, each with the setter
// that takes the value. A class's own table is searched first, then its base class's, so a class may
// take a name differently or refuse it; a name no table has is an error at its line.
//
//   static constexpr Property<TBevel> properties[] = {
//       {"Shape", as::Enum<&TBevel::shape_, kBevelShapes>},
//       {"OnClick", as::Event<&TControl::OnClick>},
//   };
//
// A member given to a setter is a field or a one-argument member function. An enumeration's names
// are one list beside the enumeration:
//
//   constexpr auto kBevelShapes = std::to_array<EnumName<TBevelShape>>({{"bsBox", bsBox}, ...});
#pragma once

#include "toolkit/Component.h"

#include <string>
#include <utility>
#include <type_traits>

template <class T> struct Property {
    const char* name;
    void (*set)(T& self, const DefValue& value, Binder& binder);
};

// Stores a setter's new value; true when it differs from the old one, for setters that repaint or
// recompute only then.
template <class T, class V> bool Change(T& field, V&& value) {
    if (field == value)
        return false;
    field = std::forward<V>(value);
    return true;
}

// Applies a property of the table; false when the table does not have it.
template <class T, std::size_t N>
bool SetDeclared(T& self, const Property<T> (&table)[N], const std::string& name, const DefValue& value,
                 Binder& binder) {
    for (const Property<T>& property : table)
        if (name == property.name) {
            property.set(self, value, binder);
            return true;
        }
    return false;
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
