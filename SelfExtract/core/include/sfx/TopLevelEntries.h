// The archive entries that lie directly in the extraction folder, for the
// shell window that shows the folder with them selected.
#pragma once
#include <string>
#include <vector>

namespace sfx {

// Each entry (relative to the folder, a folder entry ending with a
// backslash) without its trailing separators, kept when it names no
// deeper item; order as given.
std::vector<std::wstring> TopLevelEntries(const std::vector<std::wstring>& entries);

}  // namespace sfx
