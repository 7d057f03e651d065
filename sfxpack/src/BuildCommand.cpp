#include "BuildCommand.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "ConfigCipher.h"
#include "DataTrailer.h"
#include "FileBytes.h"
#include "PackError.h"
#include "PackageWriter.h"
#include "PeImage.h"
#include "SevenZipSignature.h"
#include "StubStamper.h"
#include "riviru/text/Utf.h"
#include "sfx/ConfigBlock.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

// The same file under another spelling, or through a link, counts as equal.
bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    const fs::path ca = fs::weakly_canonical(a, ec);
    if (ec) return false;
    const fs::path cb = fs::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

void CheckOutputPath(const BuildOptions& options) {
    const std::pair<const fs::path*, const char*> inputs[] = {
        {&options.stub, "stub"}, {&options.config, "configuration"}, {&options.archive, "archive"}};
    for (const auto& [input, role] : inputs) {
        if (SameFile(options.output, *input)) {
            throw PackError(options.output, std::string("output is the same file as the ") + role + " input");
        }
    }
    std::error_code ec;
    if (fs::is_directory(options.output, ec)) throw PackError(options.output, "output is a directory");
}

std::vector<std::uint8_t> ReadStub(const fs::path& path) {
    auto stub = ReadFileBytes(path);
    std::string problem;
    const auto image = PeImage::Parse(stub.data(), stub.size(), problem);
    if (!image) throw PackError(path, "not a PE32 executable: " + problem);
    // The stub checks a signed file against its certificate table, which here
    // would end inside the package.
    if (image->DataDirectory(PeImage::kCertificateDirectory).rva != 0) {
        throw PackError(path, "is signed; build from the unsigned stub and sign the package");
    }
    const auto startMarker = sfx::BuildStartMarker();
    if (std::search(stub.begin(), stub.end(), startMarker.begin(), startMarker.end()) != stub.end()) {
        throw PackError(path, "already holds a configuration block start marker (is it a package already?)");
    }
    return stub;
}

std::vector<std::uint8_t> ReadConfigText(const fs::path& path) {
    auto text = ReadFileBytes(path);
    if (!riviru::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()))) {
        throw PackError(path, "is not valid UTF-8 text");
    }
    return text;
}

std::uint64_t CheckArchive(const fs::path& path) {
    const std::uint64_t size = FileSizeOf(path);
    const auto head = ReadFileHead(path, kSevenZipSignature.size());
    if (!HasSevenZipSignature(head.data(), head.size())) {
        throw PackError(path, "is not a 7z archive (it does not start with the 7z signature)");
    }
    return size;
}

std::vector<DataTrailerItem> TrailerItems(const BuildOptions& options) {
    std::vector<DataTrailerItem> items;
    for (const auto& [key, value] : options.data) {
        const std::string option = "--data " + key + ": ";
        const auto wideKey = riviru::DecodeUtf8(key);
        const auto wideValue = riviru::DecodeUtf8(value);
        if (!wideKey || !wideValue) throw PackError(options.output, option + "not valid UTF-8");
        if (wideKey->empty()) throw PackError(options.output, "--data: an item without a key");
        if ((key + value).find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
            throw PackError(
                options.output,
                option + "holds a line break or a zero byte, which would break the setup's values file");
        }
        for (const auto& earlier : items) {
            if (earlier.first == *wideKey) throw PackError(options.output, option + "given twice");
        }
        items.emplace_back(*wideKey, *wideValue);
    }
    return items;
}

// The stub takes the first start marker within its last 64 KiB; bytes of
// the archive there could hold one too.
void CheckTrailerReadsBack(const PackageWriter& writer, const std::vector<DataTrailerItem>& items,
                           const fs::path& output) {
    const PackageLayout layout = writer.Layout();
    const std::uint64_t from = layout.fileSize - std::min<std::uint64_t>(layout.fileSize, kDataTrailerWindow);
    const auto tail = writer.ReadBack(from, kDataTrailerWindow);
    const auto found = FindDataTrailer(tail.data(), tail.size());
    if (!found || found->offset + from != layout.TrailerOffset() || !found->complete ||
        found->items != items) {
        throw PackError(output,
                        "the stub would not read the data trailer as written (the bytes before it "
                        "hold a \"##DATA##\" marker, or a value holds \"##ENDDATA##\")");
    }
}

}  // namespace

BuildResult BuildPackage(const BuildOptions& options) {
    CheckOutputPath(options);
    PackageParts parts;
    parts.stub = ReadStub(options.stub);
    const auto text = ReadConfigText(options.config);
    parts.archive = options.archive;
    parts.archiveSize = CheckArchive(options.archive);
    const auto items = TrailerItems(options);
    if (!items.empty()) {
        parts.trailer = EncodeDataTrailer(items);
        if (parts.trailer.size() > kDataTrailerWindow) {
            throw PackError(options.output, "the data trailer has " + std::to_string(parts.trailer.size()) +
                                                " bytes; the stub reads only the last " +
                                                std::to_string(kDataTrailerWindow) + " bytes of the file");
        }
    }
    parts.configBlock = MakeConfigBlock(text);

    PackageWriter writer(std::move(parts));
    StubStamper stamper(writer.Parts().stub, options.stub);
    for (const auto& [name, value] : options.stamps) stamper.StampValue(name, value);
    BuildResult result;
    result.layout = writer.Layout();
    const PackageLayout& layout = result.layout;
    if (!layout.BlockWithinSearchedBytes()) {
        throw PackError(options.output, "the configuration block would end at offset " +
                                            std::to_string(layout.EndMarkerOffset()) +
                                            ", outside the front part of the file that the stub searches (" +
                                            std::to_string(sfx::ConfigScanSize(layout.fileSize)) + " bytes)");
    }
    stamper.StampPackageSize(layout.fileSize);
    if (!items.empty()) {
        CheckTrailerReadsBack(writer, items, options.output);
        std::string forwarded;
        for (const auto& name : stamper.ForwardedResourceNames()) {
            forwarded += (forwarded.empty() ? "" : ", ") + riviru::EncodeUtf8(name);
        }
        if (!forwarded.empty()) {
            result.warnings.push_back("the stub carries resources for the setup (" + forwarded +
                                      "), so it forwards those and ignores the data trailer");
        }
    }
    writer.Write(options.output);
    return result;
}

}  // namespace sfxpack
