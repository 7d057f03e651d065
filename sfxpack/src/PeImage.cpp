#include "PeImage.h"

#include <cstdio>

namespace sfxpack {

namespace {

std::uint16_t ReadU16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::optional<PeImage> PeImage::Parse(const std::uint8_t* data, std::size_t size, std::string& problem) {
    constexpr std::size_t kHeaderOffsetField = 0x3C;
    constexpr std::size_t kFileHeaderSize = 20;
    if (size < 2 || data[0] != 'M' || data[1] != 'Z') {
        problem = "no \"MZ\" signature at its start";
        return std::nullopt;
    }
    if (size < kHeaderOffsetField + 4) {
        problem = "too short to hold the PE header offset at 0x3C";
        return std::nullopt;
    }
    const std::uint32_t peOffset = ReadU32(data + kHeaderOffsetField);
    if (peOffset > size || size - peOffset < 4) {
        problem = "the PE header offset " + Hex(peOffset) + " lies outside the file";
        return std::nullopt;
    }
    const std::uint8_t* pe = data + peOffset;
    if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) {
        problem = "no \"PE\\0\\0\" signature at " + Hex(peOffset);
        return std::nullopt;
    }
    if (size - peOffset < 4 + kFileHeaderSize + 2) {
        problem = "the file ends before the optional header";
        return std::nullopt;
    }
    const std::uint16_t sectionCount = ReadU16(pe + 6);
    const std::uint16_t optionalHeaderSize = ReadU16(pe + 20);
    const std::uint16_t magic = ReadU16(pe + 4 + kFileHeaderSize);
    if (magic != kPe32Magic) {
        problem = magic == 0x20B ? "a 64-bit (PE32+) executable; the stub must be 32-bit"
                                 : "optional header magic " + Hex(magic) + " is not PE32 (0x10B)";
        return std::nullopt;
    }
    return PeImage(peOffset, sectionCount, optionalHeaderSize);
}

}  // namespace sfxpack
