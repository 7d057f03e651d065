// File-system helpers of the Windows tests.
#pragma once
#include <windows.h>

#include <string>

#include "riviru/win/UniqueResource.h"

namespace test {

// Removes dir (ending with a backslash) with everything below it, read-only
// files included; the tests' own clean-up, independent of the code under test.
inline void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found{};
    {
        riviru::win::unique_find find(::FindFirstFileW((dir + L"*").c_str(), &found));
        if (find) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = dir + name;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + L"\\");
                else
                    ::DeleteFileW(path.c_str());
            } while (::FindNextFileW(find.get(), &found));
        }
    }
    ::RemoveDirectoryW(dir.c_str());
}

}  // namespace test
