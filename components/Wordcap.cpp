#include "components/Wordcap.h"

#include "toolkit/Dialogs.h"
#include "toolkit/Properties.h"
#include "toolkit/ShellFunctions.h"

#include <cstddef>
#include <cstring>
#include <exception>
#include <string_view>
#include <utility>

namespace {

// Posted to the application's window with the component as lParam once the form's window is gone:
// by the time it arrives, the form has made its new window.
constexpr UINT kRehookMessage = 0x498C;

// Which caption has taken a form's window over; the form's own object is under another property.
constexpr char kCaptionProperty[] = "KorvadelCaption";

// The record as systems before the padded border knew it; every system takes this size.
constexpr UINT kMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(kMetricsSize == 340);

const char* SizingCursor(WORD hitTest) {
    switch (hitTest) {
    case HTLEFT:
    case HTRIGHT:
        return IDC_SIZEWE;
    case HTTOP:
    case HTBOTTOM:
        return IDC_SIZENS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return IDC_SIZENWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return IDC_SIZENESW;
    default:
        return nullptr;
    }
}

// The height of a font's characters, without the leading above them.
int CharacterHeight(const TFont& font) {
    TEXTMETRICA metrics = font.Metrics();
    return metrics.tmHeight - metrics.tmInternalLeading;
}

} // namespace

TCompanyText::TCompanyText(TMSOfficeCaption& owner) : owner_(owner) {
    Font.Assign(owner.SystemCaptionFont());
}

void TCompanyText::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    owner_.UpdateFormCaption();
    owner_.DesignChanged();
}

void TCompanyText::SetColorActive(TColor color) {
    colorActive_ = color;
    owner_.DesignChanged();
}

void TCompanyText::SetColorInactive(TColor color) {
    colorInactive_ = color;
    owner_.DesignChanged();
}

void TCompanyText::SetFont(const TFont& font) {
    Font.Assign(font);
    if (fontKind_ == fkAutoHeight)
        owner_.AdjustAutoHeight(Font);
    else
        fontKind_ = fkCustom;
    owner_.DesignChanged();
}

void TCompanyText::SetFontKind(TFontKind kind) {
    ApplyFontKind(kind);
    owner_.DesignChanged();
}

void TCompanyText::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    owner_.UpdateFormCaption();
    owner_.DesignChanged();
}

void TCompanyText::ApplyFontKind(TFontKind kind) {
    fontKind_ = kind;
    const TFont& system = owner_.SystemCaptionFont();
    switch (kind) {
    case fkCustom:
        break;
    case fkSystem:
        Font.Assign(system);
        break;
    case fkSystemI:
        Font.Assign(system);
        Font.SetStyle(Font.Style() | fsItalic);
        break;
    case fkSystemB:
        Font.Assign(system);
        Font.SetStyle(Font.Style() | fsBold);
        break;
    case fkSystemBI:
        Font.Assign(system);
        Font.SetStyle(Font.Style() | fsBold | fsItalic);
        break;
    case fkAutoHeight:
        owner_.AdjustAutoHeight(Font);
        break;
    }
}

void TCompanyText::Properties(PropertyWalk& walk, const std::string& prefix) {
    static constexpr Property<TCompanyText> properties[] = {
        {"Caption", as::Text<&TCompanyText::SetCaption>},
        {"ColorActive", as::Color<&TCompanyText::SetColorActive>},
        {"ColorInactive", as::Color<&TCompanyText::SetColorInactive>},
        {"FontKind", as::Enum<&TCompanyText::SetFontKind, kFontKinds>},
        {"Visible", as::Bool<&TCompanyText::SetVisible>},
    };
    walk(*this, properties, prefix, false);
    // Attribute by attribute: the kind stays what the definition says next.
    Font.Properties(walk, prefix + "Font.", false);
}

std::string TCaptionText::GetCaption() const {
    std::string title;
    TForm& form = *owner_.ownerForm_;
    if (!form.HandleAllocated()) {
        title = form.Caption();
    } else if (HWND window = form.Handle(); IsWindow(window)) {
        int length = GetWindowTextLengthA(window);
        title.resize(static_cast<std::size_t>(length) + 1);
        title.resize(static_cast<std::size_t>(GetWindowTextA(window, title.data(), length + 1)));
    }
    for (const TCompanyText* prefix : {static_cast<const TCompanyText*>(owner_.companyText_.get()),
                                       static_cast<const TCompanyText*>(owner_.appNameText_.get())}) {
        if (!prefix->Visible())
            continue;
        const std::string& text = prefix->Caption();
        if (std::size_t at = text.empty() ? std::string::npos : title.find(text); at != std::string::npos)
            title.erase(0, at + text.size());
        if (!title.empty() && title.front() == ' ')
            title.erase(0, 1);
    }
    return title;
}

