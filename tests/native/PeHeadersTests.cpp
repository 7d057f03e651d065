#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "sfx/PeHeaders.h"

namespace {

// An image of size bytes: "MZ", the PE offset at 0x3C and, there, the
// signature with the given section count and optional-header size.
std::vector<std::uint8_t> Image(std::size_t size, std::uint32_t pe, std::uint16_t sections,
                                std::uint16_t optionalHeader) {
    std::vector<std::uint8_t> bytes(size, 0);
    if (size >= 2) bytes[0] = 'M', bytes[1] = 'Z';
    if (size >= 0x40) std::memcpy(bytes.data() + 0x3C, &pe, 4);
    if (static_cast<std::uint64_t>(pe) + 24 <= size) {
        std::memcpy(bytes.data() + pe, "PE\0\0", 4);
        std::memcpy(bytes.data() + pe + 6, &sections, 2);
        std::memcpy(bytes.data() + pe + 20, &optionalHeader, 2);
    }
    return bytes;
}

}  // namespace

TEST(PeHeaders, HeadersMustLieWithinTheBytes) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool inside;
    } cases[] = {
        // 0x80 + 24 + 224 + 3 * 40 = 0x1F0
        {"a usual PE32 layout", Image(0x1F0, 0x80, 3, 224), true},
        {"section table cut by a byte", Image(0x1EF, 0x80, 3, 224), false},
        {"offset beyond the bytes", Image(0x200, 0x1000, 3, 224), false},
        {"offset that wraps 32 bits", Image(0x200, 0xFFFFFFF0u, 3, 224), false},
        {"huge section count", Image(0x1000, 0x80, 0xFFFF, 224), false},
        {"huge optional header", Image(0x1000, 0x80, 1, 0xFFFF), false},
        {"too short for the offset", Image(0x3F, 0x80, 0, 0), false},
        {"no MZ", std::vector<std::uint8_t>(0x400, 0), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sfx::PeHeadersInside(c.bytes.data(), c.bytes.size()), c.inside) << c.name;
    EXPECT_FALSE(sfx::PeHeadersInside(nullptr, 0));
    std::vector<std::uint8_t> badSignature = Image(0x1F0, 0x80, 3, 224);
    badSignature[0x80] = 'X';
    EXPECT_FALSE(sfx::PeHeadersInside(badSignature.data(), badSignature.size()));
}
