// The six bytes every 7z archive begins with.
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace sfxpack {

inline constexpr std::array<std::uint8_t, 6> kSevenZipSignature = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};

inline bool HasSevenZipSignature(const std::uint8_t* data, std::size_t size) noexcept {
    return size >= kSevenZipSignature.size() &&
           std::equal(kSevenZipSignature.begin(), kSevenZipSignature.end(), data);
}

}  // namespace sfxpack
