// The system's message text for a Windows error code or HRESULT.
#pragma once
#include <cstdint>
#include <string>

namespace riviru {

// FormatMessageW from the system's message table, inserts ignored, default
// language, trailing white space removed; empty when the system has no
// message. Natively (no Windows message table) always empty.
std::wstring SystemMessage(std::int32_t code);

}  // namespace riviru
