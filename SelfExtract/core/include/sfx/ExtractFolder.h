// The rules that fix the extraction folder before anything is extracted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sfx {

// Fills buffer with size random bytes; false when the source failed.
using RandomBytes = std::function<bool(std::uint8_t* buffer, std::size_t size)>;

// "kvr" followed by 8 characters of [a-z0-9], each equally likely: a byte of
// random is used only below 252 (7 × 36), taken modulo 36. The empty text
// when random fails.
std::wstring MakeRandomFolderName(const RandomBytes& random);

// Absolute only when it begins with two backslashes or a letter and a colon;
// everything else, including a path beginning with one backslash, is relative.
bool IsAbsoluteFolderPath(std::wstring_view path) noexcept;

// folder + a backslash (only when folder does not end with one) + name.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// The executable's file name after the last backslash, cut before its last
// dot; a name without a dot gives the empty text.
std::wstring ExecutableBaseName(std::wstring_view executablePath);

// The folder of an extract-only run: the given folder when it is absolute,
// else relative to the current directory; without a folder, a folder named
// after the executable in the current directory.
std::wstring ExtractOnlyFolder(std::wstring_view extractDir, std::wstring_view currentDirectory,
                               std::wstring_view executablePath);

}  // namespace sfx
