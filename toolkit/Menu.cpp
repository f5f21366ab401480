#include "toolkit/Menu.h"

#include "toolkit/Application.h"
#include "toolkit/Gdi.h"
#include "toolkit/Properties.h"

#include <string_view>
#include <utility>

namespace {

// The modifiers as a shortcut's text names them, in their order.
constexpr std::pair<std::string_view, TShortCut> kModifiers[] = {
    {"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};

bool IsLetterOrDigit(unsigned key) {
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

} // namespace

std::string ShortCutToText(TShortCut shortCut) {
    std::string text;
    for (auto [prefix, modifier] : kModifiers)
        if (shortCut & modifier)
            text += prefix;
    UINT key = shortCut & 0xFF;
    char name[64] = {};
    if (IsLetterOrDigit(key))
        name[0] = static_cast<char>(key);
    else
        GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16, name, sizeof name);
    return text + name;
}

TShortCut ShortCutOf(const DefValue& value) {
    std::string_view rest = value.Name();
    TShortCut shortCut = 0;
    for (auto [prefix, modifier] : kModifiers)
        if (rest.starts_with(prefix)) {
            shortCut |= modifier;
            rest.remove_prefix(prefix.size());
        }
    if (rest.size() != 1 || !IsLetterOrDigit(static_cast<unsigned char>(rest[0])))
        value.Fail("a shortcut is Shift+, Ctrl+, Alt+ in this order, then a capital letter or a digit");
    return shortCut | static_cast<unsigned char>(rest[0]);
}

void TMenuItem::Click() {
    if (Enabled && OnClick)
        OnClick(this);
}

void TMenuItem::Properties(PropertyWalk& walk) {
    TComponent::Properties(walk);
    static constexpr Property<TMenuItem> properties[] = {
        {"Caption", as::Text<&TMenuItem::Caption>, "caption", shown::Text<&TMenuItem::Caption>},
        {"ShortCut", [](TMenuItem& item, const DefValue& v, Binder&) { item.ShortCut = ShortCutOf(v); },
         "shortcut", shown::Int<&TMenuItem::ShortCut>},
        {"Enabled", as::Bool<&TMenuItem::Enabled>},
        {"Visible", as::Bool<&TMenuItem::Visible>},
        {"OnClick", as::Event<&TMenuItem::OnClick>},
    };
    walk(*this, properties);
}

void TPopupMenu::InsertChild(TComponent* child, const std::string& where) {
    auto* item = dynamic_cast<TMenuItem*>(child);
    if (!item)
        TComponent::InsertChild(child, where);
    items_.push_back(item);
}

void TPopupMenu::Popup(int x, int y) {
    OwnedMenu owned(CreatePopupMenu());
    HMENU menu = owned.Get();
    UINT id = 1;
    for (TMenuItem* item : items_) {
        if (item->Visible) {
            std::string text = item->Caption;
            if (item->ShortCut)
                text += "\t" + ShortCutToText(item->ShortCut);
            AppendMenuA(menu, MF_STRING | (item->Enabled ? 0 : MF_GRAYED), id, text.c_str());
        }
        ++id;
    }
    HWND owner = GetActiveWindow() ? GetActiveWindow() : Application.Handle();
    UINT chosen =
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr);
    if (chosen >= 1 && chosen <= items_.size())
        items_[chosen - 1]->Click();
}

bool TPopupMenu::DispatchShortCut(TShortCut shortCut) {
    for (TMenuItem* item : items_)
        if (item->ShortCut == shortCut && item->Visible && item->Enabled) {
            item->Click();
            return true;
        }
    return false;
}
