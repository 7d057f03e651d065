// The options of RemoveFolderTree and the path rule it applies before it
// touches anything. Portable, so the rule is tested natively.
#pragma once
#include <cstdint>
#include <string_view>

namespace riviru {

enum class FolderRemoveFlags : std::uint32_t {
    None = 0,
    RemoveRoot = 0x1,     // remove the given folder itself at the end, not only its contents
    Recurse = 0x2,        // descend into subfolders and remove them with their contents
    ClearReadOnly = 0x4,  // give a read-only file normal attributes before deleting it
    StopOnError = 0x8,    // return at the first failure instead of going on
};

constexpr FolderRemoveFlags operator|(FolderRemoveFlags a, FolderRemoveFlags b) noexcept {
    return static_cast<FolderRemoveFlags>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

constexpr bool HasFlag(FolderRemoveFlags set, FolderRemoveFlags flag) noexcept {
    return (static_cast<std::uint32_t>(set) & static_cast<std::uint32_t>(flag)) != 0;
}

// Only a path that begins with two backslashes (UNC or \\?\) or with a drive
// letter and a colon may be removed: a relative path would depend on the
// current folder, and an empty one would mean the current folder itself.
constexpr bool IsRemovableFolderPath(std::wstring_view path) noexcept {
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return true;
    if (path.size() < 2 || path[1] != L':') return false;
    const wchar_t drive = path[0];
    return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
}

}  // namespace riviru
