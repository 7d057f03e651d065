// The headers of a 32-bit PE executable held in memory: where they are and
// what they say, for the checks and edits sfxpack makes on a stub.
// Holds: PeDataDirectory, PeSection, PeImage.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sfxpack {

struct PeDataDirectory {
    std::uint32_t rva = 0;  // a file offset for the certificate table
    std::uint32_t size = 0;
};

struct PeSection {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;    // SizeOfRawData: the bytes the file holds
    std::uint32_t rawOffset = 0;  // PointerToRawData
};

class PeImage {
public:
    static constexpr std::uint16_t kPe32Magic = 0x10B;
    static constexpr std::size_t kResourceDirectory = 2;     // IMAGE_DIRECTORY_ENTRY_RESOURCE
    static constexpr std::size_t kCertificateDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY

    // nullopt, with the reason in problem, when data is not a PE32 image:
    // no "MZ", a header offset (at 0x3C) outside the data, no "PE\0\0", an
    // optional header that is missing or not PE32, or a section table that
    // does not fit in the data.
    static std::optional<PeImage> Parse(const std::uint8_t* data, std::size_t size, std::string& problem);

    std::uint32_t PeHeaderOffset() const noexcept { return peOffset_; }  // of "PE\0\0"
    std::uint32_t OptionalHeaderOffset() const noexcept { return peOffset_ + 24; }
    std::uint16_t OptionalHeaderSize() const noexcept { return optionalHeaderSize_; }
    std::uint16_t SectionCount() const noexcept { return static_cast<std::uint16_t>(sections_.size()); }
    const std::vector<PeSection>& Sections() const noexcept { return sections_; }

    // A directory the optional header does not have reads as empty.
    PeDataDirectory DataDirectory(std::size_t index) const noexcept;

    // Where rva lies in the file, the way the loader finds it in a file mapped
    // as data: in the bytes on disk of the section that holds it. available is
    // what is left of those bytes from there on, cut at the end of a file of
    // fileSize bytes. nullopt when no section holds rva on disk.
    struct FileRange {
        std::uint64_t offset = 0;
        std::uint64_t available = 0;
    };
    std::optional<FileRange> FileRangeAt(std::uint32_t rva, std::uint64_t fileSize) const noexcept;

    // The file offset of the size bytes at rva, when all of them lie within
    // one section's bytes on disk and within the file.
    std::optional<std::uint64_t> FileOffsetOf(std::uint32_t rva, std::uint32_t size,
                                              std::uint64_t fileSize) const noexcept;

private:
    PeImage(std::uint32_t peOffset, std::uint16_t optionalHeaderSize,
            std::vector<PeDataDirectory> directories, std::vector<PeSection> sections)
        : peOffset_(peOffset),
          optionalHeaderSize_(optionalHeaderSize),
          directories_(std::move(directories)),
          sections_(std::move(sections)) {}

    std::uint32_t peOffset_;
    std::uint16_t optionalHeaderSize_;
    std::vector<PeDataDirectory> directories_;
    std::vector<PeSection> sections_;
};

}  // namespace sfxpack
