#include "sfx/SfxConfig.h"

#include <limits>

namespace sfx {

namespace {

// White space as the classic "C" locale has it.
bool IsSpace(wchar_t c) noexcept {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

std::wstring_view Trim(std::wstring_view s) noexcept {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring_view Unquote(std::wstring_view value) noexcept {
    if (value.empty() || value.front() != L'"' || value.back() != L'"') return value;
    // A single quotation mark is both the opening and the closing one.
    if (value.size() == 1) return std::wstring_view();
    return value.substr(1, value.size() - 2);
}

std::int32_t ReadInt(std::wstring_view s) noexcept {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    // Accumulated as a magnitude in 64 bits and stopped at the limit, so a
    // long run of digits clamps instead of overflowing.
    constexpr std::int64_t kMaxMagnitude = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (s[i] - L'0');
        if (magnitude > kMaxMagnitude) magnitude = kMaxMagnitude;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

}  // namespace

void SfxConfig::Parse(std::wstring_view text) {
    // Positions, not pointers: adding a section may move the others.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t current = kNone;  // the unnamed section is created on its first pair
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t endOfLine = pos;
        while (endOfLine < text.size() && text[endOfLine] != L'\r' && text[endOfLine] != L'\n') ++endOfLine;
        const std::wstring_view line = text.substr(pos, endOfLine - pos);
        pos = endOfLine;
        if (pos < text.size()) {
            const wchar_t first = text[pos++];
            const wchar_t partner = first == L'\r' ? L'\n' : L'\r';
            if (pos < text.size() && text[pos] == partner) ++pos;
        }

        if (line.empty() || line.front() == L';') continue;
        const std::size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) {
            if (current == kNone) current = FindOrAddSection(std::wstring_view());
            const std::wstring_view key = Trim(line.substr(0, equals));
            const std::wstring_view value = Unquote(Trim(line.substr(equals + 1)));
            sections[current].pairs.insert_or_assign(std::wstring(key), std::wstring(value));
            continue;
        }
        const std::size_t open = line.find(L'[');
        const std::size_t close = line.rfind(L']');
        if (open == std::wstring_view::npos || close == std::wstring_view::npos || close < open) continue;
        current = FindOrAddSection(Trim(line.substr(open + 1, close - open - 1)));
    }
}

std::wstring SfxConfig::GetValue(std::wstring_view section, std::wstring_view key,
                                 std::wstring_view defaultValue) const {
    if (const Section* found = FindSection(section)) {
        const auto pair = found->pairs.find(key);
        if (pair != found->pairs.end()) return pair->second;
    }
    return std::wstring(defaultValue);
}

std::int32_t SfxConfig::GetInt(std::wstring_view section, std::wstring_view key,
                               std::int32_t defaultValue) const {
    const std::wstring value = GetValue(section, key, std::wstring_view());
    return value.empty() ? defaultValue : ReadInt(value);
}

std::vector<std::wstring> SfxConfig::GetSectionNames() const {
    std::vector<std::wstring> names;
    names.reserve(sections.size());
    for (const auto& section : sections) names.push_back(section.name);
    return names;
}

bool SfxConfig::HasSection(std::wstring_view section) const {
    return FindSection(section) != nullptr;
}

std::size_t SfxConfig::FindOrAddSection(std::wstring_view name) {
    const auto found = sectionIndex.find(name);
    if (found != sectionIndex.end()) return found->second;
    sections.push_back(Section{std::wstring(name), Pairs()});
    sectionIndex.emplace(std::wstring(name), sections.size() - 1);
    return sections.size() - 1;
}

const SfxConfig::Section* SfxConfig::FindSection(std::wstring_view name) const {
    const auto found = sectionIndex.find(name);
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
}

}  // namespace sfx
