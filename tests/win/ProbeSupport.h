// Helpers for the tests that start the setup stand-in (setupprobe.exe, built
// next to the test program): its path, its report, the environment that
// steers it and a temporary folder to run it in.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "TestFileSystem.h"

namespace probe {

inline std::wstring TestProgramFolder() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.rfind(L'\\') + 1);
}

inline std::wstring ProbeProgram() {
    return TestProgramFolder() + L"setupprobe.exe";
}

inline std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The report: every key with its values in order (arg has many), unescaped.
struct Report {
    std::map<std::string, std::vector<std::wstring>> values;
    std::wstring One(const std::string& key) const {
        const auto found = values.find(key);
        return found == values.end() || found->second.empty() ? std::wstring() : found->second.front();
    }
    bool Complete() const { return One("end") == L"1"; }
};

inline std::string Unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[++i];
        plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return plain;
}

inline Report ReadReport(const std::wstring& path) {
    Report report;
    const std::string bytes = test::ReadAll(path);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            report.values[line.substr(0, equals)].push_back(FromUtf8(Unescape(line.substr(equals + 1))));
        start = end + 1;
    }
    return report;
}

// Sets an environment variable of this process (inherited by the programs
// it starts) and restores the old state when it goes.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
        wchar_t old[32768];
        const DWORD length = ::GetEnvironmentVariableW(name_.c_str(), old, 32768);
        had_ = length > 0 && length < 32768;
        if (had_) old_.assign(old, length);
        ::SetEnvironmentVariableW(name_.c_str(), value.c_str());
    }
    ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring name_;
    std::wstring old_;
    bool had_ = false;
};

// A new folder below the temporary folder, its name with a blank; removed
// with its contents when it goes. path() ends with a backslash.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* prefix) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + prefix + L" " + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(++Counter()) + L"\\";
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const noexcept { return path_; }
    // The path without its trailing backslash, as GetCurrentDirectoryW gives it.
    std::wstring bare() const { return path_.substr(0, path_.size() - 1); }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    static void Remove(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        riviru::win::unique_find find(::FindFirstFileW((folder + L"*").c_str(), &found));
        if (find) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = folder + name;
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(full + L"\\");
                else
                    ::DeleteFileW(full.c_str());
            } while (::FindNextFileW(find.get(), &found));
        }
        ::RemoveDirectoryW(folder.c_str());
    }
    std::wstring path_;
};

inline bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Case-insensitive comparison of paths (Wine may change the case of a drive letter).
inline bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace probe
