// Components: named objects owned by a window and configured from its definition.
#pragma once

#include "toolkit/Definition.h"
#include "toolkit/Exception.h"

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
};

class TComponent;
struct PropertyWalk;

// Event types shared by every component.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// What the names in a definition stand for while it is read: handlers of the window and other
// components of it (which may be defined further down, so references are resolved at the end).
class Binder {
public:
    virtual const std::any& Handler(const DefValue& name) = 0;
    virtual void Reference(const DefValue& name, std::function<void(TComponent*)> assign) = 0;

protected:
    ~Binder() = default;
};

// Binds a handler to an event, failing loudly when the handler's signature does not fit it.
template <class Event> void BindEvent(Event& event, const DefValue& name, Binder& binder) {
    const std::any& handler = binder.Handler(name);
    const Event* fitting = std::any_cast<Event>(&handler);
    if (!fitting)
        name.Fail("handler " + name.Name() + " does not fit this event");
    event = *fitting;
}

// A virtual key with modifier bits, as definitions store it.
using TShortCut = unsigned;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// One line of what a window tells about itself: key and value pairs.
using InspectRecord = std::vector<std::pair<std::string, std::string>>;

class TComponent : public TObject {
public:
    TComponent() = default;
    // Made by its owner: knows it from the start, and is designing when the owner is.
    explicit TComponent(TComponent* owner) : Designing(owner && owner->Designing), owner_(owner) {}
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string Name;
    std::string ClassName;
    TComponent* Owner() const { return owner_; }
    // Set where a visual form editor would host the component; the program never sets it.
    bool Designing = false;
    // Set while the owned components are released, so that they need not tidy up their owner.
    bool Destroying() const { return destroying_; }

    // Takes ownership; components are released with their owner, in reverse order.
    TComponent* InsertComponent(std::unique_ptr<TComponent> component);
    const std::vector<std::unique_ptr<TComponent>>& Components() const { return components_; }
    TComponent* FindComponent(const std::string& name) const;

    // A property written by a definition; unknown names are an error, never ignored.
    void SetProperty(const std::string& name, const DefValue& value, Binder& binder);
    // What the inspection shows of the component.
    void Describe(InspectRecord& record);
    // Walks the property tables of the component's classes, see Properties.h.
    virtual void Properties(PropertyWalk&) {}
    // A component nested inside this one in a definition.
    virtual void InsertChild(TComponent* child, const std::string& where);
    // Runs once every property of the whole window has been set.
    virtual void Loaded() {}
    // Runs each time the owning form has made its window, before the form's controls make theirs.
    virtual void OwnerHandleCreated() {}
    // A shortcut pressed while the owning form is active: true when the component ran what it stands for.
    virtual bool DispatchShortCut(TShortCut) { return false; }

    ~TComponent() override;

private:
    TComponent* owner_ = nullptr;
    bool destroying_ = false;
    std::vector<std::unique_ptr<TComponent>> components_;
};

// The kinds a definition may name, each with the function that makes one for an owner.
using ComponentFactory = std::function<std::unique_ptr<TComponent>(TComponent* owner)>;
void RegisterComponentKind(const std::string& kind, ComponentFactory factory);
std::unique_ptr<TComponent> CreateComponent(const std::string& kind, const std::string& where,
                                            TComponent* owner = nullptr);

template <class T> void RegisterComponentKind(const std::string& kind) {
    RegisterComponentKind(kind, [](TComponent* owner) -> std::unique_ptr<TComponent> {
        if constexpr (std::is_constructible_v<T, TComponent*>)
            return std::make_unique<T>(owner);
        else
            return std::make_unique<T>();
    });
}
