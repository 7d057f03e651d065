#include "ShellErrors.h"

#include <objbase.h>

namespace riviru::shell_detail {

std::string InterfaceIdText(REFIID iid) {
    wchar_t* text = nullptr;
    if (FAILED(::StringFromCLSID(iid, &text)) || text == nullptr) return {};
    std::string result;
    for (const wchar_t* c = text; *c != L'\0'; ++c)
        result += static_cast<char>(*c);  // hex digits, braces, hyphens
    ::CoTaskMemFree(text);
    return result;
}

}  // namespace riviru::shell_detail
