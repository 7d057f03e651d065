// The application icon on a window: the small one for the caption and the
// default-sized one for the task switcher (shared images, never destroyed).
#pragma once
#include <windows.h>

void SetWindowIcons(HWND window, int iconResourceId);
