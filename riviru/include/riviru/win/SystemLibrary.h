// DLLs from the system folder only. The stub runs elevated from download
// folders, where a DLL planted beside it must never be loaded.
#pragma once
#include <windows.h>

namespace riviru::win {

// Drops the current folder from the DLL search and, where the system knows
// SetDefaultDllDirectories (Windows 8, or 7 with its search-path update),
// limits every later search, also the system's own, to the system folder.
// Call it first thing in the entry point.
void RestrictDllSearchToSystemFolder() noexcept;

// Loads the DLL name (a bare file name) from the system folder only: with
// LOAD_LIBRARY_SEARCH_SYSTEM32 where the system knows it, else by the full
// path of the system folder. nullptr with the last error set on failure.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

}  // namespace riviru::win
