#include "FileBytes.h"

#include <fstream>
#include <system_error>

#include "PackError.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// Says why a file cannot be read, in the terms a user can act on.
[[noreturn]] void ThrowUnreadable(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (!fs::exists(status)) throw PackError(path, "file not found");
    if (fs::is_directory(status)) throw PackError(path, "is a directory, not a file");
    throw PackError(path, "cannot be read");
}

std::ifstream OpenForReading(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) ThrowUnreadable(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowUnreadable(path);
    return in;
}

}  // namespace

std::uint64_t FileSizeOf(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) ThrowUnreadable(path);
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) ThrowUnreadable(path);
    return size;
}

std::vector<std::uint8_t> ReadFileHead(const fs::path& path, std::size_t maxBytes) {
    return ReadFileRange(path, 0, maxBytes);
}

std::vector<std::uint8_t> ReadFileRange(const fs::path& path, std::uint64_t offset, std::size_t maxBytes) {
    std::ifstream in = OpenForReading(path);
    if (offset > 0) {
        in.seekg(0, std::ios::end);
        const auto end = static_cast<std::uint64_t>(in.tellg());
        if (!in || offset >= end) return {};
        in.seekg(static_cast<std::streamoff>(offset));
        if (!in) throw PackError(path, "read error");
    }
    std::vector<std::uint8_t> bytes(maxBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) throw PackError(path, "read error");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path) {
    const std::uint64_t size = FileSizeOf(path);
    if (size > static_cast<std::uint64_t>(SIZE_MAX)) throw PackError(path, "too large to load");
    auto bytes = ReadFileHead(path, static_cast<std::size_t>(size));
    if (bytes.size() != size) throw PackError(path, "changed while it was read");
    return bytes;
}

}  // namespace sfxpack
