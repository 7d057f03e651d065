#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/setup/InstallStringResources.h"
#include "riviru/localization/ExpandPlaceholders.h"
#include "riviru/localization/MemStringResources.h"
#include "riviru/localization/StringILess.h"

namespace {

using riviru::CultureSet;
using riviru::StringMap;

// Gives fixed texts per culture and counts its loads; fails for one culture,
// after having written into the map, to show that partial results are dropped.
class FakeLoader : public riviru::IStringResourceLoader {
public:
    std::map<std::wstring, StringMap> texts;
    CultureSet cultures;
    std::wstring failingCulture = L"xx-FAIL";
    int loads = 0;

    CultureSet GetAllCultures() override { return cultures; }

    void LoadStrings(StringMap& strings, const std::wstring& cultureName) override {
        ++loads;
        if (cultureName == failingCulture) {
            strings[L"Partial"] = L"written before the failure";
            throw std::logic_error("loader failed");
        }
        for (const auto& [id, text] : texts[cultureName]) strings[id] = text;
    }
};

std::shared_ptr<FakeLoader> MakeLoader() {
    auto loader = std::make_shared<FakeLoader>();
    loader->texts[L"de-DE"] = {{L"Yes", L"&Ja"}, {L"No", L"&Nein"}};
    loader->texts[L"en-US"] = {{L"Yes", L"&Yes"}};
    return loader;
}

TEST(MemStringResources, MissingIdYieldsEmptyText) {
    riviru::MemStringResources table;
    EXPECT_EQ(table.GetString(L"Nothing"), L"");
    table.AddLoader(MakeLoader());
    table.Load(L"de-DE");
    EXPECT_EQ(table.GetString(L"Yes"), L"&Ja");
    EXPECT_EQ(table.GetString(L"Missing"), L"");
    EXPECT_EQ(table.GetString(L"yes"), L"");  // ids are case-sensitive
}

TEST(MemStringResources, NoLoaderErrors) {
    riviru::MemStringResources table;
    table.AddLoader(nullptr);  // ignored
    EXPECT_TRUE(table.GetLoaders().empty());
    try {
        table.Load(L"de-DE");
        FAIL() << "Load without loader must throw";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot load string resources: No resource loader defined");
    }
    try {
        (void)table.GetAllCultures();
        FAIL() << "GetAllCultures without loader must throw";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot get available cultures: No resource loader defined");
    }
}

TEST(MemStringResources, LoadOfCurrentCultureDoesNothingButOtherCaseReloads) {
    riviru::MemStringResources table;
    const auto loader = MakeLoader();
    table.AddLoader(loader);
    table.Load(L"de-DE");
    table.SetString(L"Extra", L"kept");
    table.Load(L"de-DE");
    EXPECT_EQ(loader->loads, 1);
    EXPECT_EQ(table.GetString(L"Extra"), L"kept");

    table.Load(L"DE-de");
    EXPECT_EQ(loader->loads, 2);
    EXPECT_EQ(table.GetCulture(), L"DE-de");
    EXPECT_EQ(table.GetString(L"Extra"), L"");
}

TEST(MemStringResources, EmptyTableLoadsEvenForCurrentCulture) {
    riviru::MemStringResources table;
    const auto loader = MakeLoader();
    table.AddLoader(loader);
    table.Load(L"de-DE");
    table.Unload();
    EXPECT_TRUE(table.GetAllIds().empty());
    EXPECT_EQ(table.GetCulture(), L"de-DE");  // Unload keeps the culture
    table.Load(L"de-DE");
    EXPECT_EQ(loader->loads, 2);
    EXPECT_EQ(table.GetString(L"No"), L"&Nein");
}

TEST(MemStringResources, FailingLoadKeepsOldTextsAndCulture) {
    riviru::MemStringResources table;
    table.AddLoader(MakeLoader());
    table.Load(L"de-DE");
    table.SetString(L"Override", L"mine");
    try {
        table.Load(L"xx-FAIL");
        FAIL() << "the loader's error must reach the caller";
    } catch (const std::logic_error& e) {  // unchanged type and text
        EXPECT_STREQ(e.what(), "loader failed");
    }
    EXPECT_EQ(table.GetCulture(), L"de-DE");
    EXPECT_EQ(table.GetString(L"Yes"), L"&Ja");
    EXPECT_EQ(table.GetString(L"Override"), L"mine");
    EXPECT_EQ(table.GetString(L"Partial"), L"");
    EXPECT_EQ(table.GetAllIds(), (riviru::StringIdSet{L"Yes", L"No", L"Override"}));
}

TEST(MemStringResources, FailureOfLaterLoaderDiscardsEarlierLoadersWork) {
    riviru::MemStringResources table;
    const auto first = MakeLoader();
    const auto second = MakeLoader();
    first->texts[L"fr-FR"] = {{L"Yes", L"&Oui"}};
    second->failingCulture = L"fr-FR";
    table.AddLoader(first);
    table.AddLoader(second);
    table.Load(L"en-US");
    EXPECT_THROW(table.Load(L"fr-FR"), std::logic_error);
    EXPECT_EQ(table.GetString(L"Yes"), L"&Yes");
    EXPECT_EQ(table.GetCulture(), L"en-US");
}

TEST(MemStringResources, LaterLoaderWins) {
    riviru::MemStringResources table;
    const auto first = MakeLoader();
    const auto second = std::make_shared<FakeLoader>();
    second->texts[L"de-DE"] = {{L"Yes", L"&Jawohl"}};
    table.AddLoader(first);
    table.AddLoader(second);
    ASSERT_EQ(table.GetLoaders().size(), 2u);
    EXPECT_EQ(table.GetLoaders()[0], first);
    table.Load(L"de-DE");
    EXPECT_EQ(table.GetString(L"Yes"), L"&Jawohl");
    EXPECT_EQ(table.GetString(L"No"), L"&Nein");  // only the first loader knows it
}

TEST(MemStringResources, SetStringIsLostAfterLoadOfAnotherCulture) {
    riviru::MemStringResources table;
    table.AddLoader(MakeLoader());
    table.Load(L"de-DE");
    table.SetString(L"Yes", L"&Freilich");
    table.SetString(L"SfxProgressTitle", L"Custom");
    EXPECT_EQ(table.GetString(L"Yes"), L"&Freilich");
    EXPECT_EQ(table.GetCulture(), L"de-DE");
    table.Load(L"en-US");
    EXPECT_EQ(table.GetString(L"Yes"), L"&Yes");
    EXPECT_EQ(table.GetString(L"SfxProgressTitle"), L"");
}

TEST(MemStringResources, ClearLoadersKeepsStringsAndCulture) {
    riviru::MemStringResources table;
    table.AddLoader(MakeLoader());
    table.Load(L"de-DE");
    table.ClearLoaders();
    EXPECT_TRUE(table.GetLoaders().empty());
    EXPECT_EQ(table.GetString(L"Yes"), L"&Ja");
    EXPECT_EQ(table.GetCulture(), L"de-DE");
    // Same culture with strings present: no loader is needed.
    EXPECT_NO_THROW(table.Load(L"de-DE"));
    EXPECT_THROW(table.Load(L"en-US"), std::runtime_error);
}

TEST(MemStringResources, GetAllCulturesUnitesIgnoringCase) {
    riviru::MemStringResources table;
    const auto first = MakeLoader();
    const auto second = MakeLoader();
    first->cultures = {L"de-DE", L"en-US"};
    second->cultures = {L"DE-de", L"fr-FR", L"EN-us"};
    table.AddLoader(first);
    table.AddLoader(second);
    const CultureSet all = table.GetAllCultures();
    EXPECT_EQ(std::vector<std::wstring>(all.begin(), all.end()),
              (std::vector<std::wstring>{L"de-DE", L"en-US", L"fr-FR"}));
}

TEST(StringILess, IgnoresCaseOfAsciiAndOtherLetters) {
    const riviru::wstring_iless less;
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
    };
    const Case same[] = {
        {L"en-US", L"EN-us"},
        {L"zh-Hans", L"ZH-HANS"},
        {L"\u00C4\u00D6\u00DC\u00C0", L"\u00E4\u00F6\u00FC\u00E0"},  // Latin-1
        {L"\u0158\u0141\u017D\u0178", L"\u0159\u0142\u017E\u00FF"},  // Latin Extended-A
        {L"\u0395\u039B\u0386", L"\u03B5\u03BB\u03AC"},              // Greek
        {L"\u0420\u0401", L"\u0440\u0451"},                          // Cyrillic
    };
    for (const auto& c : same) {
        EXPECT_FALSE(less(c.a, c.b)) << static_cast<const void*>(c.a);
        EXPECT_FALSE(less(c.b, c.a)) << static_cast<const void*>(c.a);
    }
    const Case ordered[] = {
        {L"a", L"B"},      {L"B", L"c"},           {L"de", L"de-DE"},
        {L"", L"a"},       {L"\u00D7", L"\u00F7"},  // the signs are not letters
        {L"z", L"\u00C0"},
    };
    for (const auto& c : ordered) {
        EXPECT_TRUE(less(c.a, c.b)) << static_cast<const void*>(c.a);
        EXPECT_FALSE(less(c.b, c.a)) << static_cast<const void*>(c.a);
    }
    // Letters that only look alike stay apart: U+00DF is not "ss", U+0131 is not "I".
    EXPECT_TRUE(less(L"\u00DF", L"ss") || less(L"ss", L"\u00DF"));
    EXPECT_TRUE(less(L"I", L"\u0131") || less(L"\u0131", L"I"));
}

