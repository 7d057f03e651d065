#include "PackError.h"

namespace sfxpack {

PackError::PackError(const std::filesystem::path& file, const std::string& problem)
    : std::runtime_error(file.u8string() + ": " + problem), file_(file) {}

}  // namespace sfxpack
