// Conversion between file paths and file URLs with the shell's rules.
#pragma once
#include <string>

namespace riviru {

// The path of a file URL (PathCreateFromUrlAlloc). Throws std::system_error
// with the HRESULT when the URL cannot be converted.
std::wstring PathFromUrl(const std::wstring& url);

// The file URL of a path (UrlCreateFromPathW, at most 2083 characters).
// Throws std::system_error with the HRESULT when the path cannot be converted.
std::wstring UrlFromPath(const std::wstring& path);

}  // namespace riviru
