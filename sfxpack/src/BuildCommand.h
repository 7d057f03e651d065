// sfxpack build: stub + enciphered configuration + 7z archive = package.
#pragma once
#include <filesystem>

#include "PackageLayout.h"

namespace sfxpack {

struct BuildOptions {
    std::filesystem::path stub;
    std::filesystem::path config;   // UTF-8 text
    std::filesystem::path archive;  // 7z
    std::filesystem::path output;
};

// Checks every input before anything is written; PackError (naming the file
// at fault) on bad input or a failed write, and then no output file exists.
PackageLayout BuildPackage(const BuildOptions& options);

}  // namespace sfxpack
