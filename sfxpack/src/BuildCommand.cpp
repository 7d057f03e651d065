#include "BuildCommand.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "ConfigCipher.h"
#include "FileBytes.h"
#include "PackError.h"
#include "PackageWriter.h"
#include "PeImage.h"
#include "SevenZipSignature.h"
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
    if (!PeImage::Parse(stub.data(), stub.size(), problem)) {
        throw PackError(path, "not a PE32 executable: " + problem);
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

}  // namespace

PackageLayout BuildPackage(const BuildOptions& options) {
    CheckOutputPath(options);
    PackageParts parts;
    parts.stub = ReadStub(options.stub);
    const auto text = ReadConfigText(options.config);
    parts.archive = options.archive;
    parts.archiveSize = CheckArchive(options.archive);
    parts.configBlock = MakeConfigBlock(text);

    const PackageWriter writer(std::move(parts));
    const PackageLayout layout = writer.Layout();
    if (!layout.BlockWithinSearchedBytes()) {
        throw PackError(options.output, "the configuration block would end at offset " +
                                            std::to_string(layout.EndMarkerOffset()) +
                                            ", outside the front part of the file that the stub searches (" +
                                            std::to_string(sfx::ConfigScanSize(layout.fileSize)) + " bytes)");
    }
    writer.Write(options.output);
    return layout;
}

}  // namespace sfxpack
