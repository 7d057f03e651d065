// The visual-style functions the dialog toolkit draws with, taken from
// uxtheme.dll in the system folder when first used. uxtheme is no KnownDLL:
// imported normally, a file of that name beside a downloaded package would
// be loaded, elevated, before the program could restrict the DLL search.
// Without the library each call fails as it would with visual styles off.
#pragma once
#include <windows.h>

#include <uxtheme.h>

namespace riviru::win::theme {

BOOL IsThemeActive() noexcept;
HTHEME OpenThemeData(HWND window, LPCWSTR classList) noexcept;
HRESULT CloseThemeData(HTHEME theme) noexcept;
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) noexcept;
HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) noexcept;
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) noexcept;
HRESULT GetThemeInt(HTHEME theme, int part, int state, int property, int* value) noexcept;

}  // namespace riviru::win::theme
