// The reading of a PE32 file: the stub's check that the headers lie in the
// bytes read, sfxpack's headers, the named RCDATA resources found in the
// file's own bytes, and sfxpack's package size check that mirrors the stub's
// (certificate table or _KVR_VERIFY). Every place they report must lie within
// the input, and the resources' bytes are read as the stub reads a stamped
// value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzText.h"
#include "PackError.h"
#include "PeImage.h"
#include "PeResources.h"
#include "SizeCheck.h"
#include "sfx/ForwardedValues.h"
#include "sfx/PeHeaders.h"

namespace {

const std::filesystem::path kFile = "fuzz.exe";

void CheckImage(const std::uint8_t* data, std::size_t size) {
    std::string problem;
    const auto image = sfxpack::PeImage::Parse(data, size, problem);
    const bool inside = sfx::PeHeadersInside(data, size);
    if (!image) {
        SFX_FUZZ_EXPECT(!problem.empty());
        return;
    }
    // Headers that sfxpack reads are headers that the stub accepts.
    SFX_FUZZ_EXPECT(inside);
    SFX_FUZZ_EXPECT(image->PeHeaderOffset() + std::uint64_t{24} <= size);
    for (std::size_t i = 0; i < 16; ++i) {
        const sfxpack::PeDataDirectory directory = image->DataDirectory(i);
        if (const auto range = image->FileRangeAt(directory.rva, size)) {
            SFX_FUZZ_EXPECT(range->offset < size && range->available <= size - range->offset);
        }
        if (const auto offset = image->FileOffsetOf(directory.rva, directory.size, size)) {
            SFX_FUZZ_EXPECT(*offset <= size && directory.size <= size - *offset);
        }
    }
}

void CheckResources(const std::uint8_t* data, std::size_t size) {
    try {
        const sfxpack::PeResources resources = sfxpack::PeResources::Read(data, size, kFile);
        for (const sfxpack::PeResource& resource : resources.NamedRcData()) {
            SFX_FUZZ_EXPECT(resource.offset <= size && resource.size <= size - resource.offset);
            SFX_FUZZ_EXPECT(resources.Find(resource.name) != nullptr);
            (void)sfx::StampedResourceValue(data + resource.offset, resource.size);
        }
    } catch (const sfxpack::PackError&) {
    }
}

void CheckSize(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize) {
    const sfxpack::SizeCheck check = sfxpack::CheckPackageSize(data, size, fileSize, kFile);
    SFX_FUZZ_EXPECT(check.Passed() ==
                    (check.expected == fileSize && (check.certificate || check.stampedSize)));
    SFX_FUZZ_EXPECT(!sfxpack::DescribeSizeCheck(check).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckImage(data, size);
    CheckResources(data, size);
    CheckSize(data, size, size);
    // A file longer than the bytes read, as the stub sees a large package.
    CheckSize(data, size, size + std::uint64_t{1} + (size > 0 ? data[size - 1] : 0));
    return 0;
}
