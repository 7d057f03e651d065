#include "PeImage.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "ByteOrder.h"

namespace sfxpack {

namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::optional<PeImage> PeImage::Parse(const std::uint8_t* data, std::size_t size, std::string& problem) {
    constexpr std::size_t kHeaderOffsetField = 0x3C;
    constexpr std::size_t kFileHeaderSize = 20;
    constexpr std::size_t kDirectoryCountField = 92;  // NumberOfRvaAndSizes, in the optional header
    constexpr std::size_t kDirectoriesField = 96;
    constexpr std::size_t kSectionHeaderSize = 40;
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
    const std::uint64_t optionalOffset = std::uint64_t{peOffset} + 4 + kFileHeaderSize;
    const std::uint64_t sectionTable = optionalOffset + optionalHeaderSize;
    if (sectionTable + std::uint64_t{sectionCount} * kSectionHeaderSize > size) {
        problem = "the section table (" + std::to_string(sectionCount) + " sections at " +
                  Hex(static_cast<std::uint32_t>(sectionTable)) + ") lies outside the file";
        return std::nullopt;
    }

    // Only the directories that both the count field and the optional
    // header's size admit; the section table check above keeps them in the data.
    std::vector<PeDataDirectory> directories;
    if (optionalHeaderSize >= kDirectoriesField) {
        const std::uint8_t* optional = data + optionalOffset;
        const std::size_t room = (optionalHeaderSize - kDirectoriesField) / 8;
        const std::size_t count = std::min<std::size_t>(ReadU32(optional + kDirectoryCountField), room);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = optional + kDirectoriesField + 8 * i;
            directories.push_back({ReadU32(entry), ReadU32(entry + 4)});
        }
    }
    std::vector<PeSection> sections;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* header = data + sectionTable + i * kSectionHeaderSize;
        sections.push_back(
            {ReadU32(header + 12), ReadU32(header + 8), ReadU32(header + 16), ReadU32(header + 20)});
    }
    return PeImage(peOffset, optionalHeaderSize, std::move(directories), std::move(sections));
}

PeDataDirectory PeImage::DataDirectory(std::size_t index) const noexcept {
    return index < directories_.size() ? directories_[index] : PeDataDirectory{};
}

std::optional<PeImage::FileRange> PeImage::FileRangeAt(std::uint32_t rva,
                                                       std::uint64_t fileSize) const noexcept {
    for (const PeSection& section : sections_) {
        if (rva < section.virtualAddress || rva - section.virtualAddress >= section.rawSize) continue;
        const std::uint32_t within = rva - section.virtualAddress;
        const std::uint64_t offset = std::uint64_t{section.rawOffset} + within;
        if (offset >= fileSize) return std::nullopt;
        return FileRange{offset, std::min<std::uint64_t>(section.rawSize - within, fileSize - offset)};
    }
    return std::nullopt;
}

std::optional<std::uint64_t> PeImage::FileOffsetOf(std::uint32_t rva, std::uint32_t size,
                                                   std::uint64_t fileSize) const noexcept {
    const auto range = FileRangeAt(rva, fileSize);
    if (!range || size > range->available) return std::nullopt;
    return range->offset;
}

}  // namespace sfxpack
