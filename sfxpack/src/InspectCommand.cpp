#include "InspectCommand.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "DataTrailer.h"
#include "FileBytes.h"
#include "PackError.h"
#include "PackageReader.h"
#include "PeResources.h"
#include "SizeCheck.h"
#include "StubStamper.h"
#include "riviru/text/Utf.h"
#include "sfx/ConfigBlock.h"

namespace sfxpack {

namespace {

const char kIndent[] = "               ";

// Quoted, with control characters (and, in text that is not UTF-8, every
// byte above 0x7F) as \xNN, so that any value prints on one line.
std::string Quoted(const std::string& bytes) {
    const bool utf8 = riviru::DecodeUtf8(bytes).has_value();
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b == 0x7F || (b >= 0x80 && !utf8)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string Quoted(const std::wstring& text) {
    return Quoted(riviru::EncodeUtf8(text));
}

// The value the stub forwards: the bytes up to the first zero byte.
std::string StampedValue(const std::vector<std::uint8_t>& head, const PeResource& resource) {
    const auto begin = head.begin() + static_cast<std::ptrdiff_t>(resource.offset);
    const auto end = begin + resource.size;
    return std::string(begin, std::find(begin, end, std::uint8_t{0}));
}

void PrintResources(const std::vector<std::uint8_t>& head, const std::filesystem::path& package,
                    std::ostream& out, bool& stubForwardsResources) {
    std::optional<PeResources> resources;
    try {
        resources = PeResources::Read(head.data(), head.size(), package);
    } catch (const PackError& e) {
        out << "resources:     " << e.what() << '\n';
        return;
    }
    const PeResource* size = resources->Find(kPackageSizeResource);
    out << "_KVR_VERIFY:   ";
    if (!size) {
        out << "none\n";
    } else {
        out << "offset " << size->offset << ", size " << size->size;
        if (size->size == kPackageSizeResourceSize) {
            out << ", value " << ReadU64(head.data() + size->offset) << '\n';
        } else {
            out << " (the stub reads only 8)\n";
        }
    }
    const char* label = "stamped:       ";
    for (const PeResource& resource : resources->NamedRcData()) {
        if (!IsForwardedResourceName(resource.name)) continue;
        stubForwardsResources = true;
        out << label << riviru::EncodeUtf8(resource.name) << ": offset " << resource.offset << ", size "
            << resource.size << ", value " << Quoted(StampedValue(head, resource)) << '\n';
        label = kIndent;
    }
    if (!stubForwardsResources) out << label << "none\n";
}

std::optional<FoundDataTrailer> PrintTrailer(const std::filesystem::path& package, std::uint64_t fileSize,
                                             bool stubForwardsResources, std::ostream& out) {
    out << "data trailer:  ";
    if (fileSize < kDataTrailerWindow) {
        out << "none (the stub reads one only from files of " << kDataTrailerWindow << " bytes or more)\n";
        return std::nullopt;
    }
    const std::uint64_t from = fileSize - kDataTrailerWindow;
    const auto tail = ReadFileRange(package, from, kDataTrailerWindow);
    auto found = FindDataTrailer(tail.data(), tail.size());
    if (!found) {
        out << "none\n";
        return std::nullopt;
    }
    out << "offset " << from + found->offset << ", ";
    if (found->size == 0) {
        out << "without its end marker";
    } else {
        out << "size " << found->size << ", " << found->items.size() << " items";
        if (!found->complete) out << " before a cut escape, where the stub stops";
    }
    if (stubForwardsResources) out << " (ignored: the stub forwards its stamped resources instead)";
    out << '\n';
    for (const auto& [key, value] : found->items) {
        out << kIndent << Quoted(key) << " = " << Quoted(value)
            << (value.empty() ? " (empty, not forwarded)" : "") << '\n';
    }
    return found;
}

void PrintCertificate(const SizeCheck& check, std::ostream& out) {
    out << "certificate:   ";
    if (!check.certificate) {
        out << "none\n";
        return;
    }
    out << "offset " << check.certificate->offset << ", size " << check.certificate->size << " (ends at "
        << std::uint64_t{check.certificate->offset} + check.certificate->size << ")\n";
}

}  // namespace

void InspectPackage(const std::filesystem::path& package, std::ostream& out) {
    const PackageReader reader(package);
    const PackageLayout& layout = reader.Layout();
    const std::string text = reader.ConfigText();
    const auto head = ReadFileHead(
        package, static_cast<std::size_t>(std::min<std::uint64_t>(layout.fileSize, kResourceReadLimit)));
    const SizeCheck check = CheckPackageSize(head.data(), head.size(), layout.fileSize, package);

    std::ostringstream details;
    bool stubForwardsResources = false;
    PrintResources(head, package, details, stubForwardsResources);
    const auto trailer = PrintTrailer(package, layout.fileSize, stubForwardsResources, details);
    PrintCertificate(check, details);
    details << "size check:    " << (check.Passed() ? "OK: " : "FAILED: ") << DescribeSizeCheck(check)
            << '\n';

    // The archive runs up to the next piece after it.
    std::uint64_t archiveEnd = layout.fileSize;
    if (trailer) archiveEnd = std::min(archiveEnd, layout.fileSize - kDataTrailerWindow + trailer->offset);
    if (check.certificate && check.certificate->offset > layout.archiveOffset) {
        archiveEnd = std::min<std::uint64_t>(archiveEnd, check.certificate->offset);
    }
    archiveEnd = std::max(archiveEnd, layout.archiveOffset);

    out << "package:       " << package.u8string() << '\n'
        << "file size:     " << layout.fileSize << '\n'
        << "stub:          offset 0, size " << layout.stubSize << '\n'
        << "start marker:  offset " << layout.StartMarkerOffset() << ", size " << sfx::kStartMarkerSize
        << '\n'
        << "config block:  offset " << layout.blockOffset << ", size " << layout.blockSize << " (IV "
        << sfx::kConfigIvSize << ", ciphertext "
        << (layout.blockSize - std::min<std::uint64_t>(layout.blockSize, sfx::kConfigIvSize)) << ")\n"
        << "end marker:    offset " << layout.EndMarkerOffset() << ", size " << sfx::kEndMarkerSize << '\n'
        << "archive:       offset " << layout.archiveOffset << ", size " << archiveEnd - layout.archiveOffset
        << (reader.ArchiveHasSignature() ? "" : " (no 7z signature)") << '\n'
        << details.str() << "configuration: " << text.size() << " bytes of UTF-8\n"
        << text;
    if (!text.empty() && text.back() != '\n') out << '\n';
}

}  // namespace sfxpack
