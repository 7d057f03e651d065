// A bare Windows error code or HRESULT as user text.
#pragma once
#include <cstdint>
#include <string>

namespace riviru {

// SystemMessage(code) followed by " (%d)" when the code, taken as unsigned, is
// at most 0xFFFF, else by " (0x%X)": 5 gives "Access is denied. (5)",
// E_ACCESSDENIED "Access is denied. (0x80070005)".
std::wstring FormatErrorText(std::int32_t code);

}  // namespace riviru