TMSOfficeCaption::TMSOfficeCaption(TComponent* AOwner)
    : TComponent(AOwner), ownerForm_(dynamic_cast<TForm*>(AOwner)) {
    if (!ownerForm_)
        throw EInvalidCast();
    // Each would take the window over from the other, and the window leads to one of them only.
    bool another = ownerForm_->HandleAllocated() && GetPropA(ownerForm_->Handle(), kCaptionProperty);
    for (const auto& component : ownerForm_->Components())
        another = another || dynamic_cast<TMSOfficeCaption*>(component.get());
    if (another)
        throw Exception(ownerForm_->Name + " has a caption component already: a form takes one");
    systemCaptionFont_ = std::make_unique<TFont>();
    GetSystemCaptionFont(*systemCaptionFont_);
    companyText_ = std::make_unique<TCompanyText>(*this);
    appNameText_ = std::make_unique<TAppNameText>(*this);
    captionText_ = std::make_unique<TCaptionText>(*this);
    // A form being read makes its window when it first needs it, once its handlers are bound; the
    // window is hooked then (OwnerHandleCreated).
    if (!ownerForm_->Loading() || ownerForm_->HandleAllocated())
        HookWindow();
    // Dropped onto a form in an editor rather than read with it: show what the component can do.
    if (Designing && !ownerForm_->Loading()) {
        try {
            companyText_->caption_ = "Tobrin's";
            appNameText_->caption_ = "Program -";
            captionText_->caption_ = ownerForm_->Caption();
            UpdateFormCaption();
            captionText_->ApplyFontKind(fkSystem);
            appNameText_->ApplyFontKind(fkSystemB);
            companyText_->ApplyFontKind(fkSystemBI);
            PaintCaption(IsFormActive());
        } catch (...) {
            UnhookWindow();
            StopAppHook();
            throw;
        }
    }
}

TMSOfficeCaption::~TMSOfficeCaption() {
    UnhookWindow();
    // A window destroyed with the form leaves the hook waiting for a window that never comes.
    StopAppHook();
    if (!Owner()->Destroying()) {
        // The system was never told of activation while the caption was ours.
        if (IsWindow(window_)) {
            KeepFrameOurs(false);
            SendMessageA(window_, WM_NCACTIVATE, GetActiveWindow() == window_, 0);
        }
        ownerForm_->SetCaption(captionText_->GetCaption());
        RefreshFrame();
    }
    appNameText_.reset();
    captionText_.reset();
    companyText_.reset();
    systemCaptionFont_.reset();
}

void TMSOfficeCaption::DesignChanged() const {
    if (Designing)
        RefreshFrame();
}

void TMSOfficeCaption::SetNumColors(int count) {
    if (count < 1) {
        if (Designing)
            MessageDlg("The number of colors must be at least 1", mtError, mbOK);
        return;
    }
    if (count > 256) {
        numColors_ = 256;
        DesignChanged();
        if (Designing)
            MessageDlg("The highest number of gradient colors possible is 256", mtError, mbOK);
        return;
    }
    ChangeDesign(numColors_, count);
}

void TMSOfficeCaption::Properties(PropertyWalk& walk) {
    TComponent::Properties(walk);
    static constexpr Property<TMSOfficeCaption> properties[] = {
        {"ColorLeftActive", as::Color<&TMSOfficeCaption::SetColorLeftActive>},
        {"ColorLeftInActive", as::Color<&TMSOfficeCaption::SetColorLeftInActive>},
        {"ColorRightActive", as::Color<&TMSOfficeCaption::SetColorRightActive>},
        {"ColorRightInActive", as::Color<&TMSOfficeCaption::SetColorRightInActive>},
        {"Enabled", as::Enum<&TMSOfficeCaption::SetEnabled, kGradEnabled>},
        {"Justification", as::Enum<&TMSOfficeCaption::SetJustification, kJustifications>},
        {"NumColors", as::Int<&TMSOfficeCaption::SetNumColors>},
        {"OnDrawCaption", as::Event<&TMSOfficeCaption::OnDrawCaption>},
        // Where a form editor shows the component's symbol.
        {"Left", [](TMSOfficeCaption&, const DefValue& v, Binder&) { v.Int(); }},
        {"Top", [](TMSOfficeCaption&, const DefValue& v, Binder&) { v.Int(); }},
    };
    walk(*this, properties);
    appNameText_->Properties(walk, "AppNameText.");
    captionText_->Properties(walk, "CaptionText.");
    companyText_->Properties(walk, "CompanyText.");
}

