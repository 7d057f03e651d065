// The platform's folder browser.
#pragma once
#include <windows.h>

#include <string>

// Asks the user for a folder: the common item dialog in folder mode from
// Windows Vista on, the older shell folder browser before. Opens at
// startFolder when it can; title is shown when not empty. The chosen folder
// with a trailing backslash, or the empty text when the user cancelled or the
// browser failed. COM must be initialised on the calling thread.
std::wstring PickFolder(HWND owner, const std::wstring& startFolder, const std::wstring& title);
