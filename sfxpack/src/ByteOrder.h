// Little-endian reads and writes of the integers in PE headers and stamped
// resources.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sfxpack {

inline std::uint16_t ReadU16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadU32(const std::uint8_t* p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t ReadU64(const std::uint8_t* p) noexcept {
    return ReadU32(p) | (std::uint64_t{ReadU32(p + 4)} << 32);
}

inline void WriteU64(std::uint8_t* p, std::uint64_t value) noexcept {
    for (std::size_t i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace sfxpack
