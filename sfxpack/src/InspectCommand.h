// sfxpack inspect: where the pieces of a package lie, the values stamped into
// its stub, its data trailer, its certificate table, the result of the stub's
// size check, and its configuration.
#pragma once
#include <filesystem>
#include <ostream>

namespace sfxpack {

// PackError when the file is no package the stub could read.
void InspectPackage(const std::filesystem::path& package, std::ostream& out);

}  // namespace sfxpack
