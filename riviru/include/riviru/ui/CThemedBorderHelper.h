// CThemedBorderHelper: paints the visual-style border of a bordered control in
// place of its classic border. While a theme is open for the control, its
// border styles (WS_BORDER, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE) are taken away,
// the client area shrinks by the theme's border size and the part is drawn in
// the non-client area in the state that fits (disabled, focused, hot, normal).
// When visual styles go away, the styles that were taken are put back.
#pragma once
#include <windows.h>

#include <uxtheme.h>

#include <string>

#include "riviru/ui/WndSubClass.h"
#include "riviru/win/ThemeLibrary.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {

namespace win::traits {
struct theme {
    using type = HTHEME;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { win::theme::CloseThemeData(h); }
};
}  // namespace win::traits
using unique_theme = win::unique_resource<win::traits::theme>;

class CThemedBorderHelper : public WndSubClass {
public:
    // A state of 0 means that normalState applies.
    CThemedBorderHelper(std::wstring themeClass, int part, int normalState, int disabledState = 0,
                        int focusedState = 0, int hotState = 0);
    ~CThemedBorderHelper() override;

    bool Attach(HWND window) override;
    bool Detach() override;
    bool HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Takes the theme and the border styles afresh (visual styles switched on
    // or off, the control's styles changed) and recomputes the frame.
    void Refresh();

    bool IsThemed() const noexcept { return static_cast<bool>(theme_); }
    bool HasBorder() const noexcept { return hasBorder_; }
    bool IsThemeActive() const noexcept { return themeActive_; }
    bool IsHot() const noexcept { return hot_; }
    // The border taken from the client area at the last frame computation.
    RECT GetBorderInsets() const noexcept { return borderInsets_; }

private:
    bool PaintsBorder() const noexcept { return theme_ && hasBorder_; }
    int CurrentState() const noexcept;
    void OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    void OnNcPaint();
    // Repaints the non-client area only; at once or with the next paint.
    void RepaintFrame(bool now) const noexcept;

    DWORD savedStyle_ = 0;
    DWORD savedExStyle_ = 0;
    bool hasBorder_ = false;
    std::wstring themeClass_;
    int part_;
    int normalState_;
    int disabledState_;
    int focusedState_;
    int hotState_;
    unique_theme theme_;
    bool themeActive_ = false;
    RECT borderInsets_{};
    bool hot_ = false;
    // Set while Refresh changes the control's styles itself, so that the
    // style notifications this causes do not start another refresh.
    bool refreshing_ = false;
};

}  // namespace riviru
