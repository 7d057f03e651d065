// The flash rule of the toolkit's windows: when the application is not in the
// foreground, the window that carries its taskbar button flashes, so a
// question or an error shown behind another program is noticed.
#pragma once
#include <windows.h>

namespace riviru {

// Nothing when window is the foreground window. Otherwise, walking up from
// window along the owners, the first visible top-level window that has the
// application-window style, or has no owner and is neither a tool window nor
// a no-activate window, flashes caption and taskbar button as often as the
// system's foreground flash count (3 when it cannot be read).
void FlashInBackground(HWND window) noexcept;

}  // namespace riviru