void TMSOfficeCaption::Loaded() {
    TComponent::Loaded();
    if (ownerForm_->HandleAllocated() && ownerForm_->Handle() != window_) {
        UnhookWindow();
        HookWindow();
    }
}

void TMSOfficeCaption::OwnerHandleCreated() {
    // A window made again after the old one was destroyed is hooked through the application instead.
    if (!hooked_ && !recreating_)
        HookWindow();
}

TMSOfficeCaption::Composition TMSOfficeCaption::composition = {DesktopComposed, PaintFrameOurselves};

void TMSOfficeCaption::KeepFrameOurs(bool ours) const {
    if (composition.composed())
        composition.paintFrameOurselves(window_, ours);
}

void TMSOfficeCaption::HookWindow() {
    window_ = ownerForm_->Handle();
    KeepFrameOurs();
    SetPropA(window_, kCaptionProperty, this);
    previousWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedWndProc)));
    if (!recreating_)
        appHook_ = Application.HookMainWindow(
            [this](UINT message, WPARAM, LPARAM lParam, LRESULT&) { return AppHook(message, lParam); });
    recreating_ = false;
    hooked_ = true;
}

void TMSOfficeCaption::UnhookWindow() {
    if (!hooked_)
        return;
    if (!recreating_)
        StopAppHook();
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc_));
    RemovePropA(window_, kCaptionProperty);
    hooked_ = false;
}

void TMSOfficeCaption::StopAppHook() {
    if (appHook_) {
        Application.UnhookMainWindow(*appHook_);
        appHook_.reset();
    }
}

bool TMSOfficeCaption::AppHook(UINT message, LPARAM lParam) {
    // Only a component waiting for its new window hooks again: a second hook would chain to itself.
    if (message == kRehookMessage && lParam == reinterpret_cast<LPARAM>(this) && !hooked_) {
        HookWindow();
        if (GetActiveWindow() == window_)
            active_ = true;
        RefreshFrame();
    }
    return false;
}

LRESULT CALLBACK TMSOfficeCaption::HookedWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* caption = static_cast<TMSOfficeCaption*>(GetPropA(window, kCaptionProperty));
    if (!caption)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return caption->HookWndProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        Application.ShowException(e);
        return 0;
    }
}

LRESULT TMSOfficeCaption::Default(UINT message, WPARAM wParam, LPARAM lParam) const {
    return CallWindowProcA(previousWndProc_, window_, message, wParam, lParam);
}

LRESULT TMSOfficeCaption::HookWndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCPAINT:
        return NonClientPaint(wParam, lParam);
    case WM_NCACTIVATE:
        return ActivationChange(wParam);
    case WM_SETCURSOR:
        if (const char* cursor = SizingCursor(LOWORD(lParam))) {
            SetCursor(LoadCursorA(nullptr, cursor));
            return 1;
        }
        break;
    case WM_DESTROY:
        if (!Destroying()) {
            recreating_ = true;
            UnhookWindow();
            PostMessageA(Application.Handle(), kRehookMessage, 0, reinterpret_cast<LPARAM>(this));
        }
        break;
    case WM_SETICON:
    case WM_SETTEXT: {
        // The system has just drawn its own caption, with the new icon or title.
        LRESULT result = Default(message, wParam, lParam);
        PaintCaption(IsFormActive());
        return result;
    }
    case WM_DWMCOMPOSITIONCHANGED: {
        // Windows 7 lets the user turn composition on and off while the program runs.
        LRESULT result = Default(message, wParam, lParam);
        KeepFrameOurs();
        RefreshFrame();
        return result;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE: {
        LRESULT result = Default(message, wParam, lParam);
        SystemChanged();
        return result;
    }
    }
    return Default(message, wParam, lParam);
}

