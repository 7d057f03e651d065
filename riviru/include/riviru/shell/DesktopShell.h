// Starting programs and opening folders through the desktop shell process
// (Explorer), so that they run with the interactive user's rights even when
// the caller runs elevated.
#pragma once
#include <cstdint>

namespace riviru {

// Flags of ShellExecuteAsDesktopUser.
inline constexpr std::uint32_t kDesktopNoForeground =
    1;  // do not let the started program take the foreground
// Flags of OpenFolderAsDesktopUser.
inline constexpr std::uint32_t kDesktopExploreFolder = 1;       // explore the folder instead of opening it
inline constexpr std::uint32_t kDesktopFolderNoForeground = 2;  // do not let the window take the foreground

// Starts program (a folder when it ends with a backslash, which is then
// opened) with the desktop shell's IShellDispatch2::ShellExecute; parameters,
// workingFolder and verb may be null. Needs COM on the calling thread. Throws
// std::system_error (see the source for the messages); a null program gives
// the generic code invalid_argument.
void ShellExecuteAsDesktopUser(const wchar_t* program, const wchar_t* parameters,
                               const wchar_t* workingFolder, const wchar_t* verb, int show,
                               std::uint32_t flags);

// Opens (or explores) folder in a window of the desktop shell. Needs COM on
// the calling thread. Throws std::system_error.
void OpenFolderAsDesktopUser(const wchar_t* folder, std::uint32_t flags);

}  // namespace riviru
