// The XML string-table loader over the tests' own tables (TestStrings.rc:
// English 9, German 1031, Japanese 1041), alone and inside a string table.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>

#include <boost/exception/get_error_info.hpp>

#include "riviru/errors/ErrorInfo.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/localization/MemStringResources.h"
#include "riviru/localization/XmlStringResourcesLoader.h"
#include "riviru/resources/AppResourceError.h"

namespace {

using riviru::AppResourceError;
using riviru::StringMap;
using riviru::XmlAppStringResourceLoader;

std::wstring OwnFileName() {
    wchar_t buffer[520];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 520);
    return std::wstring(buffer, length);
}

// What mlang makes of a culture name on this system, 0 for nothing. Wine's
// mlang knows only bare language names ("de" gives 1031, "de-DE" fails),
// Windows' the full tags; the tests take the name that works here.
LCID MlangLcid(const std::wstring& culture) {
    const HMODULE mlang = LoadLibraryExW(L"mlang.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!mlang) return 0;
    using Convert = HRESULT(WINAPI*)(LCID*, LPCWSTR);
    const auto convert =
        reinterpret_cast<Convert>(reinterpret_cast<void (*)()>(GetProcAddress(mlang, "Rfc1766ToLcidW")));
    LCID lcid = 0;
    if (!convert || FAILED(convert(&lcid, culture.c_str()))) lcid = 0;
    FreeLibrary(mlang);
    return lcid;
}

// The first name that mlang turns into the language, or empty.
std::wstring CultureFor(LANGID language, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) {
        if (LANGIDFROMLCID(MlangLcid(name)) == language) return name;
    }
    return std::wstring();
}

// A name that mlang turns into a language none of the test tables serves.
std::wstring UnservedCulture(LANGID& language) {
    for (const wchar_t* name : {L"fr-FR", L"fr", L"ru-RU", L"ru"}) {
        language = LANGIDFROMLCID(MlangLcid(name));
        if (language != 0) return name;
    }
    return std::wstring();
}

StringMap Load(const std::wstring& culture) {
    XmlAppStringResourceLoader loader;
    StringMap strings;
    loader.LoadStrings(strings, culture);
    return strings;
}

TEST(XmlAppStringResourceLoader, DefaultMembers) {
    const XmlAppStringResourceLoader loader;
    EXPECT_EQ(loader.RootElement(), L"");
    EXPECT_EQ(loader.Location().module, GetModuleHandleW(nullptr));
    EXPECT_EQ(loader.Location().type.ToString(), L"KV_XML_STRING");
    EXPECT_EQ(loader.Location().name.ToString(), L"#1");
    EXPECT_FALSE(loader.Location().hasLanguage);
}

TEST(XmlAppStringResourceLoader, GetAllCulturesIsNotImplemented) {
    XmlAppStringResourceLoader loader;
    try {
        loader.GetAllCultures();
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot get available cultures: Function not implemented yet");
    }
}

TEST(XmlAppStringResourceLoader, LoadsTheGermanTable) {
    const std::wstring culture = CultureFor(1031, {L"de-DE", L"de"});
    if (culture.empty()) GTEST_SKIP() << "mlang knows no name for 1031";
    const StringMap strings = Load(culture);
    EXPECT_EQ(strings.at(L"TestLanguage"), L"Deutsch");
    EXPECT_EQ(strings.at(L"Yes"), L"&Ja");
    EXPECT_EQ(strings.at(L"VerifyCancel"), L"M\u00F6chten Sie die Installation wirklich abbrechen?");
    EXPECT_EQ(strings.at(L"ErrorSize"),
              L"Erwartete Dateigr\u00F6\u00DFe: %I64d\nTats\u00E4chliche Dateigr\u00F6\u00DFe: %I64d");
}

