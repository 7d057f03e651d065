// The fixed culture tables: display names of the cultures that packages
// usually offer, and aliases that lead from a language or a regional name to
// the culture that stands for it. Both are searched from the top, their first
// column compared ignoring case.
#pragma once
#include <array>
#include <string_view>

namespace riviru {

struct CultureDisplayNameRow {
    std::wstring_view culture;
    std::wstring_view displayName;
};

struct CultureAliasRow {
    std::wstring_view key;
    std::wstring_view culture;
};

// Non-ASCII characters are written as escapes, so the texts are the same
// UTF-16 code units on every platform. The Russian name begins with a Latin
// capital P, and the Chinese names have no blank before the parenthesis.
inline constexpr std::array<CultureDisplayNameRow, 28> kCultureDisplayNames{{
    {L"cs-CZ", L"\u010Ce\u0161tina (\u010Cesk\u00E1 republika)"},
    {L"da-DK", L"Dansk (Danmark)"},
    {L"de-DE", L"Deutsch (Deutschland)"},
    {L"en-GB", L"English (United Kingdom)"},
    {L"en-US", L"English (United States)"},
    {L"en-CA", L"English (Canada)"},
    {L"en-II", L"English (international)"},
    {L"es-ES", L"Espa\u00F1ol (Espa\u00F1a)"},
    {L"es-US", L"Espa\u00F1ol (Estados Unidos)"},
    {L"el-GR", L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC (\u0395\u03BB\u03BB\u03AC\u03B4\u03B1)"},
    {L"fr-FR", L"Fran\u00E7ais (France)"},
    {L"fr-CA", L"Fran\u00E7ais (Canada)"},
    {L"it-IT", L"Italiano (Italia)"},
    {L"hu-HU", L"Magyar (Magyarorsz\u00E1g)"},
    {L"nl-NL", L"Nederlands (Nederland)"},
    {L"nb-NO", L"Norsk, bokm\u00E5l (Norge)"},
    {L"pl-PL", L"Polski (Polska)"},
    {L"pt-PT", L"Portugu\u00EAs (Portugal)"},
    {L"pt-BR", L"Portugu\u00EAs (Brasil)"},
    {L"ru-RU", L"P\u0443\u0441\u0441\u043A\u0438\u0439 (\u0420\u043E\u0441\u0441\u0438\u044F)"},
    {L"sl-SI", L"Slovenski (Slovenija)"},
    {L"fi-FI", L"Suomi (Suomi)"},
    {L"sv-SE", L"Svenska (Sverige)"},
    {L"tr-TR", L"T\u00FCrk\u00E7e (T\u00FCrkiye)"},
    {L"ja-JP", L"\u65E5\u672C\u8A9E (\u65E5\u672C)"},
    {L"ko-KR", L"\uD55C\uAD6D\uC5B4 (\uB300\uD55C\uBBFC\uAD6D)"},
    {L"zh-CN", L"\u4E2D\u6587(\u7B80\u4F53)"},
    {L"zh-TW", L"\u4E2D\u6587(\u7E41\u9AD4)"},
}};

inline constexpr std::array<CultureAliasRow, 15> kCultureAliases{{
    {L"de", L"de-DE"},
    {L"da", L"da-DK"},
    {L"en", L"en-GB"},
    {L"es", L"es-ES"},
    {L"fr", L"fr-FR"},
    {L"it", L"it-IT"},
    {L"nl", L"nl-NL"},
    {L"no", L"nb-NO"},
    {L"pt", L"pt-PT"},
    {L"sv", L"sv-SE"},
    {L"zh-TW", L"zh-TW"},
    {L"zh-HK", L"zh-TW"},
    {L"zh-MO", L"zh-TW"},
    {L"zh-CN", L"zh-CN"},
    {L"zh-SG", L"zh-CN"},
}};

}  // namespace riviru
