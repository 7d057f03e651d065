// HRESULT values as plain 32-bit integers, usable without <windows.h>.
#pragma once
#include <cstdint>

namespace riviru {

using HResult = std::int32_t;

inline constexpr HResult kOk = 0;
inline constexpr HResult kInvalidData = static_cast<HResult>(0x8007000Du);  // ERROR_INVALID_DATA
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);         // E_FAIL

// A Windows error code e becomes 0x80070000 + (e & 0xFFFF); 0 and values that
// are already negative (HRESULTs) pass through unchanged.
constexpr HResult HResultFromWin32(std::uint32_t error) noexcept {
    return static_cast<std::int32_t>(error) <= 0
               ? static_cast<HResult>(error)
               : static_cast<HResult>(0x80070000u | (error & 0xFFFFu));
}

constexpr bool Failed(HResult hr) noexcept { return hr < 0; }

}  // namespace riviru