struct ExpandCase {
    const wchar_t* text;
    const wchar_t* expected;
};

class ExpandPlaceholdersTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandPlaceholdersTest, Expands) {
    const riviru::PropertyMap properties = {
        {L"ProductName", L"Studio"},  {L"Kv.Related_2", L"related"},
        {L"Inner", L"[ProductName]"}, {L"Empty", L""},
        {L"_x", L"underscore"},
    };
    EXPECT_EQ(riviru::ExpandPlaceholders(GetParam().text, properties, riviru::SharedPlaceholderPattern()),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandPlaceholdersTest,
    ::testing::Values(ExpandCase{L"[ProductName] Setup", L"Studio Setup"},
                      ExpandCase{L"[Unknown] Setup", L"[Unknown] Setup"},
                      ExpandCase{L"[Inner]", L"[ProductName]"},  // no second pass
                      ExpandCase{L"[1] [ Name] [Name [a-b]", L"[1] [ Name] [Name [a-b]"},
                      ExpandCase{L"[ProductName ] [ProductName", L"[ProductName ] [ProductName"},
                      ExpandCase{L"[[ProductName]]", L"[Studio]"}, ExpandCase{L"[Kv.Related_2]", L"related"},
                      ExpandCase{L"[productname]", L"[productname]"},
                      ExpandCase{L"[_x][ProductName]", L"underscoreStudio"}, ExpandCase{L"a[Empty]b", L"ab"},
                      ExpandCase{L"[Pro[ProductName]]x", L"[ProStudio]x"},
                      ExpandCase{L"\xD83D\xDE00 [ProductName] \u00E9", L"\xD83D\xDE00 Studio \u00E9"},
                      ExpandCase{L"no placeholder", L"no placeholder"}, ExpandCase{L"", L""}));

TEST(ExpandPlaceholders, PatternSourceAndSharedInstance) {
    EXPECT_EQ(std::wcslen(riviru::kPlaceholderPattern), 31u);
    EXPECT_EQ(&riviru::SharedPlaceholderPattern(), &riviru::SharedPlaceholderPattern());
    const boost::wregex own = riviru::CompilePlaceholderPattern();
    EXPECT_EQ(riviru::ExpandPlaceholders(L"[A.b] [9]", {{L"A.b", L"x"}, {L"9", L"y"}}, own), L"x [9]");
}

TEST(InstallStringResources, ExpandsPropertiesAtLookup) {
    kvmsi::InstallStringResources table;
    table.AddLoader(MakeLoader());
    table.Load(L"de-DE");
    table.SetString(L"Title", L"[ProductName] Setup");
    EXPECT_EQ(table.GetString(L"Title"), L"[ProductName] Setup");

    table.SetProperty(L"ProductName", L"Studio");
    const riviru::IStringResources& asInterface = table;
    EXPECT_EQ(asInterface.GetString(L"Title"), L"Studio Setup");  // the const wchar_t* form
    EXPECT_EQ(asInterface.GetString(std::wstring(L"Title")), L"Studio Setup");
    EXPECT_EQ(table.GetString(L"Missing"), L"");

    table.SetProperty(L"ProductName", L"[ProductName]");
    EXPECT_EQ(table.GetString(L"Title"), L"[ProductName] Setup");
    table.SetProperties({{L"productname", L"lower"}});
    EXPECT_EQ(table.GetString(L"Title"), L"[ProductName] Setup");
    EXPECT_EQ(table.GetProperties().size(), 1u);
}


}  // namespace
