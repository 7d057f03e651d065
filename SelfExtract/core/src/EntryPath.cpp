#include "sfx/EntryPath.h"

namespace sfx {

namespace {

bool IsSeparator(wchar_t c) noexcept {
    return c == L'\\' || c == L'/';
}

wchar_t Upper(wchar_t c) noexcept {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsUpper(std::wstring_view text, std::wstring_view upper) noexcept {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Upper(text[i]) != upper[i]) return false;
    }
    return true;
}

// Windows maps these names to devices in every folder, whatever follows the
// first dot, and ignores trailing spaces before it.
bool IsDeviceName(std::wstring_view part) noexcept {
    std::wstring_view base = part.substr(0, part.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    static constexpr std::wstring_view kNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view name : kNames) {
        if (EqualsUpper(base, name)) return true;
    }
    if (base.size() == 4 &&
        (EqualsUpper(base.substr(0, 3), L"COM") || EqualsUpper(base.substr(0, 3), L"LPT"))) {
        // COM1-9 and LPT1-9, also with the superscript digits Windows accepts.
        const wchar_t digit = base[3];
        return (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

bool IsSafePart(std::wstring_view part) noexcept {
    if (part.empty()) return false;
    if (part.find_first_not_of(L". ") == std::wstring_view::npos) return false;
    return !IsDeviceName(part);
}

}  // namespace

bool IsSafeEntryPath(std::wstring_view path) noexcept {
    if (path.empty() || IsSeparator(path.front())) return false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size()) {
            const wchar_t c = path[i];
            if (c == L':' || c < 0x20) return false;
            if (!IsSeparator(c)) continue;
        }
        if (!IsSafePart(path.substr(start, i - start))) return false;
        start = i + 1;
    }
    return true;
}

}  // namespace sfx
