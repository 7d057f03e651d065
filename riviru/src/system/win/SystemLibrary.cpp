#include "riviru/win/SystemLibrary.h"

#include <string>

namespace riviru::win {

namespace {

FARPROC KernelProcedure(const char* name) noexcept {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr ? ::GetProcAddress(kernel, name) : nullptr;
}

// LOAD_LIBRARY_SEARCH_* flags came with AddDllDirectory; without it
// LoadLibraryExW refuses them.
bool KnowsSearchFlags() noexcept {
    return KernelProcedure("AddDllDirectory") != nullptr;
}

}  // namespace

void RestrictDllSearchToSystemFolder() noexcept {
    ::SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const FARPROC found = KernelProcedure("SetDefaultDllDirectories");
    if (found == nullptr) return;
    // Through the generic function pointer type, which GCC accepts as a cast source.
    const auto setDefault =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    if (KnowsSearchFlags()) return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        if (length != 0) ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nullptr;
    }
    try {
        std::wstring path(folder, length);
        path += L'\\';
        path += name;
        // The DLL's own dependencies are then looked for in its folder first.
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    } catch (...) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

}  // namespace riviru::win
