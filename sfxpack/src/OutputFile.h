// A file that appears under its name only when it is complete: bytes go to a
// temporary file beside the target, which Commit renames over the target. A
// failure before Commit leaves nothing behind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace sfxpack {

class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // removes the temporary file unless committed

    void Write(const void* data, std::size_t size);
    // Copies exactly size bytes from the start of source.
    void CopyFrom(const std::filesystem::path& source, std::uint64_t size);
    std::uint64_t Written() const noexcept { return written_; }

    void Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::ofstream out_;
    std::uint64_t written_ = 0;
    bool committed_ = false;
};

}  // namespace sfxpack
