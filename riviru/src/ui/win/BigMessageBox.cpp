#include "riviru/ui/BigMessageBox.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/Gdi.h"
#include "framework/WinApp.h"
#include "riviru/ui/DialogTemplateBuilder.h"
#include "riviru/ui/FlashRule.h"
#include "riviru/ui/MessageBoxLayout.h"
#include "riviru/ui/RtfText.h"

namespace riviru {
namespace {

// Thick frame and clip children on top of the builder's default style.
constexpr std::uint32_t kBoxStyleExtra = 0x20C0000;
constexpr short kTemplateWidth = 400;
constexpr short kTemplateHeight = 300;
constexpr std::uint32_t kStretch = AnchorTop | AnchorLeft | AnchorRight | AnchorBottom;
constexpr std::uint32_t kFollowCorner = AnchorRight | AnchorBottom;

std::wstring OrEmpty(const wchar_t* text) {
    return text != nullptr ? std::wstring(text) : std::wstring();
}

std::wstring ApplicationName() {
    const fw::CWinApp* app = fw::CWinApp::Current();
    return app != nullptr ? app->GetAppName() : std::wstring();
}

int TextWidth(HDC dc, const std::wstring& text) {
    RECT rect{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE);
    return rect.right - rect.left;
}

}  // namespace

CBigMessageBox::CBigMessageBox(HWND parent, const wchar_t* caption, const wchar_t* title, const wchar_t* text,
                               MessageBoxIcon icon, std::uint32_t flags)
    : CVistaDialog(parent),
      caption_(OrEmpty(caption)),
      title_(OrEmpty(title)),
      text_(OrEmpty(text)),
      icon_(icon),
      flags_(flags) {
    DialogTemplateBuilder builder;
    builder.style = DialogTemplateBuilder::kDefaultStyle | kBoxStyleExtra;
    builder.exStyle = (flags & AppWindow) != 0 ? WS_EX_APPWINDOW : 0;
    builder.cx = kTemplateWidth;
    builder.cy = kTemplateHeight;
    const std::vector<std::uint8_t> bytes = builder.Build();
    template_.resize((bytes.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(template_.data(), bytes.data(), bytes.size());
    InitModalIndirect(reinterpret_cast<const DLGTEMPLATE*>(template_.data()));
}

CBigMessageBox::~CBigMessageBox() = default;

void CBigMessageBox::AddButton(int id, std::wstring text, bool isDefault) {
    buttons_.push_back({id, isDefault, std::move(text), 0});
}

BOOL CBigMessageBox::OnInitDialog() {
    CVistaDialog::OnInitDialog();
    const int dpi = fw::WindowDpiX(m_hWnd);
    metrics_ = MessageBoxMetrics::ForDpi(dpi);
    const int separator = static_cast<int>(std::lround(static_cast<double>(dpi) / 96.0));

    const HFONT font = GetFont();
    const fw::CClientDC dc(m_hWnd);
    const fw::CSelectObject selected(dc.get(), font);

    SetWindowText(caption_.empty() ? ApplicationName() : caption_);
    const bool hasIcon = CreateIcon();
    if (buttons_.empty()) AddButton(IDOK, L"OK", false);
    CreateTextControl(font);
    const SIZE extent = MeasureText();

    MessageBoxLayoutInput input;
    input.metrics = metrics_;
    input.textWidth = extent.cx;
    input.textHeight = extent.cy;
    for (const MessageBoxButton& button : buttons_)
        input.captionWidths.push_back(TextWidth(dc.get(), button.text));
    input.hasIcon = hasIcon;
    input.growToText = (flags_ & GrowToText) != 0;
    input.scrollBarWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    input.separatorHeight = separator;
    const MessageBoxLayout layout = ComputeMessageBoxLayout(input);
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i].width = layout.buttonWidths[i];

    SetBandHeight(layout.bandHeight);
    if (hasIcon) {
        iconControl_.SetWindowPos(nullptr, layout.icon.left, layout.icon.top, layout.icon.Width(),
                                  layout.icon.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (textControl_.GetSafeHwnd() != nullptr) {
        textControl_.SetWindowPos(nullptr, layout.text.left, layout.text.top, layout.text.Width(),
                                  layout.text.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateButtons(font, layout.buttons);

    if (!layout.scrolls) MakeFixedSize();
    FitWindowToClient(layout.clientWidth, layout.clientHeight);
    if (layout.scrolls) {
        GetLayout().Init(m_hWnd);
        if (textControl_.GetSafeHwnd() != nullptr) GetLayout().Add(textControl_, kStretch);
        for (const auto& button : buttonWindows_) GetLayout().Add(*button, kFollowCorner);
    }

    if (const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        if ((flags_ & NoCancel) != 0) ::DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
    }
    if ((flags_ & TopMost) != 0) {
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (textControl_.GetSafeHwnd() != nullptr) {
        textControl_.SetScrollPos(POINT{0, 0});
        textControl_.SetEventMask(ENM_LINK);
    }
    return FALSE;  // the default button has the focus
}

bool CBigMessageBox::CreateIcon() {
    if (icon_ == MessageBoxIcon::None) return false;
    const int id = SystemIconId(icon_);
    if (!iconHandle_.Load(nullptr, MAKEINTRESOURCEW(id), metrics_.iconWidth, metrics_.iconHeight))
        return false;
    const RECT rect{0, 0, metrics_.iconWidth, metrics_.iconHeight};
    if (!iconControl_.CreateEx(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, rect, m_hWnd,
                               kIconControlId)) {
        return false;
    }
    iconControl_.SetIcon(iconHandle_.Get());
    return true;
}

void CBigMessageBox::CreateTextControl(HFONT font) {
    const RECT rect{0, 0, metrics_.maxTextWidth, metrics_.maxTextHeight};
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE;
    if (!textControl_.Create(style, rect, m_hWnd, kTextControlId)) return;
    textControl_.SetFont(font, false);
    textControl_.SetBackgroundColor(GetContentColor());
    textControl_.SetAutoUrlDetect((flags_ & NoAutoUrl) == 0);
    textControl_.LimitText(textLimit_);
    textControl_.SetSelectAllOnFocus(false);
    textControl_.SetMargins(EC_RIGHTMARGIN, 0, metrics_.marginX);
    textControl_.SetRtfText(ComposeMessageRtf(title_, text_));
}

SIZE CBigMessageBox::MeasureText() {
    if (textControl_.GetSafeHwnd() == nullptr) return SIZE{0, 0};
    textExtent_ = RECT{};
    textControl_.SetTargetDevice(nullptr, 1);  // no wrapping
    textControl_.SetEventMask(ENM_REQUESTRESIZE);
    textControl_.RequestResize();
    textControl_.SetTargetDevice(nullptr, 0);  // wrap at the window's width
    if (MessageBoxTextNeedsWrap(textExtent_.right - textExtent_.left, metrics_)) {
        textControl_.RequestResize();
        // Wrapped inside the control: its width, maxTextWidth, shows the lines
        // as measured.
        return SIZE{metrics_.maxTextWidth, textExtent_.bottom - textExtent_.top};
    }
    // Some rich edit versions (Wine's) report the extent of the text alone,
    // and apply a new right margin only at the next resize: the control's
    // left inset and the right margin of marginX come on top then.
    const RECT client = textControl_.GetClientRect();
    const RECT format = textControl_.GetRect();
    const int insets = std::max(static_cast<int>((client.right - client.left) - (format.right - format.left)),
                                static_cast<int>(format.left - client.left) + metrics_.marginX);
    const int width = textExtent_.right - textExtent_.left;
    return SIZE{width > 0 ? width + insets : 0, textExtent_.bottom - textExtent_.top};
}

void CBigMessageBox::CreateButtons(HFONT font, const std::vector<LayoutRect>& rects) {
    const int defaultIndex = DefaultButtonIndex(buttons_);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const bool isDefault = static_cast<int>(i) == defaultIndex;
        auto button = std::make_unique<fw::CButton>();
        const RECT rect = ToRect(rects[i]);
        const DWORD style =
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (!button->CreateEx(0, L"BUTTON", buttons_[i].text.c_str(), style, rect, m_hWnd,
                              static_cast<UINT>(buttons_[i].id))) {
            continue;
        }
        button->SetFont(font, false);
        buttonWindows_.push_back(std::move(button));
        if (isDefault) {
            SetDefID(static_cast<UINT>(buttons_[i].id));
            GotoDlgCtrl(*buttonWindows_.back());
        }
    }
}

void CBigMessageBox::MakeFixedSize() {
    ModifyStyle(WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, SWP_FRAMECHANGED);
    if (const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        for (const UINT command : {SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE, SC_SIZE}) {
            ::DeleteMenu(menu, command, MF_BYCOMMAND);
        }
    }
    if (textControl_.GetSafeHwnd() != nullptr) textControl_.SetLabelMode(true);
}

void CBigMessageBox::FitWindowToClient(int clientWidth, int clientHeight) {
    RECT rect{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&rect, GetStyle(), FALSE, GetExStyle());
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    SetMinTrackSize(size);
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
}

BOOL CBigMessageBox::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != 0) return CVistaDialog::OnCommand(wParam, lParam);
    const int id = LOWORD(wParam);
    if (id == IDCANCEL) {
        if ((flags_ & NoCancel) == 0) EndDialog(IDCANCEL);
        return TRUE;
    }
    if (id == IDOK) {
        const HWND focus = ::GetFocus();
        int result = buttons_.empty() ? IDOK : buttons_.front().id;
        for (const auto& button : buttonWindows_) {
            if (button->GetSafeHwnd() == focus) result = button->GetDlgCtrlID();
        }
        EndDialog(result);
        return TRUE;
    }
    EndDialog(id);
    return TRUE;
}

BOOL CBigMessageBox::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->idFrom == kTextControlId) {
        if (header->code == EN_REQUESTRESIZE) {
            textExtent_ = reinterpret_cast<const REQRESIZE*>(lParam)->rc;
            *result = 0;
            return TRUE;
        }
        if (header->code == EN_LINK) {
            textControl_.OnLinkNotify(m_hWnd, *reinterpret_cast<const ENLINK*>(lParam), result, linkHandler_);
            return TRUE;
        }
    }
    return CVistaDialog::OnNotify(wParam, lParam, result);
}

BOOL CBigMessageBox::PreTranslateMessage(MSG* message) {
    const bool copyKey = message->message == WM_KEYDOWN &&
                         (message->wParam == 0x43 || message->wParam == 0x63) &&
                         ::GetKeyState(VK_CONTROL) < 0;
    if (copyKey && textControl_.GetSafeHwnd() != nullptr &&
        (textControl_.IsLabelMode() || ::GetFocus() != textControl_.GetSafeHwnd())) {
        const CHARRANGE selection = textControl_.GetSel();
        if (selection.cpMin == selection.cpMax) {
            textControl_.SetSel(0, -1);
            textControl_.Copy();
            textControl_.SetSel(selection);
            return TRUE;
        }
    }
    return CVistaDialog::PreTranslateMessage(message);
}

LRESULT CBigMessageBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: {
            const LRESULT result = CVistaDialog::WindowProc(message, wParam, lParam);
            if ((wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) &&
                textControl_.GetSafeHwnd() != nullptr) {
                textControl_.SetMargins(EC_RIGHTMARGIN, 0, metrics_.marginX);
            }
            return result;
        }
        case WM_GETMINMAXINFO: {
            const LRESULT result = CVistaDialog::WindowProc(message, wParam, lParam);
            if (auto* info = reinterpret_cast<MINMAXINFO*>(lParam)) {
                info->ptMinTrackSize = POINT{GetMinTrackSize().cx, GetMinTrackSize().cy};
            }
            return result;
        }
        case WM_THEMECHANGED: {
            const LRESULT result = CVistaDialog::WindowProc(message, wParam, lParam);
            if (textControl_.GetSafeHwnd() != nullptr) {
                textControl_.SetBackgroundColor(GetContentColor());
                textControl_.Invalidate();
            }
            if (iconControl_.GetSafeHwnd() != nullptr) iconControl_.Invalidate();
            return result;
        }
        case WM_WINDOWPOSCHANGED: {
            const LRESULT result = CVistaDialog::WindowProc(message, wParam, lParam);
            OnWindowPosChanged(reinterpret_cast<const WINDOWPOS*>(lParam));
            return result;
        }
        case WM_APP:
            if ((flags_ & Flash) != 0) FlashInBackground(m_hWnd);
            return 0;
        default:
            return CVistaDialog::WindowProc(message, wParam, lParam);
    }
}

void CBigMessageBox::OnWindowPosChanged(const WINDOWPOS* position) {
    if (position == nullptr || (position->flags & SWP_SHOWWINDOW) == 0 || shown_) return;
    shown_ = true;
    PostMessage(WM_APP);
}

}  // namespace riviru
