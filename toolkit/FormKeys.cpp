// The keys of a dialog, for forms that are plain windows rather than system dialogs: the message loop
// offers each key to the active form before the control with the focus gets it.
#include "toolkit/controls/Edit.h"
#include "toolkit/Form.h"

#include <algorithm>
#include <cctype>

namespace {

bool Held(int key) {
    return GetKeyState(key) < 0;
}

} // namespace

std::vector<TSystemClassControl*> TForm::TabStops() const {
    std::vector<TSystemClassControl*> stops;
    for (TControl* control : controls_)
        if (auto* windowed = dynamic_cast<TSystemClassControl*>(control);
            windowed && windowed->TabStop && windowed->Visible() && windowed->Enabled())
            stops.push_back(windowed);
    std::stable_sort(
        stops.begin(), stops.end(),
        [](const TSystemClassControl* a, const TSystemClassControl* b) { return a->TabOrder < b->TabOrder; });
    return stops;
}

bool TForm::SelectNext(bool forward) {
    std::vector<TSystemClassControl*> stops = TabStops();
    if (stops.empty())
        return false;
    HWND focus = GetFocus();
    auto current = std::find_if(stops.begin(), stops.end(), [focus](TSystemClassControl* control) {
        return control->Handle() == focus || IsChild(control->Handle(), focus);
    });
    std::size_t count = stops.size(), next = forward ? 0 : count - 1;
    if (current != stops.end())
        next = (static_cast<std::size_t>(current - stops.begin()) + (forward ? 1 : count - 1)) % count;
    TSystemClassControl* control = stops[next];
    control->SetFocus();
    // As in a system dialog, a line of text reached from the keyboard is selected, to be typed over.
    if (dynamic_cast<TEdit*>(control))
        SendMessageA(control->Handle(), EM_SETSEL, 0, -1);
    return true;
}

bool TForm::DialogKey(MSG message) {
    WPARAM key = message.wParam;
    if ((key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) || Held(VK_CONTROL) || Held(VK_MENU))
        return false;
    HWND focus = GetFocus();
    if (focus && focus != handle_ && IsChild(handle_, focus)) {
        // The control says which keys it keeps: a list box opening an entry, a combo box that is dropped
        // down, a text box with several lines or one that keeps the Tab key.
        LRESULT wants = SendMessageA(focus, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&message));
        if ((wants & DLGC_WANTMESSAGE) || (key == VK_TAB && (wants & DLGC_WANTTAB)))
            return false;
    }
    if (key == VK_TAB)
        return SelectNext(!Held(VK_SHIFT));
    return std::ranges::any_of(controls_,
                               [key](TControl* c) { return c->TakeDialogKey(static_cast<WORD>(key)); });
}

bool TForm::IsShortCut(WORD key) {
    static constexpr std::pair<int, TShortCut> kModifiers[] = {
        {VK_SHIFT, scShift}, {VK_CONTROL, scCtrl}, {VK_MENU, scAlt}};
    TShortCut shortCut = key;
    for (auto [modifierKey, modifier] : kModifiers)
        if (Held(modifierKey))
            shortCut |= modifier;
    return std::ranges::any_of(Components(),
                               [shortCut](const auto& c) { return c->DispatchShortCut(shortCut); });
}

bool TForm::DialogChar(char key) {
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    return std::ranges::any_of(controls_,
                               [upper](TControl* control) { return control->TakeAccelerator(upper); });
}
