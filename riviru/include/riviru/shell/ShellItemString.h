// A string property of a path as the shell reports it, for example the
// display name (kItemNameDisplay).
#pragma once
#include <windows.h>

#include <wtypes.h>

#include <string>

namespace riviru {

// System.ItemNameDisplay, the item's display name (mingw-w64's propkey.h
// lacks it).
inline constexpr PROPERTYKEY kItemNameDisplay = {
    {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}}, 10};

// Needs COM on the calling thread. Throws std::system_error with the HRESULT
// when the shell cannot parse the path; a property the item does not have
// gives the empty text.
std::wstring GetShellItemString(const std::wstring& path, const PROPERTYKEY& key);

}  // namespace riviru
