// CVistaDialog: a resizable dialog with the two-band look of system task
// dialogs: the content area in the window colour, a separator line and the
// button band at the bottom in the button-face colour. Static controls and
// buttons get the background of the band their top edge lies in. Colours that
// were never changed follow the system scheme when the theme changes.
#pragma once
#include <windows.h>

#include "riviru/ui/CResizeDlg.h"
#include "riviru/ui/DialogColors.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {

class CVistaDialog : public CResizeDlg {
public:
    explicit CVistaDialog(UINT templateId, HWND parent = nullptr);
    explicit CVistaDialog(HWND parent = nullptr);
    ~CVistaDialog() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The content area and the band in client coordinates; either may be null.
    // The band is bandHeightPixels high, or DialogColors::kBandHeightDialogUnits
    // dialog units while no pixel height is set.
    void GetAreas(RECT* contentRect, RECT* bandRect) const noexcept;
    // A band height in pixels; -1 returns to the default height. Repaints the
    // dialog when the height changes.
    void SetBandHeight(int pixels) noexcept;
    int GetBandHeight() const noexcept { return bandHeightPixels_; }

    // Each setter recreates its brush and repaints when the colour changes.
    void SetContentColor(COLORREF color) noexcept;
    void SetBandColor(COLORREF color) noexcept;
    void SetSeparatorColor(COLORREF color) noexcept;
    COLORREF GetContentColor() const noexcept { return contentColor_; }
    COLORREF GetBandColor() const noexcept { return bandColor_; }
    COLORREF GetSeparatorColor() const noexcept { return separatorColor_; }
    HBRUSH GetContentBrush() const noexcept { return contentBrush_.get(); }
    HBRUSH GetBandBrush() const noexcept { return bandBrush_.get(); }
    HBRUSH GetSeparatorBrush() const noexcept { return separatorBrush_.get(); }
    const DialogColors& GetDefaultColors() const noexcept { return defaultColors_; }

    // The scheme of the current system colours.
    static DialogColors SystemColors();

protected:
    BOOL OnEraseBkgnd(HDC dc);
    LRESULT OnCtlColor(HDC dc, HWND control);
    void OnThemeChanged();

    DialogColors defaultColors_;
    COLORREF contentColor_;
    COLORREF bandColor_;
    COLORREF separatorColor_;
    win::unique_brush contentBrush_;
    win::unique_brush bandBrush_;
    win::unique_brush separatorBrush_;
    int bandHeightPixels_ = -1;

private:
    void SetColor(COLORREF& color, win::unique_brush& brush, COLORREF value) noexcept;
};

}  // namespace riviru
