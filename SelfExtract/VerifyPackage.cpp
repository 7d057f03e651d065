#include "VerifyPackage.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ReadFileResource.h"
#include "riviru/win/UniqueResource.h"

namespace {

constexpr DWORD kMappedLimit = 0x100000;  // the headers lie in the first MiB
constexpr std::size_t kHeaderOffsetPosition = 0x3C;
// The certificate table entry of a PE32 optional header (data directory 4),
// counted from the "PE\0\0" signature: offset, then size.
constexpr std::size_t kCertificateEntryOffset = 152;
constexpr std::size_t kCertificateEntryEnd = kCertificateEntryOffset + 8;

constexpr wchar_t kNotAnExe[] = L"File does not have EXE format.";
constexpr wchar_t kInvalidPeSignature[] = L"Invalid PE signature.";
constexpr wchar_t kNoVerifyResource[] = L"Resource _KVR_VERIFY is not found.";

std::uint32_t ReadUInt32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);  // little-endian like the file
    return value;
}

std::wstring ReadError(const riviru::IStringResources& strings) {
    const auto hr = static_cast<std::int32_t>(riviru::win::LastErrorHResult());
    return strings.GetString(L"SfxErrorReadArchive") + L" (" + std::to_wstring(hr) + L")";
}

std::wstring SizeError(const riviru::IStringResources& strings, std::int64_t expected, std::int64_t actual) {
    // The size text is a translated printf format with two 64-bit numbers.
    const std::wstring format = strings.GetString(L"ErrorSize");
    std::vector<wchar_t> buffer(format.size() + 64);
    const int length = std::swprintf(buffer.data(), buffer.size(), format.c_str(),
                                     static_cast<long long>(expected), static_cast<long long>(actual));
    const std::wstring sizes =
        length < 0 ? format : std::wstring(buffer.data(), static_cast<std::size_t>(length));
    return strings.GetString(L"SfxErrorBadArchive") + L"\n\n" + sizes;
}

std::int64_t FileSystemSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

}  // namespace

std::wstring VerifyPackage(const riviru::IStringResources& strings) {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    // A cut-off path would name another file; an empty one fails to open.
    const std::wstring path = length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
    return VerifyPackageFile(path, strings);
}

std::wstring VerifyPackageFile(const std::wstring& path, const riviru::IStringResources& strings) {
    riviru::win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ReadError(strings);
    // The whole 64-bit size: the low 32 bits of a package beyond 4 GiB can be
    // anything down to 0.
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.get(), &fileSize)) return ReadError(strings);
    const auto size = static_cast<std::uint64_t>(fileSize.QuadPart);
    const DWORD mappedSize = size < kMappedLimit ? static_cast<DWORD>(size) : kMappedLimit;
    riviru::win::unique_handle mapping(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, mappedSize, nullptr));
    if (!mapping) return ReadError(strings);
    riviru::win::unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, mappedSize));
    if (!view) return ReadError(strings);
    const auto* bytes = static_cast<const std::uint8_t*>(view.get());

    if (mappedSize < 2 || bytes[0] != 'M' || bytes[1] != 'Z') return kNotAnExe;
    // Every header read stays inside the mapped bytes: an offset that points
    // outside them (or headers cut short) is no valid PE header.
    if (mappedSize < kHeaderOffsetPosition + 4) return kInvalidPeSignature;
    const std::uint64_t peOffset = ReadUInt32(bytes + kHeaderOffsetPosition);
    if (peOffset + kCertificateEntryEnd > mappedSize) return kInvalidPeSignature;
    const std::uint8_t* pe = bytes + peOffset;
    if (std::memcmp(pe, "PE\0\0", 4) != 0) return kInvalidPeSignature;

    std::int64_t expected = 0;
    const std::uint32_t certificateOffset = ReadUInt32(pe + kCertificateEntryOffset);
    if (certificateOffset != 0) {
        // A signed package ends with its certificate table.
        expected =
            static_cast<std::uint32_t>(certificateOffset + ReadUInt32(pe + kCertificateEntryOffset + 4));
    } else {
        const FileResourceBytes stamped = ReadFileResource(path, L"_KVR_VERIFY");
        if (stamped.result != riviru::kOk || stamped.bytes.size() != 8) return kNoVerifyResource;
        std::uint64_t value;
        std::memcpy(&value, stamped.bytes.data(), sizeof value);
        expected = static_cast<std::int64_t>(value);
    }
    const std::int64_t actual = FileSystemSize(path);
    return expected == actual ? std::wstring() : SizeError(strings, expected, actual);
}
