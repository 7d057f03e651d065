// The completeness check the stub makes before it extracts anything: the
// file's size must equal the end of its certificate table when the file is
// signed, or else the size stamped into _KVR_VERIFY.
// Holds: CertificateTable, SizeCheck and the functions that make it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sfxpack {

// The stub reads its resources from at most this many bytes of its file.
inline constexpr std::size_t kResourceReadLimit = 104857600;  // 100 MiB
// and its PE headers from at most this many.
inline constexpr std::size_t kHeaderReadLimit = 1048576;  // 1 MiB

struct CertificateTable {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct SizeCheck {
    std::optional<CertificateTable> certificate;  // when its directory's offset is not 0
    std::optional<std::uint64_t> stampedSize;     // _KVR_VERIFY, when the check read it
    std::string stampProblem;                     // why it could not, in detail
    std::uint64_t expected = 0;
    std::uint64_t actual = 0;
    std::string problem;  // the stub's reason for refusing the file; empty when it passes

    bool Passed() const noexcept { return problem.empty(); }
};

// One line: for a passed check what the size was compared with, else the
// stub's reason with what sfxpack knows beyond it.
std::string DescribeSizeCheck(const SizeCheck& check);

// head is the first min(fileSize, kResourceReadLimit) bytes of the file at
// path (named in nothing but details).
SizeCheck CheckPackageSize(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize,
                           const std::filesystem::path& path);

// Reads what it needs from the file; PackError when it cannot be read.
SizeCheck CheckPackageSize(const std::filesystem::path& path);

}  // namespace sfxpack
