#include "riviru/win/ThemeLibrary.h"
#include "riviru/ui/CThemedBorderHelper.h"

#include <commctrl.h>

#include <utility>

#include "framework/Gdi.h"
#include "riviru/ui/DpiScale.h"

namespace riviru {

namespace {

constexpr int kBorderSizeProperty = 2403;  // TMT_BORDERSIZE
constexpr DWORD kBorderStyles = WS_BORDER;
constexpr DWORD kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;

// Visual styles came with Windows XP (5.1); Windows 2000 and older have none.
bool HasVisualStyles() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) return false;
    return version.dwMajorVersion * 256 + version.dwMinorVersion > 0x500;
}

}  // namespace

CThemedBorderHelper::CThemedBorderHelper(std::wstring themeClass, int part, int normalState,
                                         int disabledState, int focusedState, int hotState)
    : themeClass_(std::move(themeClass)),
      part_(part),
      normalState_(normalState),
      disabledState_(disabledState),
      focusedState_(focusedState),
      hotState_(hotState) {}

CThemedBorderHelper::~CThemedBorderHelper() {
    CThemedBorderHelper::Detach();
}

bool CThemedBorderHelper::Attach(HWND window) {
    if (!WndSubClass::Attach(window)) return false;
    hot_ = false;
    savedStyle_ = 0;
    savedExStyle_ = 0;
    hasBorder_ = false;
    Refresh();
    return true;
}

bool CThemedBorderHelper::Detach() {
    const bool detached = WndSubClass::Detach();
    theme_.reset();
    return detached;
}

void CThemedBorderHelper::Refresh() {
    HWND window = GetAttachedWindow();
    if (window == nullptr || !HasVisualStyles()) return;
    refreshing_ = true;
    themeActive_ = win::theme::IsThemeActive() != FALSE;
    theme_.reset();

    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    const DWORD foundStyle = style & kBorderStyles;
    const DWORD foundExStyle = exStyle & kBorderExStyles;
    const bool found = foundStyle != 0 || foundExStyle != 0;
    if (found) {
        savedStyle_ = foundStyle;
        savedExStyle_ = foundExStyle;
        hasBorder_ = true;
    }
    if (themeActive_ && hasBorder_) theme_.reset(win::theme::OpenThemeData(window, themeClass_.c_str()));

    if (theme_) {
        // The theme's border replaces the classic one.
        if (foundStyle != 0)
            ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(style & ~foundStyle));
        if (foundExStyle != 0) {
            ::SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle & ~foundExStyle));
        }
    } else if (hasBorder_ && !found) {
        ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(style | savedStyle_));
        ::SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle | savedExStyle_));
    }
    refreshing_ = false;

    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RepaintFrame(true);
}

int CThemedBorderHelper::CurrentState() const noexcept {
    HWND window = GetAttachedWindow();
    int state = normalState_;
    if (!::IsWindowEnabled(window)) {
        state = disabledState_;
    } else if (::GetFocus() == window) {
        state = focusedState_;
    } else if (hot_) {
        state = hotState_;
    }
    return state != 0 ? state : normalState_;
}

void CThemedBorderHelper::RepaintFrame(bool now) const noexcept {
    HWND window = GetAttachedWindow();
    if (window == nullptr) return;
    // The window rectangle in client coordinates, minus the client area.
    RECT frame{};
    ::GetWindowRect(window, &frame);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&frame), 2);
    RECT client{};
    ::GetClientRect(window, &client);
    win::unique_gdi region(::CreateRectRgnIndirect(&frame));
    win::unique_gdi clientRegion(::CreateRectRgnIndirect(&client));
    UINT flags = RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN;
    if (now) flags |= RDW_UPDATENOW;
    if (region && clientRegion) {
        auto* frameRegion = static_cast<HRGN>(region.get());
        ::CombineRgn(frameRegion, frameRegion, static_cast<HRGN>(clientRegion.get()), RGN_DIFF);
        ::RedrawWindow(window, nullptr, frameRegion, flags);
    } else {
        ::RedrawWindow(window, nullptr, nullptr, flags);
    }
}

void CThemedBorderHelper::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
    HWND window = GetAttachedWindow();
    int border = 0;
    if (FAILED(win::theme::GetThemeInt(theme_.get(), part_, normalState_, kBorderSizeProperty, &border))) border = 0;
    const int inset = border + DpiScale(fw::WindowDpiX(window)).Scale(1);
    // Either form of the message proposes the new client rectangle first.
    RECT* proposed = wParam != 0 ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                 : reinterpret_cast<RECT*>(lParam);
    if (proposed == nullptr) return;
    ::InflateRect(proposed, -inset, -inset);
    borderInsets_ = RECT{inset, inset, inset, inset};
}

void CThemedBorderHelper::OnNcPaint() {
    if (!PaintsBorder()) return;
    HWND window = GetAttachedWindow();
    fw::CWindowDC dc(window);
    if (!dc) return;
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    RECT whole{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    ::ExcludeClipRect(dc.get(), whole.left + borderInsets_.left, whole.top + borderInsets_.top,
                      whole.right - borderInsets_.right, whole.bottom - borderInsets_.bottom);
    const int state = CurrentState();
    if (win::theme::IsThemeBackgroundPartiallyTransparent(theme_.get(), part_, state)) {
        win::theme::DrawThemeParentBackground(window, dc.get(), &whole);
    }
    win::theme::DrawThemeBackground(theme_.get(), dc.get(), part_, state, &whole, nullptr);
}

bool CThemedBorderHelper::HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_NCCALCSIZE:
            result = DefaultProc(window, message, wParam, lParam);
            if (PaintsBorder()) {
                OnNcCalcSize(wParam, lParam);
                result = 0;
            }
            return true;
        case WM_NCPAINT:
            DefaultProc(window, message, wParam, lParam);
            OnNcPaint();
            result = 0;
            return true;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (PaintsBorder() && focusedState_ != 0) RepaintFrame(false);
            return false;
        case WM_STYLECHANGED:
        case WM_THEMECHANGED:
            if (refreshing_) return false;
            result = DefaultProc(window, message, wParam, lParam);
            Refresh();
            return true;
        case WM_MOUSEMOVE:
            if (PaintsBorder() && hotState_ != 0 && !hot_) ::PostMessageW(window, WM_MOUSEHOVER, 0, lParam);
            return false;
        case WM_MOUSEHOVER:
            if (PaintsBorder() && hotState_ != 0 && !hot_) {
                hot_ = true;
                RepaintFrame(false);
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof track;
                track.dwFlags = TME_LEAVE;
                track.hwndTrack = window;
                track.dwHoverTime = 0;
                ::TrackMouseEvent(&track);
            }
            return false;
        case WM_MOUSELEAVE:
            if (hot_) {
                hot_ = false;
                RepaintFrame(false);
            }
            return false;
        default:
            return false;
    }
}

}  // namespace riviru
