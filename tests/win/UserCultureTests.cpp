// The user's culture name on the running system, checked against what the
// locale functions report directly.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "riviru/localization/Culture.h"
#include "riviru/text/Utf.h"

namespace {

std::wstring LocaleInfo(LCID locale, LCTYPE type) {
    wchar_t value[9];
    const int length = ::GetLocaleInfoW(locale, type, value, 9);
    return length > 0 ? std::wstring(value) : std::wstring();
}

bool IsSmallLetter(wchar_t c) {
    return c >= L'a' && c <= L'z';
}
// ISO 3166 gives letters; some regions have a numeric code (UN M.49).
bool IsCapitalOrDigit(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

TEST(UserCulture, IsLanguageHyphenCountry) {
    const std::wstring name = riviru::GetUserCultureName();
    const std::string shown = riviru::EncodeUtf8(name);
    const auto hyphen = name.find(L'-');
    ASSERT_NE(hyphen, std::wstring::npos) << shown;
    EXPECT_EQ(name.find(L'-', hyphen + 1), std::wstring::npos) << shown;
    const std::wstring language = name.substr(0, hyphen);
    const std::wstring country = name.substr(hyphen + 1);
    EXPECT_GE(language.size(), 2u) << shown;
    EXPECT_LE(language.size(), 8u) << shown;
    EXPECT_LE(country.size(), 8u) << shown;
    for (const wchar_t unit : language) EXPECT_TRUE(IsSmallLetter(unit)) << shown;
    ASSERT_FALSE(country.empty()) << shown;
    for (const wchar_t unit : country) EXPECT_TRUE(IsCapitalOrDigit(unit)) << shown;
}

TEST(UserCulture, MatchesTheLocaleFunctions) {
    const LANGID uiLanguage = ::GetUserDefaultUILanguage();
    const LANGID localeLanguage = ::GetUserDefaultLangID();
    // The rule compares the low eight bits of the two language ids.
    const LANGID language = (uiLanguage & 0xFF) == (localeLanguage & 0xFF) ? localeLanguage : uiLanguage;
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    const std::wstring expected =
        LocaleInfo(locale, LOCALE_SISO639LANGNAME) + L'-' + LocaleInfo(locale, LOCALE_SISO3166CTRYNAME);
    EXPECT_EQ(riviru::EncodeUtf8(riviru::GetUserCultureName()), riviru::EncodeUtf8(expected));
}

// When the user interface and the locale speak the same language, the
// locale's country is the one reported.
TEST(UserCulture, CountryComesFromTheLocaleWhenLanguagesAgree) {
    const LANGID uiLanguage = ::GetUserDefaultUILanguage();
    const LANGID localeLanguage = ::GetUserDefaultLangID();
    if ((uiLanguage & 0xFF) != (localeLanguage & 0xFF)) GTEST_SKIP() << "languages differ here";
    const std::wstring country = LocaleInfo(MAKELCID(localeLanguage, SORT_DEFAULT), LOCALE_SISO3166CTRYNAME);
    const std::wstring name = riviru::GetUserCultureName();
    ASSERT_GT(name.size(), country.size());
    EXPECT_EQ(name.substr(name.size() - country.size()), country);
}

}  // namespace
