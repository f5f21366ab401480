// Making a form from its definition: its properties, its components in order, their references
// resolved at the end and the form's members bound to them.
#include "toolkit/Form.h"

#include "toolkit/Gdi.h"
#include "toolkit/Properties.h"
#include "toolkit/Resources.h"

#include <algorithm>

namespace {

class DefinitionLoader : public Binder {
public:
    DefinitionLoader(TForm& form, const Handlers& handlers) : form_(form), handlers_(handlers) {}

    void Apply(TComponent& target, const DefObject& definition) {
        for (const auto& property : definition.properties)
            target.SetProperty(property.name, property.value, *this);
        for (const auto& child : definition.children) {
            if (form_.FindComponent(child.name) || child.name == form_.Name)
                throw Exception(child.where + ": a second component named " + child.name);
            auto component = CreateComponent(child.kind, child.where, &form_);
            component->Name = child.name;
            TComponent* made = form_.InsertComponent(std::move(component));
            target.InsertChild(made, child.where);
            Apply(*made, child);
        }
    }

    void ResolveReferences() {
        for (const auto& [name, assign] : references_) {
            TComponent* component = form_.FindComponent(name.Name());
            if (!component)
                name.Fail("no component named " + name.Name());
            assign(component);
        }
    }

    const std::any& Handler(const DefValue& name) override {
        auto found = handlers_.find(name.Name());
        if (found == handlers_.end())
            name.Fail(form_.ClassName + " has no handler " + name.Name());
        return found->second;
    }

    void Reference(const DefValue& name, std::function<void(TComponent*)> assign) override {
        name.Name();
        references_.emplace_back(name, std::move(assign));
    }

private:
    TForm& form_;
    const Handlers& handlers_;
    std::vector<std::pair<DefValue, std::function<void(TComponent*)>>> references_;
};

void FailSize(TForm&, const DefValue& value, Binder&) {
    value.Fail("a window's size is given by ClientWidth and ClientHeight, its showing by the program");
}

} // namespace

void TForm::Load(std::initializer_list<FieldBinding> fields) {
    std::string source = ClassName + " window definition";
    DefObject root = ParseDefinition(ResourceData(ClassName), source);
    if (root.kind != ClassName)
        throw Exception(root.where + ": the definition is of " + root.kind + ", not of " + ClassName);
    Name = root.name;
    loading_ = true;
    ScopeExit reading([this] { loading_ = false; });
    DefinitionLoader loader(*this, handlers_);
    loader.Apply(*this, root);
    loader.ResolveReferences();
    for (const auto& component : Components())
        component->Loaded();
    Loaded();
    if (autoSize_) {
        int width = 0, height = 0;
        for (TControl* control : controls_)
            if (control->Visible()) {
                width = std::max(width, control->Left() + control->Width());
                height = std::max(height, control->Top() + control->Height());
            }
        SetClientSize(width, height);
    }
    for (const auto& field : fields)
        if (!field.assign(FindComponent(field.name)))
            throw Exception(source + ": " + field.name + " is missing or of another kind");
    if (OnCreate)
        OnCreate(this);
}

void TForm::Properties(PropertyWalk& walk) {
    TWinControl::Properties(walk);
    static constexpr Property<TForm> properties[] = {
        {"Caption", as::Text<&TForm::SetCaption>, "caption", shown::Text<&TForm::caption_>},
        {"ClientWidth",
         [](TForm& form, const DefValue& v, Binder&) { form.SetClientSize(v.Int(), form.clientHeight_); }},
        {"ClientHeight",
         [](TForm& form, const DefValue& v, Binder&) { form.SetClientSize(form.clientWidth_, v.Int()); }},
        {"Left", as::Int<&TForm::left_>},
        {"Top", as::Int<&TForm::top_>},
        {"AutoSize", as::Bool<&TForm::autoSize_>},
        {"BorderStyle", as::Enum<&TForm::SetBorderStyle, kBorderStyles>},
        {"BorderIcons", as::Flags<&TForm::SetBorderIcons, kBorderIcons>},
        {"Position", as::Enum<&TForm::Position, kPositions>},
        {"PixelsPerInch",
         [](TForm&, const DefValue& v, Binder&) {
             if (v.Int() != kPixelsPerInch)
                 v.Fail("windows are laid out at 96 pixels per inch only");
         }},
        {"OnCreate", as::Event<&TForm::OnCreate>},
        {"OnShow", as::Event<&TForm::OnShow>},
        {"OnActivate", as::Event<&TForm::OnActivate>},
        {"Width", FailSize},
        {"Height", FailSize},
        {"Visible", FailSize},
        {nullptr, nullptr, "hint.shown", shown::Text<&TForm::hintText_>},
    };
    walk(*this, properties);
}
