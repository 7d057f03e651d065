#include "sfx/TopLevelEntries.h"

namespace sfx {

std::vector<std::wstring> TopLevelEntries(const std::vector<std::wstring>& entries) {
    std::vector<std::wstring> topLevel;
    for (const std::wstring& entry : entries) {
        const size_t end = entry.find_last_not_of(L"\\/");
        if (end == std::wstring::npos) continue;  // nothing but separators: no item
        std::wstring name = entry.substr(0, end + 1);
        if (name.find_first_of(L"\\/") == std::wstring::npos) topLevel.push_back(std::move(name));
    }
    return topLevel;
}

}  // namespace sfx
