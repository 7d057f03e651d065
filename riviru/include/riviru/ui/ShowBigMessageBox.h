// The request function of the message box: a system message-box type word
// in, the pressed button's id out.
#pragma once
#include <windows.h>

#include <cstdint>

#include "riviru/localization/IStringResources.h"

namespace riviru {

// Shows a CBigMessageBox with the icon, button set and default button of
// type (MB_ICON*, MB_OK ... MB_CANCELTRYCONTINUE, MB_DEFBUTTONn); button
// captions come from strings. A null caption shows the application name;
// title and text may be null. flags is a set of BigMessageBoxFlags.
int ShowBigMessageBox(HWND parent, const IStringResources& strings, const wchar_t* caption,
                      const wchar_t* title, const wchar_t* text, unsigned type, std::uint32_t flags);

}  // namespace riviru
