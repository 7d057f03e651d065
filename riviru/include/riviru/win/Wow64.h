// Whether this 32-bit process runs on 64-bit Windows.
#pragma once

namespace riviru::win {

// IsWow64Process is looked up at run time: the kernel32 of older systems has
// none, which counts as 32-bit Windows.
bool RunsUnderWow64() noexcept;

}  // namespace riviru::win
