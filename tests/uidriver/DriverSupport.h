// Small helpers shared by the test programs in this folder (uidriver,
// msgboxprobe, runreport): an owned kernel handle, UTF-8 output on the
// standard handles and number parsing. Header-only, so each program stays a
// single self-contained executable.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>

namespace uidriver {

// Move-only owner of a kernel handle (process, thread, job, file).
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(HANDLE h = nullptr) {
        if (handle_) CloseHandle(handle_);
        handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }

private:
    HANDLE handle_ = nullptr;
};

inline std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                            nullptr);
    }
    return out;
}

inline std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    }
    return out;
}

// Writes UTF-8 to a standard handle. The tests read our output through pipes
// and files, where the C runtime's wide output would go through the ANSI
// code page; a real console gets the text with WriteConsoleW instead.
inline void WriteStd(DWORD which, std::wstring_view text) {
    const HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

inline void Out(std::wstring_view text) {
    WriteStd(STD_OUTPUT_HANDLE, text);
}
inline void Err(std::wstring_view text) {
    WriteStd(STD_ERROR_HANDLE, text);
}

// Decimal or 0x-prefixed hexadecimal, the whole text, no sign.
inline std::optional<unsigned long long> ParseNumber(std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    int base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long long value = 0;
    for (wchar_t c : text) {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else
            return std::nullopt;
        if (digit >= static_cast<unsigned>(base)) return std::nullopt;
        if (value > (~0ULL - digit) / static_cast<unsigned>(base)) return std::nullopt;
        value = value * static_cast<unsigned>(base) + digit;
    }
    return value;
}

inline std::wstring Hex(unsigned long long value, int digits = 8) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"0x%0*llX", digits, value);
    return buffer;
}

inline std::wstring Upper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

}  // namespace uidriver
