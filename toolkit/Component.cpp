#include "toolkit/Component.h"

#include "toolkit/Properties.h"

#include <algorithm>
#include <map>

TComponent* TComponent::InsertComponent(std::unique_ptr<TComponent> component) {
    component->owner_ = this;
    components_.push_back(std::move(component));
    return components_.back().get();
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    auto found = std::ranges::find(components_, name, &TComponent::Name);
    return found == components_.end() ? nullptr : found->get();
}

void TComponent::SetProperty(const std::string& name, const DefValue& value, Binder& binder) {
    PropertyWalk walk{.name = &name};
    Properties(walk);
    if (!walk.found)
        value.Fail(ClassName + " " + Name + " has no property " + name);
    walk.found(value, binder);
}

void TComponent::Describe(InspectRecord& record) {
    record.emplace_back("name", Name);
    record.emplace_back("kind", ClassName);
    PropertyWalk walk{.record = &record};
    Properties(walk);
}

void TComponent::InsertChild(TComponent* child, const std::string& where) {
    throw Exception(where + ": " + ClassName + " " + Name + " cannot hold " + child->ClassName);
}

TComponent::~TComponent() {
    destroying_ = true;
    while (!components_.empty())
        components_.pop_back();
}

namespace {
std::map<std::string, ComponentFactory>& Kinds() {
    static std::map<std::string, ComponentFactory> kinds;
    return kinds;
}
} // namespace

void RegisterComponentKind(const std::string& kind, ComponentFactory factory) {
    Kinds()[kind] = std::move(factory);
}

std::unique_ptr<TComponent> CreateComponent(const std::string& kind, const std::string& where,
                                            TComponent* owner) {
    auto found = Kinds().find(kind);
    if (found == Kinds().end())
        throw Exception(where + ": unknown kind " + kind);
    std::unique_ptr<TComponent> component;
    try {
        component = found->second(owner);
    } catch (const Exception& e) {
        throw Exception(where + ": " + e.what());
    }
    component->ClassName = kind;
    return component;
}
