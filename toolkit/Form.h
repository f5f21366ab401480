// Forms: the program's top-level windows, each read from its definition when it is created,
// created hidden and shown modally or not any number of times.
#pragma once

#include "toolkit/Control.h"

#include <any>
#include <initializer_list>
#include <functional>
#include <map>
#include <type_traits>

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TPosition { poDesigned, poScreenCenter };
enum TBrushStyle { bsSolid, bsClear };
constexpr auto kBorderStyles = std::to_array<EnumName<TBorderStyle>>({{"bsNone", bsNone},
                                                                      {"bsSingle", bsSingle},
                                                                      {"bsSizeable", bsSizeable},
                                                                      {"bsDialog", bsDialog},
                                                                      {"bsToolWindow", bsToolWindow},
                                                                      {"bsSizeToolWin", bsSizeToolWin}});
constexpr auto kBorderIcons = std::to_array<EnumName<TBorderIcon>>({{"biSystemMenu", biSystemMenu},
                                                                    {"biMinimize", biMinimize},
                                                                    {"biMaximize", biMaximize},
                                                                    {"biHelp", biHelp}});
constexpr auto kPositions =
    std::to_array<EnumName<TPosition>>({{"poDesigned", poDesigned}, {"poScreenCenter", poScreenCenter}});

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrCancel = 2;

// The handlers a form offers its definition, by name.
using Handlers = std::map<std::string, std::any>;

// Declares a handler of a form's class and offers it to the form's definition under its own name:
//     HANDLER(void, SpeedButton1Click)(TObject* Sender) { ... }
// The offer is a member ahead of the method, made before the form's constructor reads the definition.
#define HANDLER(result, name)                                                                                \
    TForm::HandlerOffer name##Offer_{this, #name, &std::remove_pointer_t<decltype(this)>::name};             \
    result name

// A member of the form that points at the component of that name once the definition is read.
struct FieldBinding {
    const char* name;
    std::function<bool(TComponent*)> assign;
};

template <class Kind> FieldBinding Field(const char* name, Kind*& member) {
    return {name, [&member](TComponent* component) {
                return (member = dynamic_cast<Kind*>(component)) != nullptr;
            }};
}

class TForm : public TWinControl {
public:
    static TForm* FromWindow(HWND window);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position = poDesigned;
    void SetBrushStyle(TBrushStyle style);
    int ClientWidth() const { return clientWidth_; }
    void SetClientSize(int width, int height);

    TModalResult ModalResult = mrNone;
    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnActivate;

    void SetVisible(bool visible) override;
    // Shows the form over the others and lets it take the focus.
    void Show();
    // A modal form ends its showing; the main form ends the application; any other form hides.
    void Close();
    // Shows the form with every other window of the program disabled until it is closed.
    TModalResult ShowModal();
    // A popup menu shortcut of the form: runs its entry and reports that the key is used.
    bool IsShortCut(WORD key);
    // A character typed that no focused control takes: presses the button it is the accelerator of.
    bool DialogChar(char key);
    // Tab, Shift+Tab, Enter or Escape that the focused control does not take: moves the focus along the
    // tab order or presses the default or cancel button. True when the key is used.
    bool DialogKey(MSG message);
    // Makes the window again with the current properties, as a change of border needs.
    void RecreateWnd();
    // While the form is made from its definition.
    bool Loading() const { return loading_; }

    void Properties(PropertyWalk& walk) override;
    void InsertChild(TComponent* child, const std::string& where) override;

protected:
    struct HandlerOffer {
        template <class Form, class Result, class... Args>
        HandlerOffer(Form* form, const char* name, Result (Form::*method)(Args...)) {
            static_cast<TForm*>(form)->handlers_.emplace(
                name, std::function<Result(Args...)>(
                          [form, method](Args... args) { return (form->*method)(args...); }));
        }
    };

    explicit TForm(const std::string& className);
    // Reads the definition, binds its handler names to the handlers offered and the members to the
    // components, and runs the creation event.
    void Load(std::initializer_list<FieldBinding> fields);

    void CreateHandle() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Activated(HWND other);
    // The first control in tab order takes the focus unless one of the form's has it.
    void FocusFirstControl();
    // The controls that take the focus from the keyboard, in tab order.
    std::vector<class TSystemClassControl*> TabStops() const;
    bool SelectNext(bool forward);
    class TSystemClassControl* NotifiedControl(UINT message, LPARAM lParam) const;
    void PaintWindow();
    void RouteMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void ContextMenu(LPARAM lParam);
    void UpdateHint(TControl* control, const MSG& message);
    void CreateTooltip();
    LRESULT Inspect(HWND replyTo);
    void ApplyPosition();
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;

    Handlers handlers_;
    std::string caption_;
    TBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TBrushStyle brushStyle_ = bsSolid;
    bool autoSize_ = false;
    int clientWidth_ = 0, clientHeight_ = 0;
    bool loading_ = false;
    bool modal_ = false;
    bool justShown_ = false;
    bool activationFailed_ = false;
    TControl* mouseControl_ = nullptr;
    TControl* hintControl_ = nullptr;
    std::string hintText_;
    HWND tooltip_ = nullptr;
};
