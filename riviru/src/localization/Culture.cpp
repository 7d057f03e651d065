#include "riviru/localization/Culture.h"

#include "riviru/localization/CultureTables.h"
#include "riviru/localization/StringILess.h"

namespace riviru {

namespace {

bool IsSpace(wchar_t c) noexcept {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// The text before the first hyphen (all of it without one), trimmed.
std::wstring_view LanguagePart(std::wstring_view culture) noexcept {
    std::wstring_view part = culture.substr(0, culture.find(L'-'));
    while (!part.empty() && IsSpace(part.front())) part.remove_prefix(1);
    while (!part.empty() && IsSpace(part.back())) part.remove_suffix(1);
    return part;
}

std::wstring ToLower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& unit : lower) unit = FoldCase(unit);
    return lower;
}

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) noexcept {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

const CultureAliasRow* FindAlias(std::wstring_view key) noexcept {
    for (const CultureAliasRow& row : kCultureAliases) {
        if (EqualsIgnoreCase(row.key, key)) return &row;
    }
    return nullptr;
}

bool Matches(std::wstring_view offered, std::wstring_view candidate) {
    // A hyphen at the very start does not make a regional name.
    if (candidate.find(L'-', 1) != std::wstring_view::npos) return EqualsIgnoreCase(offered, candidate);
    return offered.size() > candidate.size() && StartsWithIgnoreCase(offered, candidate) &&
           offered[candidate.size()] == L'-';
}

}  // namespace

std::vector<std::wstring> GetCultureFallbacks(std::wstring_view culture) {
    std::vector<std::wstring> candidates;
    const std::wstring language = ToLower(LanguagePart(culture));
    if (!culture.empty()) {
        candidates.emplace_back(culture);
        if (language != L"en") {
            const std::wstring canonical = GetCanonicalCulture(culture);
            if (!canonical.empty() && !EqualsIgnoreCase(canonical, culture)) candidates.push_back(canonical);
            if (EqualsIgnoreCase(canonical, L"zh-tw")) {
                candidates.emplace_back(L"zh-Hant");
            } else if (EqualsIgnoreCase(canonical, L"zh-cn")) {
                candidates.emplace_back(L"zh-Hans");
            }
            candidates.push_back(language);
        }
    }
    candidates.emplace_back(L"en-II");
    if (!EqualsIgnoreCase(culture, L"en-GB")) candidates.emplace_back(L"en-GB");
    if (!EqualsIgnoreCase(culture, L"en-US")) candidates.emplace_back(L"en-US");
    candidates.emplace_back(L"en");
    return candidates;
}

std::wstring FindBestCulture(const std::vector<std::wstring>& offered, std::wstring_view wanted) {
    for (const std::wstring& candidate : GetCultureFallbacks(wanted)) {
        for (const std::wstring& culture : offered) {
            if (Matches(culture, candidate)) return culture;
        }
    }
    return {};
}

std::wstring GetCanonicalCulture(std::wstring_view culture) {
    const CultureAliasRow* alias = FindAlias(culture);
    if (alias == nullptr) alias = FindAlias(LanguagePart(culture));
    return alias != nullptr ? std::wstring(alias->culture) : std::wstring();
}

std::wstring GetCultureDisplayName(std::wstring_view culture) {
    for (const CultureDisplayNameRow& row : kCultureDisplayNames) {
        if (EqualsIgnoreCase(row.culture, culture)) return std::wstring(row.displayName);
    }
    return {};
}

}  // namespace riviru
