#include "riviru/localization/FolderPropertyTable.h"

namespace riviru {

namespace {

struct ShellFolderRow {
    const wchar_t* name;
    int csidl;
};

// The CSIDL values are those of the Windows SDK; the Windows tests compare
// them with the SDK's constants.
constexpr ShellFolderRow kShellFolders[] = {
    {L"AdminToolsFolder", 47},           // CSIDL_COMMON_ADMINTOOLS
    {L"AppDataFolder", 26},              // CSIDL_APPDATA
    {L"CommonAppDataFolder", 35},        // CSIDL_COMMON_APPDATA
    {L"CommonFilesFolder", 43},          // CSIDL_PROGRAM_FILES_COMMON
    {L"DesktopFolder", 25},              // CSIDL_COMMON_DESKTOPDIRECTORY
    {L"FavoritesFolder", 6},             // CSIDL_FAVORITES
    {L"FontsFolder", 20},                // CSIDL_FONTS
    {L"LocalAppDataFolder", 28},         // CSIDL_LOCAL_APPDATA
    {L"MyPicturesFolder", 39},           // CSIDL_MYPICTURES
    {L"PersonalFolder", 5},              // CSIDL_PERSONAL
    {L"ProgramFilesFolder", 38},         // CSIDL_PROGRAM_FILES
    {L"ProgramMenuFolder", 23},          // CSIDL_COMMON_PROGRAMS
    {L"SendToFolder", 9},                // CSIDL_SENDTO
    {L"StartMenuFolder", 22},            // CSIDL_COMMON_STARTMENU
    {L"StartupFolder", 24},              // CSIDL_COMMON_STARTUP
    {L"TemplateFolder", 45},             // CSIDL_COMMON_TEMPLATES
    {L"WindowsFolder", 36},              // CSIDL_WINDOWS
    {L"WIX_DIR_ADMINTOOLS", 48},         // CSIDL_ADMINTOOLS
    {L"WIX_DIR_ALTSTARTUP", 29},         // CSIDL_ALTSTARTUP
    {L"WIX_DIR_CDBURN_AREA", 59},        // CSIDL_CDBURN_AREA
    {L"WIX_DIR_COMMON_ADMINTOOLS", 47},  // CSIDL_COMMON_ADMINTOOLS
    {L"WIX_DIR_COMMON_ALTSTARTUP", 30},  // CSIDL_COMMON_ALTSTARTUP
    {L"WIX_DIR_COMMON_DOCUMENTS", 46},   // CSIDL_COMMON_DOCUMENTS
    {L"WIX_DIR_COMMON_FAVORITES", 31},   // CSIDL_COMMON_FAVORITES
    {L"WIX_DIR_COMMON_MUSIC", 53},       // CSIDL_COMMON_MUSIC
    {L"WIX_DIR_COMMON_PICTURES", 54},    // CSIDL_COMMON_PICTURES
    {L"WIX_DIR_COMMON_VIDEO", 55},       // CSIDL_COMMON_VIDEO
    {L"WIX_DIR_COOKIES", 33},            // CSIDL_COOKIES
    {L"WIX_DIR_DESKTOP", 0},             // CSIDL_DESKTOP
    {L"WIX_DIR_HISTORY", 34},            // CSIDL_HISTORY
    {L"WIX_DIR_INTERNET_CACHE", 32},     // CSIDL_INTERNET_CACHE
    {L"WIX_DIR_MYMUSIC", 13},            // CSIDL_MYMUSIC
    {L"WIX_DIR_MYPICTURES", 39},         // CSIDL_MYPICTURES
    {L"WIX_DIR_MYVIDEO", 14},            // CSIDL_MYVIDEO
    {L"WIX_DIR_NETHOOD", 19},            // CSIDL_NETHOOD
    {L"WIX_DIR_PERSONAL", 5},            // CSIDL_PERSONAL
    {L"WIX_DIR_PRINTHOOD", 27},          // CSIDL_PRINTHOOD
    {L"WIX_DIR_PROFILE", 40},            // CSIDL_PROFILE
    {L"WIX_DIR_RECENT", 8},              // CSIDL_RECENT
    {L"WIX_DIR_RESOURCES", 56},          // CSIDL_RESOURCES
};

// Resolved by name, or always empty.
constexpr const wchar_t* kWithoutRule[] = {L"System16Folder", L"System64Folder", L"SystemFolder",
                                           L"TempFolder", L"WindowsVolume"};

}  // namespace

FolderPropertyTable BuildFolderPropertyTable(bool is64BitWindows) {
    FolderPropertyTable table;
    for (const auto& row : kShellFolders) table[row.name] = FolderPropertyRule{row.csidl, {}};
    for (const wchar_t* name : kWithoutRule) table[name] = FolderPropertyRule{};

    const FolderPropertyRule none{};
    const FolderPropertyRule programFiles64 = is64BitWindows ? FolderPropertyRule{-1, L"ProgramW6432"} : none;
    const FolderPropertyRule commonFiles64 =
        is64BitWindows ? FolderPropertyRule{-1, L"CommonProgramW6432"} : none;
    table[L"ProgramFiles64Folder"] = programFiles64;
    table[L"CommonFiles64Folder"] = commonFiles64;
    table[L"ProgramFiles6432Folder"] = is64BitWindows ? programFiles64 : table.at(L"ProgramFilesFolder");
    table[L"CommonFiles6432Folder"] = is64BitWindows ? commonFiles64 : table.at(L"CommonFilesFolder");
    return table;
}

}  // namespace riviru
