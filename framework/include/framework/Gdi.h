// Owners of the device contexts and fonts the dialogs use for measuring and
// painting:
//   CClientDC, CWindowDC   a window's DC, released when the owner goes
//   CSelectObject          selects an object into a DC and restores the old one
//   CFont                  an owned font, for example a bold copy of a dialog font
#pragma once
#include <windows.h>

#include "riviru/win/UniqueResource.h"

namespace fw {

class CClientDC {
public:
    explicit CClientDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~CClientDC() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

class CWindowDC {
public:
    explicit CWindowDC(HWND window) noexcept : window_(window), dc_(::GetWindowDC(window)) {}
    ~CWindowDC() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~CSelectObject() {
        if (previous_ != nullptr) ::SelectObject(dc_, previous_);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class CFont {
public:
    bool CreateFontIndirect(const LOGFONTW& logFont) noexcept {
        font_.reset(::CreateFontIndirectW(&logFont));
        return static_cast<bool>(font_);
    }
    // A copy of an existing font with another weight (700 for bold).
    bool CreateWithWeight(HFONT source, LONG weight) noexcept;
    HFONT get() const noexcept { return font_.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(font_); }
    void reset() noexcept { font_.reset(); }

private:
    riviru::win::unique_font font_;
};

// The horizontal logical DPI of a window's DC; 96 when there is no DC.
int WindowDpiX(HWND window) noexcept;

}  // namespace fw
