#include "FreshExtractFolder.h"

#include <ntsecapi.h>
#include <sddl.h>

#include <limits>

#include "riviru/win/UniqueResource.h"

namespace {

// Full access for administrators and SYSTEM, inherited by everything below;
// protected, so nothing of the parent's (the temporary folder's) applies.
constexpr wchar_t kElevatedFolderSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

HRESULT LastError() noexcept {
    const DWORD error = ::GetLastError();
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace

bool SystemRandomBytes(std::uint8_t* buffer, std::size_t size) noexcept {
    if (size > std::numeric_limits<ULONG>::max()) return false;
    return ::RtlGenRandom(buffer, static_cast<ULONG>(size)) != FALSE;
}

bool IsProcessElevated() noexcept {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const riviru::win::unique_handle owner(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)) return false;
    return elevation.TokenIsElevated != 0;
}

HRESULT CreateFreshExtractFolder(const std::wstring& parent, std::wstring& folder,
                                 const sfx::RandomBytes& random) {
    try {
        riviru::win::unique_local descriptor;
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), nullptr, FALSE};
        if (IsProcessElevated()) {
            PSECURITY_DESCRIPTOR converted = nullptr;
            if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kElevatedFolderSddl, SDDL_REVISION_1,
                                                                        &converted, nullptr)) {
                return LastError();
            }
            descriptor.reset(converted);
            attributes.lpSecurityDescriptor = converted;
        }
        for (int attempt = 0; attempt < kFreshFolderTries; ++attempt) {
            const std::wstring name = sfx::MakeRandomFolderName(random);
            if (name.empty()) return NTE_FAIL;
            const std::wstring path = sfx::JoinPath(parent, name);
            // CreateDirectoryW never opens what exists: a folder, a file or a
            // link of that name (even a dangling one) makes it fail.
            if (::CreateDirectoryW(path.c_str(), &attributes)) {
                folder = path + L'\\';
                return S_OK;
            }
            if (::GetLastError() != ERROR_ALREADY_EXISTS) return LastError();
        }
        return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
