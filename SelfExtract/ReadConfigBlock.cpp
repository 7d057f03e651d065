#include "ReadConfigBlock.h"

#include <windows.h>

#include "riviru/win/UniqueResource.h"
#include "sfx/ConfigBlock.h"

namespace {

// Never success for a failure, even when the system left no error code.
riviru::HResult LastError() noexcept {
    const DWORD error = ::GetLastError();
    return error == 0 ? riviru::kFail : riviru::HResultFromWin32(error);
}

}  // namespace

riviru::HResult ReadConfigBlock(const std::wstring& path, std::wstring& text) {
    text.clear();
    riviru::win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return LastError();
    const std::size_t mappedSize = sfx::ConfigScanSize(static_cast<std::uint64_t>(size.QuadPart));
    // An empty file cannot be mapped, and it cannot hold a block either.
    if (mappedSize == 0) return riviru::kInvalidData;
    riviru::win::unique_handle mapping(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return LastError();
    riviru::win::unique_view view(::MapViewOfFileEx(mapping.get(), FILE_MAP_READ, 0, 0, mappedSize, nullptr));
    if (!view) return LastError();
    return sfx::ReadConfigBlockFromMemory(static_cast<const std::uint8_t*>(view.get()), mappedSize, text);
}
