#include "riviru/ui/CVistaDialog.h"

#include "riviru/ui/DialogBands.h"

namespace riviru {

namespace {

RgbColor ToRgbColor(COLORREF color) noexcept {
    return RgbColor{GetRValue(color), GetGValue(color), GetBValue(color)};
}

COLORREF ToColorRef(RgbColor color) noexcept {
    return RGB(color.red, color.green, color.blue);
}

}  // namespace

DialogColors CVistaDialog::SystemColors() {
    return DialogColors(ToRgbColor(::GetSysColor(COLOR_WINDOW)), ToRgbColor(::GetSysColor(COLOR_BTNFACE)));
}

CVistaDialog::CVistaDialog(UINT templateId, HWND parent)
    : CResizeDlg(templateId, parent),
      defaultColors_(SystemColors()),
      contentColor_(ToColorRef(defaultColors_.content)),
      bandColor_(ToColorRef(defaultColors_.band)),
      separatorColor_(ToColorRef(defaultColors_.separator)),
      contentBrush_(::CreateSolidBrush(contentColor_)),
      bandBrush_(::CreateSolidBrush(bandColor_)),
      separatorBrush_(::CreateSolidBrush(separatorColor_)) {}

CVistaDialog::CVistaDialog(HWND parent) : CVistaDialog(0, parent) {}

CVistaDialog::~CVistaDialog() = default;

LRESULT CVistaDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SIZE: {
            const LRESULT result = CResizeDlg::WindowProc(message, wParam, lParam);
            Invalidate();
            return result;
        }
        case WM_THEMECHANGED: {
            const LRESULT result = Default();
            OnThemeChanged();
            return result;
        }
        default:
            return CResizeDlg::WindowProc(message, wParam, lParam);
    }
}

void CVistaDialog::GetAreas(RECT* contentRect, RECT* bandRect) const noexcept {
    int bandHeight = bandHeightPixels_;
    if (bandHeight < 0) {
        bandHeight = MapDialogRect(RECT{0, 0, 0, defaultColors_.bandHeightDialogUnits}).bottom;
    }
    const DialogBands bands = SplitDialogBands(ToLayoutRect(GetClientRect()), bandHeight);
    if (contentRect != nullptr) *contentRect = ToRect(bands.content);
    if (bandRect != nullptr) *bandRect = ToRect(bands.band);
}

void CVistaDialog::SetBandHeight(int pixels) noexcept {
    if (pixels == bandHeightPixels_) return;
    bandHeightPixels_ = pixels;
    if (m_hWnd != nullptr) Invalidate();
}

void CVistaDialog::SetColor(COLORREF& color, win::unique_brush& brush, COLORREF value) noexcept {
    if (color == value && brush) return;
    color = value;
    brush.reset(::CreateSolidBrush(value));
    if (m_hWnd != nullptr) Invalidate();
}

void CVistaDialog::SetContentColor(COLORREF color) noexcept {
    SetColor(contentColor_, contentBrush_, color);
}
void CVistaDialog::SetBandColor(COLORREF color) noexcept {
    SetColor(bandColor_, bandBrush_, color);
}
void CVistaDialog::SetSeparatorColor(COLORREF color) noexcept {
    SetColor(separatorColor_, separatorBrush_, color);
}

BOOL CVistaDialog::OnEraseBkgnd(HDC dc) {
    if (dc == nullptr) return TRUE;
    RECT content{};
    RECT band{};
    GetAreas(&content, &band);
    const DialogBandPaint paint = BandPaintRects(DialogBands{ToLayoutRect(content), ToLayoutRect(band)},
                                                 ::GetDeviceCaps(dc, LOGPIXELSX));
    const RECT contentPart = ToRect(paint.content);
    const RECT separatorPart = ToRect(paint.separator);
    const RECT bandPart = ToRect(paint.band);
    ::FillRect(dc, &contentPart, contentBrush_.get());
    ::FillRect(dc, &separatorPart, separatorBrush_.get());
    ::FillRect(dc, &bandPart, bandBrush_.get());
    if (HasGrip()) DrawGrip(dc);
    return TRUE;
}

LRESULT CVistaDialog::OnCtlColor(HDC dc, HWND control) {
    Default();
    RECT content{};
    RECT band{};
    GetAreas(&content, &band);
    const RECT controlRect = GetChildRect(control);
    if (IsInContentArea(controlRect.top, DialogBands{ToLayoutRect(content), ToLayoutRect(band)})) {
        ::SetBkColor(dc, contentColor_);
        return reinterpret_cast<LRESULT>(contentBrush_.get());
    }
    ::SetBkColor(dc, bandColor_);
    return reinterpret_cast<LRESULT>(bandBrush_.get());
}

void CVistaDialog::OnThemeChanged() {
    const DialogColors previous = defaultColors_;
    defaultColors_ = SystemColors();
    // Colours a derived dialog chose itself stay; the others follow the scheme.
    if (contentColor_ == ToColorRef(previous.content)) {
        SetColor(contentColor_, contentBrush_, ToColorRef(defaultColors_.content));
    }
    if (bandColor_ == ToColorRef(previous.band)) {
        SetColor(bandColor_, bandBrush_, ToColorRef(defaultColors_.band));
    }
    if (separatorColor_ == ToColorRef(previous.separator)) {
        SetColor(separatorColor_, separatorBrush_, ToColorRef(defaultColors_.separator));
    }
    Invalidate();
}

}  // namespace riviru
