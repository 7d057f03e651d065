// sfxpack inspect: where the pieces of a package lie, and its configuration.
#pragma once
#include <filesystem>
#include <ostream>

namespace sfxpack {

// PackError when the file is no package the stub could read.
void InspectPackage(const std::filesystem::path& package, std::ostream& out);

}  // namespace sfxpack
