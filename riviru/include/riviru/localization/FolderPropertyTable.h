// The well-known folder properties that configuration values may name as
// placeholders ([PersonalFolder], [ProgramFilesFolder], ...): the names of the
// Windows Installer and of WiX, each with the rule that finds its path.
#pragma once
#include <map>
#include <string>

namespace riviru {

// A shell folder id (CSIDL, -1 for none) or else an environment variable
// (empty for none). A property with neither is resolved by name: TempFolder
// and SystemFolder have rules of their own, the others are always empty.
struct FolderPropertyRule {
    int csidl = -1;
    std::wstring environmentVariable;
};

inline bool operator==(const FolderPropertyRule& a, const FolderPropertyRule& b) {
    return a.csidl == b.csidl && a.environmentVariable == b.environmentVariable;
}

// Names are compared case-sensitively, by code unit.
using FolderPropertyTable = std::map<std::wstring, FolderPropertyRule>;

// The table for a 32-bit program; is64BitWindows (running under WOW64) decides
// the rows of the 64-bit folders, which a 32-bit program finds only through
// the environment.
FolderPropertyTable BuildFolderPropertyTable(bool is64BitWindows);

}  // namespace riviru
