// sfxpack build: stub + enciphered configuration + 7z archive (+ data
// trailer) = package, with the package size and the given values stamped
// into the stub's placeholder resources.
// Holds: BuildOptions, BuildResult, BuildPackage.
#pragma once
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "PackageLayout.h"

namespace sfxpack {

using NamedValue = std::pair<std::string, std::string>;  // UTF-8

struct BuildOptions {
    std::filesystem::path stub;
    std::filesystem::path config;   // UTF-8 text
    std::filesystem::path archive;  // 7z
    std::filesystem::path output;
    std::vector<NamedValue> stamps;  // resource name, value
    std::vector<NamedValue> data;    // data trailer items: key, value
};

struct BuildResult {
    PackageLayout layout;
    std::vector<std::string> warnings;  // about a package that works, but perhaps not as meant
};

// Checks every input before anything is written; PackError (naming the file
// at fault) on bad input or a failed write, and then no output file exists.
BuildResult BuildPackage(const BuildOptions& options);

}  // namespace sfxpack
