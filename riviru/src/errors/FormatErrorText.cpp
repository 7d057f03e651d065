#include "riviru/errors/FormatErrorText.h"

#include <cstdio>
#include <cstring>

#include "riviru/errors/SystemMessage.h"

namespace riviru {

std::wstring FormatErrorText(std::int32_t code) {
    const auto value = static_cast<std::uint32_t>(code);
    char number[24];
    if (value <= 0xFFFFu) {
        std::snprintf(number, sizeof number, " (%d)", static_cast<int>(code));
    } else {
        std::snprintf(number, sizeof number, " (0x%X)", static_cast<unsigned>(value));
    }
    std::wstring text = SystemMessage(code);
    text.append(number, number + std::strlen(number));  // ASCII only
    return text;
}

}  // namespace riviru
