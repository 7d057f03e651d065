#include "SetupValues.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <system_error>
#include <vector>

#include "ReadFileResource.h"
#include "riviru/io/FileDeviceIn.h"
#include "riviru/io/FileException.h"
#include "riviru/win/UniqueResource.h"
#include "sfx/PeHeaders.h"

namespace {

constexpr riviru::HResult kNotAnExecutable = riviru::HResultFromWin32(ERROR_RESOURCE_DATA_NOT_FOUND);
constexpr riviru::HResult kCutRead = riviru::HResultFromWin32(ERROR_HANDLE_EOF);
constexpr ULONGLONG kMappedLimit = 100ull * 1024 * 1024;

riviru::HResult LastError() noexcept {
    return static_cast<riviru::HResult>(riviru::win::LastErrorHResult());
}

riviru::HResult SystemErrorHResult(const std::error_code& code) noexcept {
    if (code.category() == std::system_category()) {
        return riviru::HResultFromWin32(static_cast<std::uint32_t>(code.value()));
    }
    return riviru::kFail;
}

// Whether the file begins with the compound-document signature. The stub's own
// file never does; the read matters because a file that cannot be opened or
// read ends the reading with its FileException.
bool HasCompoundDocumentSignature(const std::wstring& path) {
    static constexpr std::array<char, 8> kSignature = {'\xD0', '\xCF', '\x11', '\xE0',
                                                       '\xA1', '\xB1', '\x1A', '\xE1'};
    riviru::FileDeviceIn<char> device;
    device.open(boost::filesystem::path(path), riviru::FileOpenMode::In, riviru::FileShareMode::Read);
    std::array<char, 8> head{};
    std::int64_t got = 0;
    while (got < 8) {
        const std::int64_t n = device.read(head.data() + got, 8 - got);
        if (n == 0) break;
        got += n;
    }
    device.close();
    return got == 8 && head == kSignature;
}

BOOL CALLBACK KeepStampedName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) noexcept {
    try {
        if (IS_INTRESOURCE(name)) return TRUE;
        const std::wstring text(name);
        if (sfx::IsStampedResourceName(text))
            reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(text);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// The names of the stamped resources, in enumeration order.
riviru::HResult StampedResourceNames(const std::wstring& path, std::vector<std::wstring>& names) {
    riviru::win::unique_file file;
    if (const riviru::HResult hr = OpenForResourceReading(path, file); hr != riviru::kOk) return hr;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return LastError();
    const auto fileSize = static_cast<ULONGLONG>(size.QuadPart);
    const auto mappedSize = static_cast<std::size_t>(std::min(fileSize, kMappedLimit));
    riviru::win::unique_handle mapping(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return LastError();
    riviru::win::unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, mappedSize));
    if (!view) return LastError();
    const auto* begin = static_cast<const std::uint8_t*>(view.get());
    if (mappedSize < 2 || begin[0] != 'M' || begin[1] != 'Z') return kNotAnExecutable;
    // The resource functions follow the header offsets of the file: they
    // must not lead past the mapped bytes.
    if (!sfx::PeHeadersInside(begin, mappedSize)) return riviru::kInvalidData;

    // The lowest bit marks the address as a file mapped as data.
    const auto module = reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(begin) | 1);
    if (!::EnumResourceNamesW(module, MAKEINTRESOURCEW(10), KeepStampedName,
                              reinterpret_cast<LONG_PTR>(&names))) {
        const DWORD error = ::GetLastError();
        // No RCDATA resources (or no resources at all) means no stamped one.
        if (error != ERROR_RESOURCE_TYPE_NOT_FOUND && error != ERROR_RESOURCE_DATA_NOT_FOUND &&
            error != ERROR_SUCCESS) {
            return riviru::HResultFromWin32(error);
        }
    }
    return riviru::kOk;
}

}  // namespace

riviru::HResult ReadStampedResources(const std::wstring& path, sfx::SetupValueMap& values) {
    values.clear();
    std::vector<std::wstring> names;
    if (const riviru::HResult hr = StampedResourceNames(path, names); hr != riviru::kOk) return hr;
    if (names.empty()) return sfx::kNoMoreItems;
    for (const std::wstring& name : names) {
        const FileResourceBytes resource = ReadFileResource(path, name);
        if (riviru::Failed(resource.result)) return resource.result;
        values[name] = sfx::StampedResourceValue(resource.bytes.data(), resource.bytes.size());
    }
    return values.empty() ? sfx::kNoMoreItems : riviru::kOk;
}

riviru::HResult ReadDataTrailer(const std::wstring& path, sfx::SetupValueMap& values) {
    riviru::win::unique_file file;
    if (const riviru::HResult hr = OpenForResourceReading(path, file); hr != riviru::kOk) return hr;
    LARGE_INTEGER back{};
    back.QuadPart = -static_cast<LONGLONG>(sfx::kDataTrailerWindow);
    if (!::SetFilePointerEx(file.get(), back, nullptr, FILE_END)) return LastError();
    std::vector<std::uint8_t> buffer(sfx::kDataTrailerWindow);
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
        return LastError();
    if (got != buffer.size()) return kCutRead;
    return sfx::ParseDataTrailer(buffer.data(), buffer.size(), values);
}

riviru::HResult ReadSetupValues(const std::wstring& path, sfx::SetupValueMap& values) {
    try {
        HasCompoundDocumentSignature(path);
        riviru::HResult hr = ReadStampedResources(path, values);
        if (hr == sfx::kNoMoreItems) hr = ReadDataTrailer(path, values);
        if (!riviru::Failed(hr)) {
            for (auto it = values.begin(); it != values.end();) {
                it = it->second.empty() ? values.erase(it) : std::next(it);
            }
        }
        return hr;
    } catch (const std::system_error& e) {
        return SystemErrorHResult(e.code());
    } catch (...) {
        return riviru::kFail;
    }
}

void WriteSetupValuesFor(const std::wstring& exePath, const std::wstring& valuesFile) {
    try {
        sfx::SetupValueMap values;
        ReadSetupValues(exePath, values);  // what was gathered before a failure is still forwarded
        if (auto token = sfx::FileNameToken(exePath)) values[L"KVRID2"] = std::move(*token);
        const std::string text = sfx::FormatSetupValues(values);
        if (text.empty()) return;
        riviru::win::unique_file file(::CreateFileW(valuesFile.c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
        DWORD written = 0;
        ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } catch (...) {
        // Forwarding is optional: the setup starts with fewer values.
    }
}

void WriteSetupValues(const std::wstring& valuesFile) {
    try {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0) return;
            if (length < path.size()) {
                path.resize(length);
                break;
            }
            path.resize(path.size() * 2);
        }
        WriteSetupValuesFor(path, valuesFile);
    } catch (...) {
        // As above.
    }
}
