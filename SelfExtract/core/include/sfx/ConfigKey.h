// The AES-128 key of the configuration block.
#pragma once
#include <array>
#include <cstdint>

namespace sfx {

using ConfigKey = std::array<std::uint8_t, 16>;

// Built at run time from the four build-time constants, each stored in
// little-endian order, so the key bytes never stand together in the program.
ConfigKey BuildConfigKey() noexcept;

}  // namespace sfx