LRESULT TMSOfficeCaption::NonClientPaint(WPARAM region, LPARAM lParam) {
    RECT painted{};
    std::exception_ptr failure;
    try {
        painted = PaintCaption(IsFormActive());
    } catch (...) {
        failure = std::current_exception();
    }
    LRESULT result = 0;
    {
        WindowDC frame(window_, DCArea::Window);
        RECT w{};
        GetWindowRect(window_, &w);
        Region rest(CreateRectRgnIndirect(&w));
        // The update region is in screen coordinates, the DC's clipping in the window's.
        if (SelectClipRgn(frame.Get(), reinterpret_cast<HRGN>(region)) == ERROR)
            SelectClipRgn(frame.Get(), rest.Get());
        OffsetClipRgn(frame.Get(), -w.left, -w.top);
        ExcludeClipRect(frame.Get(), painted.left, painted.top, painted.right, painted.bottom);
        OffsetClipRgn(frame.Get(), w.left, w.top);
        GetClipRgn(frame.Get(), rest.Get());
        result = Default(WM_NCPAINT, reinterpret_cast<WPARAM>(rest.Get()), lParam);
    }
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

LRESULT TMSOfficeCaption::ActivationChange(WPARAM wParam) {
    active_ = wParam != 0;
    activeKnown_ = true;
    // The system keeps the frame's own state (its border, the task bar's button) and paints nothing
    // when told -1; where a visual style has it paint anyway, the bar is painted again below.
    Default(WM_NCACTIVATE, wParam, -1);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    return 1;
}

void TMSOfficeCaption::SystemChanged() {
    GetSystemCaptionFont(*systemCaptionFont_);
    for (TCompanyText* element : {static_cast<TCompanyText*>(appNameText_.get()),
                                  static_cast<TCompanyText*>(captionText_.get()), companyText_.get()})
        element->ApplyFontKind(element->FontKind());
    RefreshFrame();
}

void TMSOfficeCaption::RefreshFrame() const {
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool TMSOfficeCaption::NewStyle() const {
    return LOBYTE(LOWORD(GetVersion())) >= 4;
}

void TMSOfficeCaption::UpdateFormCaption() {
    // Only our own lock is released: another window's belongs to whoever locked it.
    bool locked = window_ && LockWindowUpdate(window_);
    ScopeExit unlock([locked] {
        if (locked)
            LockWindowUpdate(nullptr);
    });
    const TCompanyText& company = *companyText_;
    const TCompanyText& application = *appNameText_;
    const TCompanyText& caption = *captionText_;
    std::string title;
    if (company.visible_) {
        title += company.caption_;
        if (!company.caption_.empty() && (application.visible_ || caption.visible_))
            title += ' ';
    }
    if (application.visible_) {
        title += application.caption_;
        if (!application.caption_.empty() && caption.visible_)
            title += ' ';
    }
    if (caption.visible_)
        title += caption.caption_;
    ownerForm_->SetCaption(title);
}

bool TMSOfficeCaption::IsFormActive() const {
    if (activeKnown_)
        return active_;
    // No MDI children here, so the form's own window is the whole answer.
    return GetActiveWindow() == window_;
}

void TMSOfficeCaption::GetSystemCaptionFont(TFont& font) const {
    LOGFONTA stock{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof stock, &stock);
    font.SetName(stock.lfFaceName);
    font.SetHeight(stock.lfHeight);
    font.SetStyle((stock.lfItalic ? fsItalic : 0u) | (stock.lfWeight > FW_MEDIUM ? fsBold : 0u));
    font.SetCharset(stock.lfCharSet);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kMetricsSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0))
        return;
    const LOGFONTA& caption = metrics.lfCaptionFont;
    font.SetName(std::string(caption.lfFaceName, strnlen(caption.lfFaceName, LF_FACESIZE)));
    // A positive height is the cell height in pixels, as the toolkit's fonts take it too.
    font.SetHeight(caption.lfHeight);
    font.SetStyle((caption.lfItalic ? fsItalic : 0u) | (caption.lfWeight > FW_MEDIUM ? fsBold : 0u));
}

void TMSOfficeCaption::AdjustAutoHeight(TFont& font) const {
    int system = CharacterHeight(*systemCaptionFont_);
    // A negative height grows the characters as it falls, a positive (cell) height as it rises.
    int direction = font.Height() > 0 ? -1 : 1;
    font.SetHeight(font.Height() + direction * (CharacterHeight(font) - system));
    int now = CharacterHeight(font);
    if (system < now)
        font.SetHeight(font.Height() + direction * (now - system));
}
