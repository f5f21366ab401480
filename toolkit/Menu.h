// Popup menus and their entries, with keyboard shortcuts that work while the menu's form is active.
#pragma once

#include "toolkit/Component.h"

#include <windows.h>

// "Ctrl+I" and the like, as menus show it.
std::string ShortCutToText(TShortCut shortCut);
// A definition's shortcut, written as the menu shows it; fails at the value's line otherwise.
TShortCut ShortCutOf(const DefValue& value);

class TMenuItem : public TComponent {
public:
    std::string Caption;
    TShortCut ShortCut = 0;
    bool Enabled = true;
    bool Visible = true;
    TNotifyEvent OnClick;

    void Click();

    void Properties(PropertyWalk& walk) override;
};

class TPopupMenu : public TComponent {
public:
    const std::vector<TMenuItem*>& Items() const { return items_; }
    // Shows the menu at a screen point and runs the entry chosen, if any.
    void Popup(int x, int y);
    // Runs the entry with this shortcut; false when none has it.
    bool DispatchShortCut(TShortCut shortCut) override;

    void InsertChild(TComponent* child, const std::string& where) override;

private:
    std::vector<TMenuItem*> items_;
};
