#include "riviru/win/ThemeLibrary.h"
#include "riviru/ui/CResizeDlg.h"

#include <uxtheme.h>
#include <windowsx.h>

namespace riviru {

namespace {
// The scroll bar's size box, half size and aligned to the lower right corner.
constexpr int kSizeBoxPart = 10;          // SBP_SIZEBOX
constexpr int kHalfBottomRightState = 5;  // SZB_HALFBOTTOMRIGHTALIGN
}  // namespace

CResizeDlg::CResizeDlg(UINT templateId, HWND parent) noexcept : fw::CDialog(templateId, parent) {}
CResizeDlg::CResizeDlg(HWND parent) noexcept : fw::CDialog(parent) {}
CResizeDlg::~CResizeDlg() = default;

LRESULT CResizeDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
        case WM_NCHITTEST:
            return OnNcHitTest(lParam);
        case WM_SIZE:
            Default();
            OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_GETMINMAXINFO:
            Default();
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        default:
            return fw::CDialog::WindowProc(message, wParam, lParam);
    }
}

BOOL CResizeDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();
    gripShown_ = HasGrip();
    gripClient_ = GetClientRect();
    layout_.Init(m_hWnd);
    return TRUE;
}

bool CResizeDlg::HasGrip() const noexcept {
    if (m_hWnd == nullptr) return false;
    const DWORD style = GetStyle();
    return (style & WS_THICKFRAME) != 0 && (style & WS_CHILD) == 0 && !::IsZoomed(m_hWnd);
}

RECT CResizeDlg::GripCellOf(const RECT& client) noexcept {
    return ToRect(
        GripCell(ToLayoutRect(client), ::GetSystemMetrics(SM_CXVSCROLL), ::GetSystemMetrics(SM_CYHSCROLL)));
}

void CResizeDlg::DrawGrip(HDC dc) const noexcept {
    if (dc == nullptr) return;
    RECT cell = GripCellOf(GetClientRect());
    HTHEME theme = win::theme::IsThemeActive() ? win::theme::OpenThemeData(m_hWnd, L"SCROLLBAR") : nullptr;
    if (theme != nullptr) {
        const HRESULT hr =
            win::theme::DrawThemeBackground(theme, dc, kSizeBoxPart, kHalfBottomRightState, &cell, nullptr);
        win::theme::CloseThemeData(theme);
        if (SUCCEEDED(hr)) return;
    }
    ::DrawFrameControl(dc, &cell, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

void CResizeDlg::OnSize(UINT kind, int width, int height) {
    if (kind != SIZE_RESTORED && kind != SIZE_MAXIMIZED) return;
    layout_.Apply(true);
    if (gripShown_) {
        const RECT oldCell = GripCellOf(gripClient_);
        ::InvalidateRect(m_hWnd, &oldCell, TRUE);
    }
    gripShown_ = HasGrip();
    gripClient_ = RECT{0, 0, width, height};
    const RECT newCell = GripCellOf(gripClient_);
    ::InvalidateRect(m_hWnd, &newCell, TRUE);
}

BOOL CResizeDlg::OnEraseBkgnd(HDC dc) {
    Default();
    if (HasGrip()) DrawGrip(dc);
    return TRUE;
}

LRESULT CResizeDlg::OnNcHitTest(LPARAM point) {
    if (HasGrip()) {
        POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
        if (::ScreenToClient(m_hWnd, &p)) {
            const RECT cell = GripCellOf(GetClientRect());
            if (::PtInRect(&cell, p)) return HTBOTTOMRIGHT;
        }
    }
    return Default();
}

void CResizeDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (info == nullptr) return;
    info->ptMinTrackSize = POINT{minTrackSize_.cx, minTrackSize_.cy};
    info->ptMaxTrackSize = POINT{maxTrackSize_.cx, maxTrackSize_.cy};
}

}  // namespace riviru
