#include "riviru/win/Wow64.h"

#include <windows.h>

namespace riviru::win {

bool RunsUnderWow64() noexcept {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return false;
    const FARPROC found = ::GetProcAddress(kernel, "IsWow64Process");
    if (found == nullptr) return false;
    // Through the generic function pointer type, which GCC accepts as a cast source.
    const auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    BOOL wow64 = FALSE;
    return isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace riviru::win
