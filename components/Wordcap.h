// The gradient caption: a component that takes over the drawing of its form's title bar. The bar is
// filled with a colour gradient or a solid colour and shows a company, an application-name and a
// caption text side by side, each in its own font and colours; the form's window title is built from
// the visible texts.
#pragma once

#include "toolkit/Application.h"
#include "toolkit/Component.h"
#include "toolkit/Font.h"
#include "toolkit/Form.h"

#include <memory>
#include <optional>

enum TFontKind : unsigned char { fkCustom, fkSystem, fkSystemI, fkSystemB, fkSystemBI, fkAutoHeight };
enum TGradEnabled : unsigned char { geAlways, geNever, geWhenActive, geSmart };
enum TJustification : unsigned char { jAuto, jLeft, jCenter, jRight };
constexpr auto kFontKinds = std::to_array<EnumName<TFontKind>>({{"fkCustom", fkCustom},
                                                                {"fkSystem", fkSystem},
                                                                {"fkSystemI", fkSystemI},
                                                                {"fkSystemB", fkSystemB},
                                                                {"fkSystemBI", fkSystemBI},
                                                                {"fkAutoHeight", fkAutoHeight}});
constexpr auto kGradEnabled = std::to_array<EnumName<TGradEnabled>>(
    {{"geAlways", geAlways}, {"geNever", geNever}, {"geWhenActive", geWhenActive}, {"geSmart", geSmart}});
constexpr auto kJustifications = std::to_array<EnumName<TJustification>>(
    {{"jAuto", jAuto}, {"jLeft", jLeft}, {"jCenter", jCenter}, {"jRight", jRight}});

enum TCaptionButton : unsigned { cbClose = 1, cbMinimize = 2, cbMaximize = 4, cbHelp = 8 };
using TCaptionButtons = unsigned;

// What an OnDrawCaption handler draws on: the bar's off-screen bitmap, with the system caption font
// selected for as long as the canvas lives.
class TCanvas {
public:
    TCanvas(HDC dc, TFont& font) : Font(font), dc_(dc), font_(dc, font.Handle()) {}
    HDC Handle() const { return dc_; }
    TFont& Font;

private:
    HDC dc_;
    Selection font_;
};

// R is in window coordinates; moving its edges moves where the texts are laid out.
using TOnDrawCaption = std::function<void(TObject* Sender, TCanvas& Canvas, RECT& R)>;

class TMSOfficeCaption;

// One text element of the bar.
class TCompanyText : public TObject {
public:
    explicit TCompanyText(TMSOfficeCaption& owner);

    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(const std::string& caption);
    TColor ColorActive() const { return colorActive_; }
    void SetColorActive(TColor color);
    TColor ColorInactive() const { return colorInactive_; }
    void SetColorInactive(TColor color);
    // Its own colour is never drawn with: the element's two colours are.
    TFont Font;
    void SetFont(const TFont& font);
    TFontKind FontKind() const { return fontKind_; }
    void SetFontKind(TFontKind kind);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    void ApplyFontKind(TFontKind kind);

    // The element's rows, named after the element's name ("CaptionText.").
    void Properties(PropertyWalk& walk, const std::string& prefix);

protected:
    TMSOfficeCaption& owner_;

private:
    friend class TMSOfficeCaption;
    std::string caption_;
    TColor colorActive_ = clCaptionText;
    TColor colorInactive_ = clInactiveCaptionText;
    TFontKind fontKind_ = fkSystem;
    bool visible_ = true;
};

class TAppNameText : public TCompanyText {
public:
    using TCompanyText::TCompanyText;
};

class TCaptionText : public TCompanyText {
public:
    using TCompanyText::TCompanyText;
    // Read back from the form's title, so that a title set on the form shows on the bar.
    std::string Caption() const { return GetCaption(); }
    virtual std::string GetCaption() const;
};

class TMSOfficeCaption : public TComponent {
public:
    // The owner must be a form.
    explicit TMSOfficeCaption(TComponent* AOwner);
    ~TMSOfficeCaption() override;

