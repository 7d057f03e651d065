#include "riviru/ui/FlashRule.h"

namespace riviru {

void FlashInBackground(HWND window) noexcept {
    if (window == nullptr || ::GetForegroundWindow() == window) return;
    for (HWND candidate = window; candidate != nullptr; candidate = ::GetWindow(candidate, GW_OWNER)) {
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(candidate, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(candidate, GWL_EXSTYLE));
        if ((style & WS_VISIBLE) == 0 || (style & WS_CHILD) != 0) continue;
        const bool appWindow = (exStyle & WS_EX_APPWINDOW) != 0;
        const bool ownerless = ::GetWindow(candidate, GW_OWNER) == nullptr &&
                               (exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) == 0;
        if (!appWindow && !ownerless) continue;
        UINT count = 0;
        if (!::SystemParametersInfoW(SPI_GETFOREGROUNDFLASHCOUNT, 0, &count, 0)) count = 3;
        FLASHWINFO info{};
        info.cbSize = sizeof(info);
        info.hwnd = candidate;
        info.dwFlags = FLASHW_ALL;
        info.uCount = count;
        info.dwTimeout = 0;
        ::FlashWindowEx(&info);
        return;
    }
}

}  // namespace riviru
