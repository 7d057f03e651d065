// Which archive entry names may be written below the extraction folder.
#pragma once
#include <string_view>

namespace sfx {

// True for a plain relative path of ordinary names, separated by backslashes
// or slashes. False when the name could leave the folder or reach something
// other than a file in it: empty; beginning with a separator (root, UNC,
// "\\?\" and "\\.\" prefixes); any colon (drive letters, alternate data
// streams); a part that is empty, ".." or only dots and spaces (Windows drops
// trailing dots and spaces); a device name as a part (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, CONIN$, CONOUT$, also with an extension); control
// characters.
bool IsSafeEntryPath(std::wstring_view path) noexcept;

}  // namespace sfx
