#include "SizeCheck.h"

#include <algorithm>
#include <vector>

#include "ByteOrder.h"
#include "FileBytes.h"
#include "PackError.h"
#include "PeResources.h"
#include "StubStamper.h"

namespace sfxpack {

namespace {

constexpr std::size_t kHeaderOffsetField = 0x3C;
constexpr std::size_t kCertificateOffsetField = 152;  // from "PE\0\0": data directory 4 of a PE32 header
constexpr std::size_t kCertificateSizeField = 156;

// The stub's own texts for a refused file.
const char kNotExe[] = "File does not have EXE format.";
const char kBadPeSignature[] = "Invalid PE signature.";
const char kNoStampedSize[] = "Resource _KVR_VERIFY is not found.";

void ReadStampedSize(const std::uint8_t* head, std::size_t headSize, const std::filesystem::path& path,
                     SizeCheck& check) {
    try {
        const PeResources resources = PeResources::Read(head, headSize, path);
        const PeResource* resource = resources.Find(kPackageSizeResource);
        if (!resource) {
            check.stampProblem = "no RCDATA resource _KVR_VERIFY";
        } else if (resource->size != kPackageSizeResourceSize) {
            check.stampProblem = "_KVR_VERIFY has " + std::to_string(resource->size) + " bytes, not 8";
        } else {
            check.stampedSize = ReadU64(head + resource->offset);
        }
    } catch (const PackError& e) {
        check.stampProblem = e.what();
    }
}

}  // namespace

SizeCheck CheckPackageSize(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize,
                           const std::filesystem::path& path) {
    SizeCheck check;
    check.actual = fileSize;
    // The stub maps the headers by the low 32 bits of the file size.
    const std::size_t mapped =
        std::min<std::size_t>({headSize, kHeaderReadLimit, static_cast<std::size_t>(fileSize & 0xFFFFFFFFu)});
    if (mapped < 2 || head[0] != 'M' || head[1] != 'Z') {
        check.problem = kNotExe;
        return check;
    }
    const std::uint32_t pe = mapped >= kHeaderOffsetField + 4 ? ReadU32(head + kHeaderOffsetField) : mapped;
    // The certificate directory must lie in the mapped bytes as well.
    if (pe > mapped || mapped - pe < kCertificateSizeField + 4 || head[pe] != 'P' || head[pe + 1] != 'E' ||
        head[pe + 2] != 0 || head[pe + 3] != 0) {
        check.problem = kBadPeSignature;
        return check;
    }
    const std::uint32_t certificateOffset = ReadU32(head + pe + kCertificateOffsetField);
    if (certificateOffset != 0) {
        check.certificate = CertificateTable{certificateOffset, ReadU32(head + pe + kCertificateSizeField)};
        // A 32-bit sum, as the stub computes it.
        check.expected = static_cast<std::uint32_t>(certificateOffset + check.certificate->size);
    } else {
        ReadStampedSize(head, headSize, path, check);
        if (!check.stampedSize) {
            check.problem = kNoStampedSize;
            return check;
        }
        check.expected = *check.stampedSize;
    }
    if (check.expected != check.actual) {
        check.problem = "expected file size " + std::to_string(check.expected) + ", actual file size " +
                        std::to_string(check.actual);
    }
    return check;
}

std::string DescribeSizeCheck(const SizeCheck& check) {
    const std::string basis = check.certificate ? "the certificate table" : "_KVR_VERIFY";
    if (check.Passed()) {
        return std::to_string(check.actual) + " bytes, as " + basis + " says";
    }
    std::string text = check.problem;
    if (!check.stampProblem.empty()) text += " (" + check.stampProblem + ")";
    if (check.certificate || check.stampedSize) text += " (expected size from " + basis + ")";
    return text;
}

SizeCheck CheckPackageSize(const std::filesystem::path& path) {
    const std::uint64_t size = FileSizeOf(path);
    const auto head =
        ReadFileHead(path, static_cast<std::size_t>(std::min<std::uint64_t>(size, kResourceReadLimit)));
    return CheckPackageSize(head.data(), head.size(), size, path);
}

}  // namespace sfxpack