TEST(XmlAppStringResourceLoader, LoadsTheJapaneseTable) {
    const std::wstring culture = CultureFor(1041, {L"ja-JP", L"ja"});
    if (culture.empty()) GTEST_SKIP() << "mlang knows no name for 1041";
    const StringMap strings = Load(culture);
    EXPECT_EQ(strings.at(L"TestLanguage"), L"\u65E5\u672C\u8A9E");
    EXPECT_EQ(strings.at(L"Yes"), L"\u306F\u3044(&Y)");
    EXPECT_EQ(strings.at(L"Astral"), std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
}

TEST(XmlAppStringResourceLoader, CultureNamesIgnoreLetterCase) {
    const std::wstring culture = CultureFor(1031, {L"DE-de", L"DE"});
    if (culture.empty()) GTEST_SKIP() << "mlang knows no name for 1031";
    EXPECT_EQ(Load(culture).at(L"TestLanguage"), L"Deutsch");
}

TEST(XmlAppStringResourceLoader, EmptyCultureLetsTheSystemChoose) {
    const std::wstring language = Load(L"").at(L"TestLanguage");
    EXPECT_TRUE(language == L"English" || language == L"Deutsch" || language == L"\u65E5\u672C\u8A9E")
        << language;
}

TEST(XmlAppStringResourceLoader, UnknownCultureLoadsLikeTheEmptyOne) {
    EXPECT_EQ(Load(L"not a culture"), Load(L""));
}

TEST(XmlAppStringResourceLoader, AddsToTheGivenMap) {
    const std::wstring culture = CultureFor(1031, {L"de-DE", L"de"});
    if (culture.empty()) GTEST_SKIP() << "mlang knows no name for 1031";
    XmlAppStringResourceLoader loader;
    StringMap strings{{L"Yes", L"old"}, {L"Extra", L"kept"}};
    loader.LoadStrings(strings, culture);
    EXPECT_EQ(strings.at(L"Yes"), L"&Ja");
    EXPECT_EQ(strings.at(L"Extra"), L"kept");
}

TEST(XmlAppStringResourceLoader, MissingLanguageNamesTheLocation) {
    LANGID language = 0;
    const std::wstring culture = UnservedCulture(language);
    if (culture.empty()) GTEST_SKIP() << "mlang converts none of the names";
    const std::wstring location = L"\\resType:KV_XML_STRING\\resID:#1\\lcid:" + std::to_wstring(language);
    XmlAppStringResourceLoader loader;
    StringMap strings{{L"Old", L"text"}};
    try {
        loader.LoadStrings(strings, culture);
        FAIL() << "found a table for " << language;
    } catch (const AppResourceError& e) {
        EXPECT_EQ(e.code(), std::error_code(ERROR_RESOURCE_LANG_NOT_FOUND, std::system_category()));
        EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(e)->native(), OwnFileName() + location);
        const std::wstring details = riviru::ExceptionDetails();
        EXPECT_EQ(details.rfind(L"Failed to load resource.\n\nError details:\n", 0), 0u) << details;
        const std::wstring tail = L" (system:1815)\n\nPath:\n'" + OwnFileName() + location + L"'";
        ASSERT_GE(details.size(), tail.size());
        EXPECT_EQ(details.substr(details.size() - tail.size()), tail) << details;
    }
    EXPECT_EQ(strings, (StringMap{{L"Old", L"text"}}));
}

// Full tags reach their table also where mlang knows only bare language
// names: the system's own conversion stands in for it.
TEST(XmlAppStringResourceLoader, FullTagsLoadTheirLanguage) {
    EXPECT_EQ(Load(L"de-DE")[L"SfxAppTitle"], L"Setup-Selbstentpacker");
    EXPECT_EQ(Load(L"ja-JP")[L"SfxAppTitle"], L"\u30BB\u30C3\u30C8\u30A2\u30C3\u30D7");
}

TEST(XmlAppStringResourceLoader, MlangIsUnloadedAfterTheLoad) {
    if (GetModuleHandleW(L"mlang.dll")) GTEST_SKIP() << "mlang.dll is loaded by something else";
    Load(L"de-DE");
    Load(L"de");
    EXPECT_EQ(GetModuleHandleW(L"mlang.dll"), nullptr);
}

TEST(XmlAppStringResourceLoader, InAStringTable) {
    const std::wstring german = CultureFor(1031, {L"de-DE", L"de"});
    const std::wstring japanese = CultureFor(1041, {L"ja-JP", L"ja"});
    LANGID unservedLanguage = 0;
    const std::wstring unserved = UnservedCulture(unservedLanguage);
    if (german.empty() || japanese.empty() || unserved.empty()) GTEST_SKIP() << "mlang lacks the names";
    riviru::MemStringResources table;
    table.AddLoader(std::make_shared<XmlAppStringResourceLoader>());
    table.Load(german);
    EXPECT_EQ(table.GetCulture(), german);
    EXPECT_EQ(table.GetString(L"SfxAppTitle"), L"Setup-Selbstentpacker");

    // A failing load keeps the German texts and culture.
    EXPECT_THROW(table.Load(unserved), AppResourceError);
    EXPECT_EQ(table.GetCulture(), german);
    EXPECT_EQ(table.GetString(L"Yes"), L"&Ja");

    table.Load(japanese);
    EXPECT_EQ(table.GetString(L"SfxAppTitle"), L"\u30BB\u30C3\u30C8\u30A2\u30C3\u30D7");
    EXPECT_EQ(table.GetString(L"ErrorSize"), L"");
}

}  // namespace
