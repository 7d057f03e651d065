#include "sfx/ProgressTitle.h"

namespace sfx {

std::wstring FormatProgressTitle(const std::wstring& format, int value) {
    std::wstring title;
    title.reserve(format.size() + 8);
    bool valueUsed = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c != L'%' || i + 1 >= format.size()) {
            title.push_back(c);
            continue;
        }
        const wchar_t next = format[i + 1];
        if (next == L'%') {
            title.push_back(L'%');
            ++i;
        } else if (next == L'd' || next == L'i' || next == L'u') {
            if (!valueUsed) title += std::to_wstring(value);
            valueUsed = true;
            ++i;
        } else {
            title.push_back(c);
        }
    }
    return title;
}

}  // namespace sfx
