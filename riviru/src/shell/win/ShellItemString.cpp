#include "riviru/shell/ShellItemString.h"

#include <shobjidl.h>

#include "ShellErrors.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {

std::wstring GetShellItemString(const std::wstring& path, const PROPERTYKEY& key) {
    win::com_ptr<IShellItem2> item;
    const HRESULT hr = ::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem2, item.put_void());
    if (FAILED(hr)) shell_detail::ThrowHResult(hr, "Could not get display name from path");
    wchar_t* text = nullptr;
    if (FAILED(item->GetString(key, &text)) || text == nullptr) return {};
    std::wstring result = text;
    ::CoTaskMemFree(text);
    return result;
}

}  // namespace riviru
