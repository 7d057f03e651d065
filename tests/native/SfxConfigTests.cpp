#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "sfx/SfxConfig.h"

namespace {

sfx::SfxConfig Parsed(const std::wstring& text) {
    sfx::SfxConfig config;
    config.Parse(text);
    return config;
}

constexpr wchar_t kMissing[] = L"<missing>";

struct ValueCase {
    const wchar_t* line;
    const wchar_t* key;
    const wchar_t* expected;  // kMissing: the key is not there
};

class SfxConfigValueTest : public ::testing::TestWithParam<ValueCase> {};

// Each line is parsed alone, so it lands in the unnamed section.
TEST_P(SfxConfigValueTest, ParsesLine) {
    const auto& c = GetParam();
    EXPECT_EQ(Parsed(c.line).GetValue(L"", c.key, kMissing), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SfxConfigValueTest,
    ::testing::Values(ValueCase{L"  Key \t=  \"quoted value\"  ", L"Key", L"quoted value"},
                      ValueCase{L"Key=\"\"", L"Key", L""},  // empty, not the default
                      ValueCase{L"Key=", L"Key", L""}, ValueCase{L"Key=\"", L"Key", L""},
                      ValueCase{L"Key=\"abc", L"Key", L"\"abc"}, ValueCase{L"Key=abc\"", L"Key", L"abc\""},
                      ValueCase{L"Key=\"a\"b\"", L"Key", L"a\"b"},
                      ValueCase{L"Key=\"\"x\"\"", L"Key", L"\"x\""},  // one pair only
                      ValueCase{L"Key=\" padded \"", L"Key", L" padded "},
                      ValueCase{L"Key=a=b", L"Key", L"a=b"},
                      ValueCase{L"Key = setup.exe /q \"x\"", L"Key", L"setup.exe /q \"x\""},
                      ValueCase{L";Key=1", L"Key", kMissing},  // comment
                      ValueCase{L" ;Key=1", L";Key", L"1"},    // blank first: a pair
                      ValueCase{L"[a=b]", L"[a", L"b]"},       // '=' makes it a pair
                      ValueCase{L"=value", L"", L"value"}, ValueCase{L"Key==", L"Key", L"="}));

TEST(SfxConfig, LineEnds) {
    const auto config = Parsed(L"a=1\rb=2\nc=3\r\nd=4\n\re=5\r\r\n\n\rf=6");
    const wchar_t* const keys[] = {L"a", L"b", L"c", L"d", L"e", L"f"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(config.GetValue(L"", keys[i], kMissing), std::to_wstring(i + 1)) << keys[i];
    }
    // A line end never becomes part of a value.
    EXPECT_EQ(Parsed(L"k=v\r\n").GetValue(L"", L"k", kMissing), L"v");
}

TEST(SfxConfig, SectionHeaders) {
    const auto config = Parsed(
        L"top=0\n"
        L"[  main  ]\n"
        L"k=1\n"
        L"[a]b]\n"
        L"k=2\n"
        L"prefix [inner] suffix\n"
        L"k=3\n"
        L"]no[\n"  // no ']' after the first '[': ignored, the section stays
        L"not a header\n"
        L"k2=4\n"
        L"[empty]\n");
    EXPECT_EQ(config.GetSectionNames(),
              (std::vector<std::wstring>{L"", L"main", L"a]b", L"inner", L"empty"}));
    EXPECT_EQ(config.GetValue(L"", L"top", kMissing), L"0");
    EXPECT_EQ(config.GetValue(L"main", L"k", kMissing), L"1");
    EXPECT_EQ(config.GetValue(L"main", L"top", kMissing), kMissing);
    EXPECT_EQ(config.GetValue(L"a]b", L"k", kMissing), L"2");
    EXPECT_EQ(config.GetValue(L"inner", L"k", kMissing), L"3");
    EXPECT_EQ(config.GetValue(L"inner", L"k2", kMissing), L"4");
    EXPECT_TRUE(config.HasSection(L"EMPTY"));
    EXPECT_FALSE(config.HasSection(L"other"));
}

TEST(SfxConfig, NoUnnamedSectionWithoutPairsBeforeFirstHeader) {
    const auto config = Parsed(L"; comment\n\n[LANG_de-DE]\n[LANG_en-US]\n");
    EXPECT_EQ(config.GetSectionNames(), (std::vector<std::wstring>{L"LANG_de-DE", L"LANG_en-US"}));
    EXPECT_TRUE(Parsed(L"").GetSectionNames().empty());
}

TEST(SfxConfig, NamesIgnoreCaseAndFirstAppearanceFixesOrderAndSpelling) {
    const auto config = Parsed(
        L"[MAIN]\n"
        L"setupfilename=a.exe\n"
        L"[LANG_DE-de]\n"
        L"ProductName=Studio\n"
        L"[Main]\n"
        L"SETUPFILENAME=b.exe\n"
        L"SetupParams=/x\n"
        L"[lang_de-DE]\n"
        L"ProgressTitle=T\n");
    EXPECT_EQ(config.GetSectionNames(), (std::vector<std::wstring>{L"MAIN", L"LANG_DE-de"}));
    EXPECT_EQ(config.GetValue(L"main", L"SetupFileName", kMissing), L"b.exe");  // later key replaces
    EXPECT_EQ(config.GetValue(L"main", L"setupparams", kMissing), L"/x");
    EXPECT_EQ(config.GetValue(L"LANG_de-de", L"ProductName", kMissing), L"Studio");
    EXPECT_EQ(config.GetValue(L"LANG_de-de", L"progresstitle", kMissing), L"T");
    EXPECT_EQ(config.GetValue(L"missing", L"ProductName", L"dflt"), L"dflt");
}

TEST(SfxConfig, ParseAddsToEarlierContent) {
    sfx::SfxConfig config;
    config.Parse(L"[main]\na=1\n");
    config.Parse(L"b=2\n[main]\nA=3\n");
    EXPECT_EQ(config.GetSectionNames(), (std::vector<std::wstring>{L"main", L""}));
    EXPECT_EQ(config.GetValue(L"main", L"a", kMissing), L"3");
    EXPECT_EQ(config.GetValue(L"", L"b", kMissing), L"2");  // a new text starts unnamed
}

struct IntCase {
    const wchar_t* text;  // nullptr: no such key
    std::int32_t expected;
};

class SfxConfigIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(SfxConfigIntTest, ReadsLikePercentD) {
    const auto& c = GetParam();
    const auto config = Parsed(c.text ? std::wstring(L"[main]\nKey=") + c.text : std::wstring(L"[main]"));
    EXPECT_EQ(config.GetInt(L"main", L"Key", 7), c.expected) << (c.text ? c.text : L"(missing)");
}

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Values, SfxConfigIntTest,
    ::testing::Values(IntCase{nullptr, 7}, IntCase{L"", 7}, IntCase{L"\"\"", 7}, IntCase{L"0", 0},
                      IntCase{L"2", 2}, IntCase{L"-17", -17}, IntCase{L"+5", 5}, IntCase{L"\" \t 12\"", 12},
                      IntCase{L"\"  -3x\"", -3}, IntCase{L"2abc", 2}, IntCase{L"yes", 0}, IntCase{L"+", 0},
                      IntCase{L"- 5", 0}, IntCase{L"--5", 0}, IntCase{L"0x10", 0}, IntCase{L"007", 7},
                      IntCase{L"1.9", 1}, IntCase{L"2147483647", kMax}, IntCase{L"-2147483648", kMin},
                      IntCase{L"2147483648", kMax}, IntCase{L"-2147483649", kMin},
                      IntCase{L"99999999999999999999999", kMax}, IntCase{L"-99999999999999999999999", kMin},
                      IntCase{L"\x0663", 0}));  // only ASCII digits count

}  // namespace
