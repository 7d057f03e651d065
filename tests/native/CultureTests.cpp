#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "riviru/localization/Culture.h"
#include "riviru/localization/CultureTables.h"
#include "riviru/localization/StringILess.h"
#include "riviru/text/Utf.h"
#include "sfx/LanguageChoice.h"
#include "sfx/SfxConfig.h"

namespace {

using riviru::FindBestCulture;
using riviru::GetCanonicalCulture;
using riviru::GetCultureDisplayName;
using riviru::GetCultureFallbacks;
using Names = std::vector<std::wstring>;

// Expected texts are written as UTF-8 source text, independent of the escapes
// in the table.
std::wstring FromUtf8(const char* text) {
    return riviru::DecodeUtf8(text).value();
}

sfx::SfxConfig Parsed(const std::wstring& text) {
    sfx::SfxConfig config;
    config.Parse(text);
    return config;
}

// A user culture lookup that remembers whether it was asked.
struct FakeUser {
    std::wstring culture;
    int calls = 0;

    std::function<std::wstring()> Lookup() {
        return [this] {
            ++calls;
            return culture;
        };
    }
};

std::optional<sfx::LanguageChoice> Available(const std::wstring& configText, const std::wstring& wanted,
                                             const std::wstring& userCulture) {
    FakeUser user{userCulture};
    return sfx::GetAvailableLanguages(Parsed(configText), wanted, user.Lookup());
}

Names CultureKeys(const sfx::LanguageChoice& choice) {
    Names keys;
    for (const auto& entry : choice.cultures) keys.push_back(entry.first);
    return keys;
}

// --- Fallbacks ---

TEST(CultureFallbacks, RegionalNameGoesThroughAliasAndLanguage) {
    EXPECT_EQ(GetCultureFallbacks(L"de-AT"),
              (Names{L"de-AT", L"de-DE", L"de", L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(CultureFallbacks, ChineseGetsItsScriptForm) {
    EXPECT_EQ(GetCultureFallbacks(L"zh-HK"),
              (Names{L"zh-HK", L"zh-TW", L"zh-Hant", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(GetCultureFallbacks(L"zh-SG"),
              (Names{L"zh-SG", L"zh-CN", L"zh-Hans", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    // The alias equals the culture itself, so only the script form follows.
    EXPECT_EQ(GetCultureFallbacks(L"zh-tw"),
              (Names{L"zh-tw", L"zh-Hant", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(GetCultureFallbacks(L"zh-CN"),
              (Names{L"zh-CN", L"zh-Hans", L"zh", L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(CultureFallbacks, EnglishGoesStraightToTheEnglishOnes) {
    EXPECT_EQ(GetCultureFallbacks(L"en-AU"), (Names{L"en-AU", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(GetCultureFallbacks(L"EN-au"), (Names{L"EN-au", L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(CultureFallbacks, WantedEnglishCultureIsNotRepeated) {
    EXPECT_EQ(GetCultureFallbacks(L"en-GB"), (Names{L"en-GB", L"en-II", L"en-US", L"en"}));
    EXPECT_EQ(GetCultureFallbacks(L"en-us"), (Names{L"en-us", L"en-II", L"en-GB", L"en"}));
}

TEST(CultureFallbacks, EmptyNameGivesOnlyEnglish) {
    EXPECT_EQ(GetCultureFallbacks(L""), (Names{L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(CultureFallbacks, SameAliasIsNotRepeated) {
    EXPECT_EQ(GetCultureFallbacks(L"fr-FR"), (Names{L"fr-FR", L"fr", L"en-II", L"en-GB", L"en-US", L"en"}));
    EXPECT_EQ(GetCultureFallbacks(L"FR-fr"), (Names{L"FR-fr", L"fr", L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(CultureFallbacks, LanguageWithoutAlias) {
    EXPECT_EQ(GetCultureFallbacks(L"ja-JP"), (Names{L"ja-JP", L"ja", L"en-II", L"en-GB", L"en-US", L"en"}));
}

TEST(CultureFallbacks, LanguagePartIsTrimmedAndInSmallLetters) {
    EXPECT_EQ(GetCultureFallbacks(L" De -AT"),
              (Names{L" De -AT", L"de-DE", L"de", L"en-II", L"en-GB", L"en-US", L"en"}));
}

// --- Alias table ---

TEST(CultureCanonical, ExactKey) {
    EXPECT_EQ(GetCanonicalCulture(L"de"), L"de-DE");
    EXPECT_EQ(GetCanonicalCulture(L"no"), L"nb-NO");
    EXPECT_EQ(GetCanonicalCulture(L"zh-HK"), L"zh-TW");
    EXPECT_EQ(GetCanonicalCulture(L"zh-MO"), L"zh-TW");
    EXPECT_EQ(GetCanonicalCulture(L"zh-SG"), L"zh-CN");
}

TEST(CultureCanonical, IgnoresCase) {
    EXPECT_EQ(GetCanonicalCulture(L"DE"), L"de-DE");
    EXPECT_EQ(GetCanonicalCulture(L"ZH-hk"), L"zh-TW");
    EXPECT_EQ(GetCanonicalCulture(L"Pt-br"), L"pt-PT");
}

TEST(CultureCanonical, LanguagePart) {
    EXPECT_EQ(GetCanonicalCulture(L"de-AT"), L"de-DE");
    EXPECT_EQ(GetCanonicalCulture(L"fr-CA"), L"fr-FR");
    EXPECT_EQ(GetCanonicalCulture(L"en-AU"), L"en-GB");
    EXPECT_EQ(GetCanonicalCulture(L" sv -FI"), L"sv-SE");
}

TEST(CultureCanonical, None) {
    EXPECT_EQ(GetCanonicalCulture(L""), L"");
    EXPECT_EQ(GetCanonicalCulture(L"ja-JP"), L"");
    EXPECT_EQ(GetCanonicalCulture(L"nb-NO"), L"");  // only "no" is a key
    EXPECT_EQ(GetCanonicalCulture(L"zh"), L"");
    EXPECT_EQ(GetCanonicalCulture(L"zh-Hant"), L"");
    EXPECT_EQ(GetCanonicalCulture(L"deu"), L"");
}

// --- Best match ---

TEST(CultureBestMatch, BareLanguageMatchesRegionalOffer) {
    EXPECT_EQ(FindBestCulture({L"en-US", L"de-AT"}, L"de-CH"), L"de-AT");
}

TEST(CultureBestMatch, OfferedBareLanguageMatchesNoBareCandidate) {
    EXPECT_EQ(FindBestCulture({L"de"}, L"de-DE"), L"");
    EXPECT_EQ(FindBestCulture({L"de"}, L"de"), L"");
    EXPECT_EQ(FindBestCulture({L"en"}, L"en-US"), L"");
    // A regional candidate still finds a regional offer equal to it.
    EXPECT_EQ(FindBestCulture({L"de", L"de-DE"}, L"de-AT"), L"de-DE");
}

TEST(CultureBestMatch, BareLanguageNeedsTheHyphen) {
    EXPECT_EQ(FindBestCulture({L"deu-DE"}, L"de-AT"), L"");
    EXPECT_EQ(FindBestCulture({L"de-"}, L"de-AT"), L"de-");
}

TEST(CultureBestMatch, FirstOfferedInListOrderWins) {
    EXPECT_EQ(FindBestCulture({L"de-CH", L"de-AT"}, L"de-DE"), L"de-CH");
    EXPECT_EQ(FindBestCulture({L"de-AT", L"de-CH"}, L"de-DE"), L"de-AT");
}

TEST(CultureBestMatch, EarlierCandidateBeatsEarlierOffer) {
    EXPECT_EQ(FindBestCulture({L"de-AT", L"de-DE"}, L"de-DE"), L"de-DE");
    EXPECT_EQ(FindBestCulture({L"en-US", L"de-AT"}, L"de-DE"), L"de-AT");
    EXPECT_EQ(FindBestCulture({L"en-US", L"en-GB"}, L"fr-FR"), L"en-GB");
}

TEST(CultureBestMatch, KeepsTheOfferedLetterCase) {
    EXPECT_EQ(FindBestCulture({L"DE-de"}, L"de-de"), L"DE-de");
    EXPECT_EQ(FindBestCulture({L"DE-at"}, L"de-CH"), L"DE-at");
}

TEST(CultureBestMatch, ChineseScriptForms) {
    EXPECT_EQ(FindBestCulture({L"zh-CN", L"zh-Hant"}, L"zh-HK"), L"zh-Hant");
    EXPECT_EQ(FindBestCulture({L"zh-Hant", L"zh-Hans"}, L"zh-SG"), L"zh-Hans");
}

TEST(CultureBestMatch, NothingMatches) {
    EXPECT_EQ(FindBestCulture({}, L"de-DE"), L"");
    EXPECT_EQ(FindBestCulture({L"ja-JP"}, L"en-US"), L"");
    EXPECT_EQ(FindBestCulture({L"ja-JP", L"ko-KR"}, L""), L"");
}

TEST(CultureBestMatch, EmptyWantedPrefersEnglish) {
    EXPECT_EQ(FindBestCulture({L"de-DE", L"en-US", L"en-II"}, L""), L"en-II");
    EXPECT_EQ(FindBestCulture({L"de-DE", L"en-CA"}, L""), L"en-CA");
}

// --- Offered languages of a configuration ---

TEST(CultureAvailableLanguages, AustrianUserGetsGermanThroughAlias) {
    const auto choice = Available(L"[LANG_de-DE]\n[LANG_en-US]\n", L"", L"de-AT");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->defaultCulture, L"de-DE");
    EXPECT_EQ(CultureKeys(*choice), (Names{L"de-DE", L"en-US"}));
    EXPECT_EQ(choice->cultures.at(L"de-DE"), L"Deutsch (Deutschland)");
    EXPECT_EQ(choice->cultures.at(L"en-US"), L"English (United States)");
}

TEST(CultureAvailableLanguages, FrenchUserGetsAmericanEnglish) {
    const auto choice = Available(L"[LANG_de-DE]\n[LANG_en-US]\n", L"", L"fr-FR");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->defaultCulture, L"en-US");
}

TEST(CultureAvailableLanguages, NoMatchTakesFirstOffered) {
    const auto choice = Available(L"[LANG_ja-JP]\n", L"", L"en-US");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->defaultCulture, L"ja-JP");
    EXPECT_EQ(choice->cultures.at(L"ja-JP"), FromUtf8("日本語 (日本)"));
}

TEST(CultureAvailableLanguages, FirstOfferedIsInSectionOrderNotMapOrder) {
    const auto choice = Available(L"[LANG_ko-KR]\n[LANG_ja-JP]\n", L"", L"en-US");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(CultureKeys(*choice), (Names{L"ja-JP", L"ko-KR"}));
    EXPECT_EQ(choice->defaultCulture, L"ko-KR");
}

TEST(CultureAvailableLanguages, CultureKeepsItsLetterCase) {
    const auto choice = Available(L"[LANG_DE-de]\nProductName=P\n", L"", L"de-AT");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(CultureKeys(*choice), (Names{L"DE-de"}));
    EXPECT_EQ(choice->cultures.at(L"de-DE"), L"Deutsch (Deutschland)");
    EXPECT_EQ(choice->defaultCulture, L"DE-de");
}

TEST(CultureAvailableLanguages, PrefixIgnoresCaseAndNeedsTheUnderscore) {
    const auto choice =
        Available(L"[main]\n[lang_fr-FR]\n[LANGUAGE]\n[XLANG_it-IT]\n[LANG]\n[Lang_sv-SE]\n", L"", L"sv-FI");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(CultureKeys(*choice), (Names{L"fr-FR", L"sv-SE"}));
    EXPECT_EQ(choice->defaultCulture, L"sv-SE");
}

TEST(CultureAvailableLanguages, MapIsOrderedIgnoringCase) {
    const auto choice = Available(L"[LANG_fr-FR]\n[LANG_De-DE]\n[LANG_en-US]\n[LANG_xx-YY]\n", L"", L"");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(CultureKeys(*choice), (Names{L"De-DE", L"en-US", L"fr-FR", L"xx-YY"}));
    EXPECT_EQ(choice->cultures.at(L"xx-YY"), L"");  // not in the display-name table
    EXPECT_EQ(choice->defaultCulture, L"en-US");
}

TEST(CultureAvailableLanguages, WantedCultureIsUsedAndUserNotAsked) {
    FakeUser user{L"de-AT"};
    const auto choice =
        sfx::GetAvailableLanguages(Parsed(L"[LANG_de-DE]\n[LANG_fr-FR]\n"), L"fr-CA", user.Lookup());
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->defaultCulture, L"fr-FR");
    EXPECT_EQ(user.calls, 0);
}

TEST(CultureAvailableLanguages, EmptyWantedAsksTheUserOnce) {
    FakeUser user{L"fr-BE"};
    const auto choice =
        sfx::GetAvailableLanguages(Parsed(L"[LANG_de-DE]\n[LANG_fr-FR]\n"), L"", user.Lookup());
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->defaultCulture, L"fr-FR");
    EXPECT_EQ(user.calls, 1);
}

TEST(CultureAvailableLanguages, NoLanguageSectionsGivesNothing) {
    FakeUser user{L"de-AT"};
    EXPECT_FALSE(sfx::GetAvailableLanguages(Parsed(L""), L"", user.Lookup()).has_value());
    EXPECT_FALSE(
        sfx::GetAvailableLanguages(Parsed(L"[main]\nCulture=de-DE\nLANG_de-DE=1\n"), L"de-DE", user.Lookup())
            .has_value());
    EXPECT_EQ(user.calls, 0);
}

// Natively the default lookup knows no user culture, so the English
// fallbacks decide.
TEST(CultureAvailableLanguages, DefaultUserLookup) {
    EXPECT_EQ(riviru::GetUserCultureName(), L"");
    const auto choice = sfx::GetAvailableLanguages(Parsed(L"[LANG_de-DE]\n[LANG_en-US]\n"), L"");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->defaultCulture, L"en-US");
}

// --- Display names ---

TEST(CultureDisplayName, AsciiRows) {
    EXPECT_EQ(GetCultureDisplayName(L"da-DK"), L"Dansk (Danmark)");
    EXPECT_EQ(GetCultureDisplayName(L"en-II"), L"English (international)");
    EXPECT_EQ(GetCultureDisplayName(L"fi-FI"), L"Suomi (Suomi)");
}

TEST(CultureDisplayName, NonAsciiRowsHaveTheirExactCharacters) {
    EXPECT_EQ(GetCultureDisplayName(L"cs-CZ"), FromUtf8("Čeština (Česká republika)"));
    EXPECT_EQ(GetCultureDisplayName(L"el-GR"), FromUtf8("Ελληνικά (Ελλάδα)"));
    EXPECT_EQ(GetCultureDisplayName(L"nb-NO"), FromUtf8("Norsk, bokmål (Norge)"));
    EXPECT_EQ(GetCultureDisplayName(L"tr-TR"), FromUtf8("Türkçe (Türkiye)"));
    EXPECT_EQ(GetCultureDisplayName(L"ko-KR"), FromUtf8("한국어 (대한민국)"));
    EXPECT_EQ(GetCultureDisplayName(L"zh-CN"), FromUtf8("中文(简体)"));
    EXPECT_EQ(GetCultureDisplayName(L"zh-TW"), FromUtf8("中文(繁體)"));
}

TEST(CultureDisplayName, RussianBeginsWithLatinP) {
    const std::wstring name = GetCultureDisplayName(L"ru-RU");
    EXPECT_EQ(name, FromUtf8("P\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9 (Россия)"));
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(static_cast<unsigned>(name[0]), 0x50u);
    EXPECT_EQ(static_cast<unsigned>(name[1]), 0x443u);  // then Cyrillic
}

TEST(CultureDisplayName, IgnoresCase) {
    EXPECT_EQ(GetCultureDisplayName(L"DE-de"), L"Deutsch (Deutschland)");
    EXPECT_EQ(GetCultureDisplayName(L"en-ii"), L"English (international)");
}

TEST(CultureDisplayName, EmptyForUnknownCultures) {
    EXPECT_EQ(GetCultureDisplayName(L""), L"");
    EXPECT_EQ(GetCultureDisplayName(L"de"), L"");
    EXPECT_EQ(GetCultureDisplayName(L"de-AT"), L"");
    EXPECT_EQ(GetCultureDisplayName(L"zh-Hant"), L"");
    EXPECT_EQ(GetCultureDisplayName(L"de-DE "), L"");
}

// --- The tables themselves ---

TEST(CultureTables, DisplayNamesAreUniqueAndNotEmpty) {
    std::set<std::wstring, riviru::wstring_iless> seen;
    for (const auto& row : riviru::kCultureDisplayNames) {
        EXPECT_FALSE(row.displayName.empty()) << riviru::EncodeUtf8(row.culture);
        EXPECT_TRUE(seen.insert(std::wstring(row.culture)).second) << riviru::EncodeUtf8(row.culture);
        EXPECT_EQ(GetCultureDisplayName(row.culture), row.displayName);
    }
    EXPECT_EQ(seen.size(), std::size_t{28});
}

TEST(CultureTables, EveryAliasLeadsToANamedCulture) {
    std::set<std::wstring, riviru::wstring_iless> seen;
    for (const auto& row : riviru::kCultureAliases) {
        EXPECT_TRUE(seen.insert(std::wstring(row.key)).second) << riviru::EncodeUtf8(row.key);
        EXPECT_FALSE(GetCultureDisplayName(row.culture).empty()) << riviru::EncodeUtf8(row.culture);
        EXPECT_EQ(GetCanonicalCulture(row.key), row.culture);
    }
    EXPECT_EQ(seen.size(), std::size_t{15});
}

}  // namespace
