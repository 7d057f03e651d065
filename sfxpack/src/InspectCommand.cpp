#include "InspectCommand.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "PackageReader.h"
#include "sfx/ConfigBlock.h"

namespace sfxpack {

void InspectPackage(const std::filesystem::path& package, std::ostream& out) {
    const PackageReader reader(package);
    const PackageLayout& layout = reader.Layout();
    const std::string text = reader.ConfigText();
    out << "package:       " << package.u8string() << '\n'
        << "file size:     " << layout.fileSize << '\n'
        << "stub:          offset 0, size " << layout.stubSize << '\n'
        << "start marker:  offset " << layout.StartMarkerOffset() << ", size " << sfx::kStartMarkerSize
        << '\n'
        << "config block:  offset " << layout.blockOffset << ", size " << layout.blockSize << " (IV "
        << sfx::kConfigIvSize << ", ciphertext "
        << (layout.blockSize - std::min<std::uint64_t>(layout.blockSize, sfx::kConfigIvSize)) << ")\n"
        << "end marker:    offset " << layout.EndMarkerOffset() << ", size " << sfx::kEndMarkerSize << '\n'
        << "archive:       offset " << layout.archiveOffset << ", size " << layout.archiveSize
        << (reader.ArchiveHasSignature() ? "" : " (no 7z signature)") << '\n'
        << "configuration: " << text.size() << " bytes of UTF-8\n"
        << text;
    if (!text.empty() && text.back() != '\n') out << '\n';
}

}  // namespace sfxpack
