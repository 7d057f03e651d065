#include "PackageWriter.h"

#include <utility>

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
    layout.fileSize = layout.archiveOffset + layout.archiveSize;
    return layout;
}

void PackageWriter::Write(const std::filesystem::path& output) const {
    const auto startMarker = sfx::BuildStartMarker();
    const auto endMarker = sfx::BuildEndMarker();
    OutputFile out(output);
    out.Write(parts_.stub.data(), parts_.stub.size());
    out.Write(startMarker.data(), startMarker.size());
    out.Write(parts_.configBlock.data(), parts_.configBlock.size());
    out.Write(endMarker.data(), endMarker.size());
    out.CopyFrom(parts_.archive, parts_.archiveSize);
    if (out.Written() != Layout().fileSize) throw PackError(output, "written size differs from the layout");
    out.Commit();
}

}  // namespace sfxpack
