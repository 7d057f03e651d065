// The failure of a sfxpack command: names the file it concerns and the
// problem, and prints as one line "FILE: problem".
#pragma once
#include <filesystem>
#include <stdexcept>
#include <string>

namespace sfxpack {

class PackError : public std::runtime_error {
public:
    PackError(const std::filesystem::path& file, const std::string& problem);

    const std::filesystem::path& File() const noexcept { return file_; }

private:
    std::filesystem::path file_;
};

}  // namespace sfxpack
