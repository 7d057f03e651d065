// The values of the well-known folder properties on the running system, as a
// property map for ExpandPlaceholders (Windows only).
#pragma once
#include <string>

#include "riviru/localization/ExpandPlaceholders.h"
#include "riviru/localization/FolderPropertyTable.h"

namespace riviru {

// The table of this process, built once on first use; whether Windows is
// 64-bit (IsWow64Process, looked up at run time) is decided then.
const FolderPropertyTable& GetFolderPropertyTable();

// The path of one property, or empty for a name that is not in the table or
// has no value here. Shell folders and SystemFolder come without a trailing
// backslash; TempFolder ends with one.
std::wstring ResolveFolderProperty(const std::wstring& name);

// Every name of the table with its value, asked anew from the system at each
// call.
PropertyMap GetFolderProperties();

}  // namespace riviru