    TAppNameText& AppNameText() const { return *appNameText_; }
    TCaptionText& CaptionText() const { return *captionText_; }
    TCompanyText& CompanyText() const { return *companyText_; }
    TColor ColorLeftActive() const { return colorLeftActive_; }
    void SetColorLeftActive(TColor color) { ChangeDesign(colorLeftActive_, color); }
    TColor ColorLeftInActive() const { return colorLeftInActive_; }
    void SetColorLeftInActive(TColor color) { ChangeDesign(colorLeftInActive_, color); }
    TColor ColorRightActive() const { return colorRightActive_; }
    void SetColorRightActive(TColor color) { ChangeDesign(colorRightActive_, color); }
    TColor ColorRightInActive() const { return colorRightInActive_; }
    void SetColorRightInActive(TColor color) { ChangeDesign(colorRightInActive_, color); }
    TGradEnabled Enabled() const { return enabled_; }
    void SetEnabled(TGradEnabled enabled) { ChangeDesign(enabled_, enabled); }
    TJustification Justification() const { return justification_; }
    void SetJustification(TJustification justification) { ChangeDesign(justification_, justification); }
    int NumColors() const { return numColors_; }
    void SetNumColors(int count);
    TOnDrawCaption OnDrawCaption;

    // The desktop's compositor as the system has it; a test puts a stand-in here.
    struct Composition {
        bool (*composed)();
        void (*paintFrameOurselves)(HWND window, bool ours);
    };
    static Composition composition;

    const TFont& SystemCaptionFont() const { return *systemCaptionFont_; }
    bool Hooked() const { return hooked_; }
    // The window hooked, or last hooked.
    HWND WindowHandle() const { return window_; }

    // Paints the bar now; the result is the rectangle painted, in window coordinates, or empty.
    RECT PaintCaption(bool active);
    bool IsFormActive() const;
    // The system recomputes the frame and has it painted.
    void RefreshFrame() const;
    void UpdateFormCaption();

    // The title bar inside the frame, in window coordinates.
    RECT GetCaptionRect() const;
    TCaptionButtons GetCaptionButtons() const;
    // Where the gradient and the texts go: the bar less its buttons, never narrower than 2 pixels.
    RECT GetTextRect() const;
    void FillGradient(HDC dc, COLORREF left, COLORREF right, const RECT& rect) const;

    void Properties(PropertyWalk& walk) override;
    void Loaded() override;
    void OwnerHandleCreated() override;

protected:
    // Systems from the fourth major version on draw the small icon and the caption buttons.
    virtual bool NewStyle() const;

private:
    friend class TCompanyText;
    friend class TCaptionText;

    void HookWindow();
    void UnhookWindow();
    void StopAppHook();
    // The form's window procedure while hooked: the window leads to its caption by a property.
    static LRESULT CALLBACK HookedWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HookWndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) const;
    LRESULT NonClientPaint(WPARAM region, LPARAM lParam);
    LRESULT ActivationChange(WPARAM wParam);
    // A composed desktop shows its own frame unless told that the window paints it.
    void KeepFrameOurs(bool ours = true) const;
    void SystemChanged();
    bool AppHook(UINT message, LPARAM lParam);
    void DesignChanged() const;
    template <class T> void ChangeDesign(T& field, T value) {
        if (value != field) {
            field = value;
            DesignChanged();
        }
    }

    void GetSystemCaptionFont(TFont& font) const;
    void AdjustAutoHeight(TFont& font) const;

    TBorderStyle CaptionStyle() const;
    bool ToolWindow() const;
    bool HasSystemMenuBox() const;
    RECT ExcludeButtonArea(RECT r) const;
    bool GradientShown(HDC dc, bool active) const;
    void DrawSystemIcon(HDC dc, RECT& t) const;
    void DrawCaptionButtons(HDC dc, const RECT& f) const;
    static void FillSolid(HDC dc, COLORREF color, const RECT& rect);
    void DrawTexts(HDC dc, RECT& t, bool active) const;
    static int MeasureTextElement(HDC dc, const RECT& rect, const TCompanyText& element);
    static void DrawTextElement(HDC dc, RECT& t, bool active, const TCompanyText& element);

    TForm* ownerForm_;
    HWND window_ = nullptr;
    std::unique_ptr<TFont> systemCaptionFont_;
    std::unique_ptr<TCompanyText> companyText_;
    std::unique_ptr<TAppNameText> appNameText_;
    std::unique_ptr<TCaptionText> captionText_;
    TColor colorLeftActive_ = clBlack;
    TColor colorLeftInActive_ = clBlack;
    TColor colorRightActive_ = clActiveCaption;
    TColor colorRightInActive_ = clInactiveCaption;
    TGradEnabled enabled_ = geSmart;
    TJustification justification_ = jAuto;
    int numColors_ = 64;
    bool hooked_ = false;
    bool active_ = true;
    bool activeKnown_ = false;
    bool recreating_ = false;
    WNDPROC previousWndProc_ = nullptr;
    std::optional<TApplication::HookId> appHook_;
};
