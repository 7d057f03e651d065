#include "OutputFile.h"

#include <algorithm>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "PackError.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// A hidden sibling with a random part, so that parallel runs do not collide.
fs::path TempSibling(const fs::path& target) {
    std::random_device random;
    const unsigned long tag = (static_cast<unsigned long>(random()) << 16) ^ random();
    fs::path name = ".";
    name += target.filename();
    name += ".sfxpack-" + std::to_string(tag) + ".tmp";
    return target.parent_path() / name;
}

}  // namespace

OutputFile::OutputFile(fs::path target) : target_(std::move(target)), temp_(TempSibling(target_)) {
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) throw PackError(target_, "cannot create the output file (is the folder there and writable?)");
}

OutputFile::~OutputFile() {
    if (committed_) return;
    out_.close();
    std::error_code ec;
    fs::remove(temp_, ec);
}

void OutputFile::Write(const void* data, std::size_t size) {
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out_) throw PackError(target_, "write error (disk full?)");
    written_ += size;
}

void OutputFile::CopyFrom(const fs::path& source, std::uint64_t size) {
    std::ifstream in(source, std::ios::binary);
    if (!in) throw PackError(source, "cannot be read");
    std::vector<char> buffer(1 << 20);
    while (size > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
        in.read(buffer.data(), static_cast<std::streamsize>(chunk));
        if (static_cast<std::size_t>(in.gcount()) != chunk)
            throw PackError(source, "changed while it was read");
        Write(buffer.data(), chunk);
        size -= chunk;
    }
}

void OutputFile::Commit() {
    out_.close();
    if (!out_) throw PackError(target_, "write error (disk full?)");
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    std::error_code existsError;
    if (ec && fs::exists(target_, existsError)) {
        // Some platforms do not rename over an existing file.
        fs::remove(target_, ec);
        if (!ec) fs::rename(temp_, target_, ec);
    }
    if (ec) throw PackError(target_, "cannot replace the output file: " + ec.message());
    committed_ = true;
}

}  // namespace sfxpack
