// Removal of an extraction folder with everything in it (Windows only).
#pragma once
#include <string>

#include "riviru/io/FolderRemoveFlags.h"

namespace riviru {

// Removes the contents of path and, with RemoveRoot, the folder itself. True
// when everything that was to be removed is gone. On false the thread's last
// error is that of the last failure; files that cannot be deleted stay, and so
// do the folders above them. A path that IsRemovableFolderPath refuses gives
// false with ERROR_INVALID_PARAMETER and touches nothing. Links (junctions,
// symbolic links) are removed themselves; their targets are never entered.
bool RemoveFolderTree(const std::wstring& path, FolderRemoveFlags flags);

}  // namespace riviru
