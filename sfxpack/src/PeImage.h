// The headers of a 32-bit PE executable held in memory: where they are and
// what they say, for the checks and edits sfxpack makes on a stub.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace sfxpack {

class PeImage {
public:
    static constexpr std::uint16_t kPe32Magic = 0x10B;

    // nullopt, with the reason in problem, when data is not a PE32 image:
    // no "MZ", a header offset (at 0x3C) outside the data, no "PE\0\0", or an
    // optional header that is missing or not PE32.
    static std::optional<PeImage> Parse(const std::uint8_t* data, std::size_t size, std::string& problem);

    std::uint32_t PeHeaderOffset() const noexcept { return peOffset_; }  // of "PE\0\0"
    std::uint32_t OptionalHeaderOffset() const noexcept { return peOffset_ + 24; }
    std::uint16_t OptionalHeaderSize() const noexcept { return optionalHeaderSize_; }
    std::uint16_t SectionCount() const noexcept { return sectionCount_; }

private:
    PeImage(std::uint32_t peOffset, std::uint16_t sectionCount, std::uint16_t optionalHeaderSize) noexcept
        : peOffset_(peOffset), sectionCount_(sectionCount), optionalHeaderSize_(optionalHeaderSize) {}

    std::uint32_t peOffset_;
    std::uint16_t sectionCount_;
    std::uint16_t optionalHeaderSize_;
};

}  // namespace sfxpack
