#include "framework/Gdi.h"

namespace fw {

bool CFont::CreateWithWeight(HFONT source, LONG weight) noexcept {
    LOGFONTW logFont{};
    if (source == nullptr || ::GetObjectW(source, sizeof(logFont), &logFont) == 0) return false;
    logFont.lfWeight = weight;
    return CreateFontIndirect(logFont);
}

int WindowDpiX(HWND window) noexcept {
    CClientDC dc(window);
    if (!dc) return 96;
    const int dpi = ::GetDeviceCaps(dc.get(), LOGPIXELSX);
    return dpi > 0 ? dpi : 96;
}

}  // namespace fw
