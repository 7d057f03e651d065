#include "riviru/win/ThemeLibrary.h"

#include "riviru/win/SystemLibrary.h"

namespace riviru::win::theme {

namespace {

// The library, loaded once and kept for the life of the process.
HMODULE Library() noexcept {
    static const HMODULE library = LoadSystemLibrary(L"uxtheme.dll");
    return library;
}

template <typename Function>
Function Lookup(const char* name) noexcept {
    HMODULE library = Library();
    return library == nullptr ? nullptr
                              : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

}  // namespace

BOOL IsThemeActive() noexcept {
    static const auto function = Lookup<BOOL(WINAPI*)()>("IsThemeActive");
    return function != nullptr ? function() : FALSE;
}

HTHEME OpenThemeData(HWND window, LPCWSTR classList) noexcept {
    static const auto function = Lookup<HTHEME(WINAPI*)(HWND, LPCWSTR)>("OpenThemeData");
    return function != nullptr ? function(window, classList) : nullptr;
}

HRESULT CloseThemeData(HTHEME theme) noexcept {
    static const auto function = Lookup<HRESULT(WINAPI*)(HTHEME)>("CloseThemeData");
    return function != nullptr ? function(theme) : E_NOTIMPL;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) noexcept {
    static const auto function =
        Lookup<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>("DrawThemeBackground");
    return function != nullptr ? function(theme, dc, part, state, rect, clip) : E_NOTIMPL;
}

HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) noexcept {
    static const auto function = Lookup<HRESULT(WINAPI*)(HWND, HDC, const RECT*)>("DrawThemeParentBackground");
    return function != nullptr ? function(window, dc, rect) : E_NOTIMPL;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) noexcept {
    static const auto function =
        Lookup<BOOL(WINAPI*)(HTHEME, int, int)>("IsThemeBackgroundPartiallyTransparent");
    return function != nullptr ? function(theme, part, state) : FALSE;
}

HRESULT GetThemeInt(HTHEME theme, int part, int state, int property, int* value) noexcept {
    static const auto function = Lookup<HRESULT(WINAPI*)(HTHEME, int, int, int, int*)>("GetThemeInt");
    return function != nullptr ? function(theme, part, state, property, value) : E_NOTIMPL;
}

}  // namespace riviru::win::theme
