// Whole-file and file-head reads that fail with a PackError naming the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace sfxpack {

std::uint64_t FileSizeOf(const std::filesystem::path& path);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

// At most maxBytes from the start of the file (fewer when it is shorter).
std::vector<std::uint8_t> ReadFileHead(const std::filesystem::path& path, std::size_t maxBytes);

// At most maxBytes from offset on (none when offset lies beyond the end).
std::vector<std::uint8_t> ReadFileRange(const std::filesystem::path& path, std::uint64_t offset,
                                        std::size_t maxBytes);

}  // namespace sfxpack
