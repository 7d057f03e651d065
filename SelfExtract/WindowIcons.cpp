#include "WindowIcons.h"

void SetWindowIcons(HWND window, int iconResourceId) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const int smallSize = ::GetSystemMetrics(SM_CXSMICON);
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON,
                                                         smallSize, smallSize, LR_SHARED)));
    ::SendMessageW(window, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON, 0,
                                                         0, LR_SHARED | LR_DEFAULTSIZE)));
}
