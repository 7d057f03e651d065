#include "PackageReader.h"

#include <algorithm>
#include <utility>

#include "FileBytes.h"
#include "PackError.h"
#include "SevenZipSignature.h"
#include "riviru/text/Utf.h"

namespace sfxpack {

PackageReader::PackageReader(std::filesystem::path path) : path_(std::move(path)) {
    layout_.fileSize = FileSizeOf(path_);
    // Read a few bytes beyond the searched part so the archive signature can
    // be checked even when the end marker lies close to its end.
    const std::size_t searched = sfx::ConfigScanSize(layout_.fileSize);
    const auto head = ReadFileHead(path_, searched + sfx::kConfigScanMargin);
    const auto found = sfx::FindConfigBlock(head.data(), std::min(searched, head.size()));
    if (!found) {
        throw PackError(path_, "no configuration block in the first " + std::to_string(searched) +
                                   " bytes (not a package, or a damaged one)");
    }
    layout_.stubSize = found->StartMarkerOffset();
    layout_.blockOffset = found->begin;
    layout_.blockSize = found->size;
    layout_.archiveOffset = found->EndOffset();
    layout_.archiveSize = layout_.fileSize - layout_.archiveOffset;
    const auto blockBegin = head.begin() + static_cast<std::ptrdiff_t>(found->begin);
    block_.assign(blockBegin, blockBegin + static_cast<std::ptrdiff_t>(found->size));
    archiveHasSignature_ =
        HasSevenZipSignature(head.data() + found->EndOffset(), head.size() - found->EndOffset());
}

std::string PackageReader::ConfigText() const {
    const auto plain = sfx::DecipherConfigBlock(block_.data(), block_.size());
    std::string text(plain.begin(), plain.end());
    if (!riviru::DecodeUtf8(text)) {
        throw PackError(path_,
                        "the configuration block does not decipher to UTF-8 text "
                        "(damaged, or made with another key)");
    }
    return text;
}

}  // namespace sfxpack
