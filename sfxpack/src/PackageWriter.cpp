#include "PackageWriter.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "DataTrailer.h"
#include "OutputFile.h"
#include "PackError.h"

namespace sfxpack {

PackageWriter::PackageWriter(PackageParts parts) : parts_(std::move(parts)) {}

PackageLayout PackageWriter::Layout() const noexcept {
    PackageLayout layout;
    layout.stubSize = parts_.stub.size();
    layout.blockOffset = layout.stubSize + sfx::kStartMarkerSize;
    layout.blockSize = parts_.configBlock.size();
    layout.archiveOffset = layout.EndMarkerOffset() + sfx::kEndMarkerSize;
    layout.archiveSize = parts_.archiveSize;
    layout.trailerSize = parts_.trailer.size();
    // The stub reads the trailer from the last 64 KiB and reads nothing from
    // a shorter file.
    const std::uint64_t unpadded = layout.archiveOffset + layout.archiveSize + layout.trailerSize;
    if (layout.trailerSize > 0 && unpadded < kDataTrailerWindow)
        layout.paddingSize = kDataTrailerWindow - unpadded;
    layout.fileSize = layout.TrailerOffset() + layout.trailerSize;
    return layout;
}

std::vector<std::uint8_t> PackageWriter::ReadBack(std::uint64_t offset, std::size_t count) const {
    const PackageLayout layout = Layout();
    const auto startMarker = sfx::BuildStartMarker();
    const auto endMarker = sfx::BuildEndMarker();
    std::vector<std::uint8_t> bytes;
    // Each piece contributes its part of [offset, offset + count).
    const auto take = [&](std::uint64_t pieceOffset, std::uint64_t pieceSize, const auto& copy) {
        const std::uint64_t end = offset + count;
        const std::uint64_t from = std::max(offset, pieceOffset);
        const std::uint64_t to = std::min(end, pieceOffset + pieceSize);
        if (from < to) copy(from - pieceOffset, static_cast<std::size_t>(to - from));
    };
    const auto fromMemory = [&bytes](const std::uint8_t* data) {
        return [&bytes, data](std::uint64_t at, std::size_t n) {
            bytes.insert(bytes.end(), data + at, data + at + n);
        };
    };
    take(0, layout.stubSize, fromMemory(parts_.stub.data()));
    take(layout.StartMarkerOffset(), startMarker.size(), fromMemory(startMarker.data()));
    take(layout.blockOffset, layout.blockSize, fromMemory(parts_.configBlock.data()));
    take(layout.EndMarkerOffset(), endMarker.size(), fromMemory(endMarker.data()));
    take(layout.archiveOffset, layout.archiveSize, [&](std::uint64_t at, std::size_t n) {
        std::ifstream in(parts_.archive, std::ios::binary);
        std::vector<std::uint8_t> chunk(n);
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(chunk.data()), static_cast<std::streamsize>(n));
        if (static_cast<std::size_t>(in.gcount()) != n)
            throw PackError(parts_.archive, "changed while it was read");
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    });
    take(layout.archiveOffset + layout.archiveSize, layout.paddingSize,
         [&bytes](std::uint64_t, std::size_t n) { bytes.insert(bytes.end(), n, std::uint8_t{0}); });
    take(layout.TrailerOffset(), layout.trailerSize, fromMemory(parts_.trailer.data()));
    return bytes;
}

void PackageWriter::Write(const std::filesystem::path& output) const {
    const PackageLayout layout = Layout();
    const auto startMarker = sfx::BuildStartMarker();
    const auto endMarker = sfx::BuildEndMarker();
    OutputFile out(output);
    out.Write(parts_.stub.data(), parts_.stub.size());
    out.Write(startMarker.data(), startMarker.size());
    out.Write(parts_.configBlock.data(), parts_.configBlock.size());
    out.Write(endMarker.data(), endMarker.size());
    out.CopyFrom(parts_.archive, parts_.archiveSize);
    const std::vector<std::uint8_t> padding(static_cast<std::size_t>(layout.paddingSize), 0);
    out.Write(padding.data(), padding.size());
    out.Write(parts_.trailer.data(), parts_.trailer.size());
    if (out.Written() != layout.fileSize) throw PackError(output, "written size differs from the layout");
    out.Commit();
}

}  // namespace sfxpack
