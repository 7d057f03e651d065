#include "riviru/shell/ShellUrl.h"

#include <windows.h>

#include <shlwapi.h>

#include "ShellErrors.h"

namespace riviru {

std::wstring PathFromUrl(const std::wstring& url) {
    wchar_t* path = nullptr;
    const HRESULT hr = ::PathCreateFromUrlAlloc(url.c_str(), &path, 0);
    if (FAILED(hr)) shell_detail::ThrowHResult(hr, "Could not create path from URL");
    std::wstring result = path != nullptr ? path : L"";
    ::LocalFree(path);
    return result;
}

std::wstring UrlFromPath(const std::wstring& path) {
    // INTERNET_MAX_URL_LENGTH and the terminating zero.
    wchar_t url[2084];
    DWORD length = 2084;
    const HRESULT hr = ::UrlCreateFromPathW(path.c_str(), url, &length, 0);
    if (FAILED(hr)) shell_detail::ThrowHResult(hr, "Could not create URL from path");
    return std::wstring(url, length);
}

}  // namespace riviru
