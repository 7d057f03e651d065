#include "sfx/PeHeaders.h"

#include <cstring>

namespace sfx {

namespace {

constexpr std::size_t kHeaderOffsetPosition = 0x3C;
constexpr std::uint64_t kSignatureAndFileHeader = 4 + 20;
constexpr std::uint64_t kSectionHeaderSize = 40;

std::uint32_t Read(const std::uint8_t* at, std::size_t bytes) noexcept {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

}  // namespace

bool PeHeadersInside(const std::uint8_t* data, std::size_t size) noexcept {
    if (data == nullptr || size < kHeaderOffsetPosition + 4 || data[0] != 'M' || data[1] != 'Z') return false;
    // 64-bit sums: no offset from the file can wrap them.
    const std::uint64_t pe = Read(data + kHeaderOffsetPosition, 4);
    if (pe + kSignatureAndFileHeader > size) return false;
    if (std::memcmp(data + pe, "PE\0\0", 4) != 0) return false;
    const std::uint64_t sections = Read(data + pe + 6, 2);
    const std::uint64_t optionalHeader = Read(data + pe + 20, 2);
    return pe + kSignatureAndFileHeader + optionalHeader + sections * kSectionHeaderSize <= size;
}

}  // namespace sfx
