#include "ReadFileResource.h"

#include <windows.h>

#include "riviru/win/UniqueResource.h"
#include "sfx/PeHeaders.h"

namespace {

constexpr int kOpenAttempts = 5;
constexpr DWORD kRetryDelayMs = 250;
constexpr ULONGLONG kMappedLimit = 100ull * 1024 * 1024;
constexpr riviru::HResult kSharingViolation = riviru::HResultFromWin32(ERROR_SHARING_VIOLATION);
constexpr riviru::HResult kNotAnExecutable = riviru::HResultFromWin32(ERROR_RESOURCE_DATA_NOT_FOUND);

riviru::HResult LastError() noexcept {
    return static_cast<riviru::HResult>(riviru::win::LastErrorHResult());
}

// The error the resource function just left; 0 when it left none.
riviru::HResult ResourceError() noexcept {
    return riviru::HResultFromWin32(::GetLastError());
}

}  // namespace

// The packaging tool or a virus scanner may still hold the file for a moment.
riviru::HResult OpenForResourceReading(const std::wstring& path, riviru::win::unique_file& file) {
    for (int attempt = 1;; ++attempt) {
        if (attempt < kOpenAttempts) ::Sleep(kRetryDelayMs);
        file.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return riviru::kOk;
        const riviru::HResult hr = LastError();
        if (hr != kSharingViolation || attempt == kOpenAttempts) return hr;
    }
}

FileResourceBytes ReadFileResource(const std::wstring& path, const std::wstring& name) {
    riviru::win::unique_file file;
    if (const riviru::HResult hr = OpenForResourceReading(path, file); hr != riviru::kOk) return {hr, {}};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return {LastError(), {}};
    const auto fileSize = static_cast<ULONGLONG>(size.QuadPart);
    const auto mappedSize = static_cast<std::size_t>(fileSize < kMappedLimit ? fileSize : kMappedLimit);

    riviru::win::unique_handle mapping(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return {LastError(), {}};
    riviru::win::unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, mappedSize));
    if (!view) return {LastError(), {}};
    const auto* begin = static_cast<const std::uint8_t*>(view.get());
    if (mappedSize < 2 || begin[0] != 'M' || begin[1] != 'Z') return {kNotAnExecutable, {}};
    // The resource functions follow the header offsets of the file: they
    // must not lead past the mapped bytes.
    if (!sfx::PeHeadersInside(begin, mappedSize)) return {riviru::kInvalidData, {}};

    // The lowest bit marks the address as a file mapped as data, which the
    // resource functions then read with file offsets instead of image RVAs.
    const auto module = reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(begin) | 1);
    ::SetLastError(ERROR_SUCCESS);
    const HRSRC found = ::FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (found == nullptr) return {ResourceError(), {}};
    ::SetLastError(ERROR_SUCCESS);
    const HGLOBAL loaded = ::LoadResource(module, found);
    if (loaded == nullptr) return {ResourceError(), {}};
    ::SetLastError(ERROR_SUCCESS);
    const auto* data = static_cast<const std::uint8_t*>(::LockResource(loaded));
    if (data == nullptr) return {ResourceError(), {}};
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::SizeofResource(module, found);
    if (length == 0) return {ResourceError(), {}};

    // The directory comes from the file: never copy past the mapped bytes.
    const std::uint8_t* end = begin + mappedSize;
    if (data < begin || data > end || length > static_cast<std::size_t>(end - data)) {
        return {riviru::kInvalidData, {}};
    }
    return {riviru::kOk, std::vector<std::uint8_t>(data, data + length)};
}
