#include "riviru/localization/FolderProperties.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "riviru/win/Wow64.h"

namespace riviru {

namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH];
    if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
    return path;
}

std::wstring EnvironmentVariable(const std::wstring& name) {
    std::vector<wchar_t> value(MAX_PATH);
    // The value may change between the two calls; ask until it fits.
    for (;;) {
        const DWORD length =
            ::GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) return std::wstring(value.data(), length);
        value.resize(length);
    }
}

std::wstring TempFolder() {
    wchar_t shortForm[MAX_PATH];
    const DWORD shortLength = ::GetTempPathW(MAX_PATH, shortForm);
    if (shortLength == 0 || shortLength >= MAX_PATH) return {};
    wchar_t longForm[MAX_PATH];
    const DWORD longLength = ::GetLongPathNameW(shortForm, longForm, MAX_PATH);
    if (longLength == 0 || longLength >= MAX_PATH) return {};
    return std::wstring(longForm, longLength);
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::wstring(path, length);
}

}  // namespace

const FolderPropertyTable& GetFolderPropertyTable() {
    static const FolderPropertyTable table = BuildFolderPropertyTable(win::RunsUnderWow64());
    return table;
}

std::wstring ResolveFolderProperty(const std::wstring& name) {
    const FolderPropertyTable& table = GetFolderPropertyTable();
    const auto found = table.find(name);
    if (found == table.end()) return {};
    const FolderPropertyRule& rule = found->second;
    if (rule.csidl != -1) return ShellFolder(rule.csidl);
    if (!rule.environmentVariable.empty()) return EnvironmentVariable(rule.environmentVariable);
    if (name == L"TempFolder") return TempFolder();
    if (name == L"SystemFolder") return SystemFolder();
    return {};
}

PropertyMap GetFolderProperties() {
    PropertyMap properties;
    for (const auto& entry : GetFolderPropertyTable()) {
        properties.emplace_hint(properties.end(), entry.first, ResolveFolderProperty(entry.first));
    }
    return properties;
}

}  // namespace riviru
