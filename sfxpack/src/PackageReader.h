// Reads a package file the way the stub does: finds the configuration block
// in the searched front part of the file and deciphers it.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "PackageLayout.h"

namespace sfxpack {

class PackageReader {
public:
    // PackError when the file cannot be read or holds no configuration block
    // that the stub would find.
    explicit PackageReader(std::filesystem::path path);

    const std::filesystem::path& Path() const noexcept { return path_; }
    const PackageLayout& Layout() const noexcept { return layout_; }
    const std::vector<std::uint8_t>& ConfigBlock() const noexcept { return block_; }  // IV and ciphertext

    // The deciphered configuration as UTF-8 bytes; PackError when they are not
    // valid UTF-8 (a damaged block, or one made with another key).
    std::string ConfigText() const;

    // Whether the archive starts with the 7z signature.
    bool ArchiveHasSignature() const noexcept { return archiveHasSignature_; }

private:
    std::filesystem::path path_;
    PackageLayout layout_;
    std::vector<std::uint8_t> block_;
    bool archiveHasSignature_ = false;
};

}  // namespace sfxpack
