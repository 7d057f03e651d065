#include "riviru/localization/Culture.h"

#include <windows.h>

namespace riviru {

std::wstring GetUserCultureName() {
    const LANGID uiLanguage = ::GetUserDefaultUILanguage();
    const LANGID localeLanguage = ::GetUserDefaultLangID();
    // Only the locale's language carries the user's country, so it is used
    // whenever it speaks the same language as the user interface.
    const LANGID language = (uiLanguage & 0xFF) != (localeLanguage & 0xFF) ? uiLanguage : localeLanguage;
    const LCID locale = MAKELCID(language, SORT_DEFAULT);

    wchar_t languageName[9];
    wchar_t countryName[9];
    if (::GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, languageName, 9) == 0) return {};
    if (::GetLocaleInfoW(locale, LOCALE_SISO3166CTRYNAME, countryName, 9) == 0) return {};
    return std::wstring(languageName) + L'-' + countryName;
}

}  // namespace riviru
