// File-system helpers of the Windows tests.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "riviru/win/UniqueResource.h"

namespace test {

using Bytes = std::string;

inline Bytes ReadAll(const std::wstring& path) {
    riviru::win::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Bytes bytes;
    if (!file) return bytes;
    char buffer[1 << 16];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got != 0)
        bytes.append(buffer, got);
    return bytes;
}

inline void WriteAll(const std::wstring& path, const Bytes& bytes) {
    riviru::win::unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file);
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

// Relative paths with backslashes.
struct Tree {
    std::map<std::wstring, Bytes> files;
    std::set<std::wstring> folders;
};

// root ends with a backslash; rel is empty or ends with one.
inline void ReadTree(const std::wstring& root, const std::wstring& rel, Tree& tree) {
    WIN32_FIND_DATAW found{};
    riviru::win::unique_find find(::FindFirstFileW((root + rel + L"*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree.folders.insert(rel + name);
            ReadTree(root, rel + name + L"\\", tree);
        } else {
            tree.files[rel + name] = ReadAll(root + rel + name);
        }
    } while (::FindNextFileW(find.get(), &found));
}

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
