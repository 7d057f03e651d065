// Writes a package file from its pieces, in the order the stub expects:
// stub, start marker, configuration block, end marker, archive, and the data
// trailer when there is one.
// Holds: PackageParts, PackageWriter.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "PackageLayout.h"

namespace sfxpack {

struct PackageParts {
    std::vector<std::uint8_t> stub;
    std::vector<std::uint8_t> configBlock;  // IV and ciphertext
    std::filesystem::path archive;          // copied as it is
    std::uint64_t archiveSize = 0;
    std::vector<std::uint8_t> trailer;  // empty, or the whole encoded data trailer
};

class PackageWriter {
public:
    explicit PackageWriter(PackageParts parts);

    // Known before anything is written, so that values which depend on the
    // final layout (such as the total size) can go into the stub first.
    PackageLayout Layout() const noexcept;

    PackageParts& Parts() noexcept { return parts_; }

    // The count bytes from offset of the package Write would write (fewer at
    // its end), so that what the stub will find can be checked beforehand.
    std::vector<std::uint8_t> ReadBack(std::uint64_t offset, std::size_t count) const;

    // All or nothing: the output appears only when it is complete.
    void Write(const std::filesystem::path& output) const;

private:
    PackageParts parts_;
};

}  // namespace sfxpack
