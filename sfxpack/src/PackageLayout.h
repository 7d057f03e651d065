// Where the pieces of a package file lie: stub, start marker, configuration
// block (IV and ciphertext), end marker, archive, and with a data trailer the
// zero padding before it and the trailer itself.
#pragma once
#include <cstdint>

#include "sfx/ConfigBlock.h"

namespace sfxpack {

struct PackageLayout {
    std::uint64_t fileSize = 0;
    std::uint64_t stubSize = 0;  // the stub starts at offset 0; the start marker follows it
    std::uint64_t blockOffset = 0;
    std::uint64_t blockSize = 0;
    std::uint64_t archiveOffset = 0;
    std::uint64_t archiveSize = 0;
    std::uint64_t paddingSize = 0;  // after the archive, so that a trailer lies where the stub reads
    std::uint64_t trailerSize = 0;

    std::uint64_t StartMarkerOffset() const noexcept { return stubSize; }
    std::uint64_t EndMarkerOffset() const noexcept { return blockOffset + blockSize; }
    std::uint64_t TrailerOffset() const noexcept { return archiveOffset + archiveSize + paddingSize; }

    // Whether the stub finds the block: both markers must begin before the
    // end of the searched front part of the file, less 20 bytes.
    bool BlockWithinSearchedBytes() const noexcept {
        return EndMarkerOffset() + sfx::kConfigScanMargin < sfx::ConfigScanSize(fileSize);
    }
};

}  // namespace sfxpack
