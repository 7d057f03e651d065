// The data trailer, the file-name token, stamped values and the values file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DataTrailer.h"
#include "sfx/ForwardedValues.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16Le(const std::wstring& text) {
    Bytes bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Trailer(const std::wstring& data) {
    return Utf16Le(L"##DATA##" + data + L"##ENDDATA##");
}

struct ParseResult {
    riviru::HResult hr;
    sfx::SetupValueMap values;
};

ParseResult Parse(const Bytes& bytes) {
    ParseResult result;
    result.values[L"stale"] = L"entry";
    result.hr = sfx::ParseDataTrailer(bytes.data(), bytes.size(), result.values);
    return result;
}

}  // namespace

TEST(StubDataTrailer, ItemsAreSplitAndDecoded) {
    const struct {
        const wchar_t* data;
        sfx::SetupValueMap expected;
    } cases[] = {
        // The empty item and the bare word stay as empty values until the
        // reader removes empty values.
        {L"a=1&b=x%26y&&z", {{L"a", L"1"}, {L"b", L"x&y"}, {L"", L""}, {L"z", L""}}},
        {L"", {}},
        {L"k=v&", {{L"k", L"v"}}},
        {L"&k=v", {{L"", L""}, {L"k", L"v"}}},
        {L"k=a=b", {{L"k", L"a=b"}}},
        {L"k%3D1=v%3d", {{L"k=1", L"v="}}},
        {L"k=1&k=2", {{L"k", L"2"}}},
        {L"k=a+b%20c", {{L"k", L"a+b c"}}},
        // Of the two characters after "%", the leading hex digits make the unit.
        {L"k=%4g.", {{L"k", std::wstring(L"\x04.")}}},
        {L"k=%zz.", {{L"k", std::wstring(1, L'\0') + L"."}}},
        {L"k=%FF", {{L"k", L"\xFF"}}},
        {L"k=\x263A\x00E9", {{L"k", L"\x263A\x00E9"}}},
    };
    for (const auto& c : cases) {
        const ParseResult result = Parse(Trailer(c.data));
        EXPECT_EQ(result.hr, riviru::kOk) << c.data;
        EXPECT_EQ(result.values, c.expected) << c.data;
    }
}

TEST(StubDataTrailer, CutEscapeFailsAndKeepsTheEntriesBeforeIt) {
    const struct {
        const wchar_t* data;
        sfx::SetupValueMap kept;
    } cases[] = {
        {L"a=1&b=%4", {{L"a", L"1"}}},
        {L"a=1&b=%", {{L"a", L"1"}}},
        {L"a=1&b%=2&c=3", {{L"a", L"1"}}},
        {L"%", {}},
    };
    for (const auto& c : cases) {
        const ParseResult result = Parse(Trailer(c.data));
        EXPECT_EQ(result.hr, riviru::kInvalidData) << c.data;
        EXPECT_EQ(result.values, c.kept) << c.data;
    }
}

TEST(StubDataTrailer, MarkersAreFoundAnywhereInTheBuffer) {
    const Bytes junk = {0x00, 0x23, 0x00, 0x41, 0xFF};
    const struct {
        const char* name;
        Bytes bytes;
        riviru::HResult hr;
        sfx::SetupValueMap values;
    } cases[] = {
        {"odd offset", Concat({junk, Trailer(L"a=1"), junk}), riviru::kOk, {{L"a", L"1"}}},
        {"first start marker wins", Concat({Trailer(L"a=1"), Trailer(L"b=2")}), riviru::kOk, {{L"a", L"1"}}},
        {"no start marker", Utf16Le(L"#DATA#a=1##ENDDATA##"), sfx::kNoMoreItems, {}},
        {"no end marker", Utf16Le(L"##DATA##a=1##ENDDATA#"), riviru::kInvalidData, {}},
        {"end marker only before the start", Utf16Le(L"##ENDDATA####DATA##a=1"), riviru::kInvalidData, {}},
        {"empty buffer", {}, sfx::kNoMoreItems, {}},
        {"ASCII markers", Bytes({'#', '#', 'D', 'A', 'T', 'A', '#', '#'}), sfx::kNoMoreItems, {}},
    };
    for (const auto& c : cases) {
        const ParseResult result = Parse(c.bytes);
        EXPECT_EQ(result.hr, c.hr) << c.name;
        EXPECT_EQ(result.values, c.values) << c.name;
    }
}

// The packaging tool writes trailers and reads them back as the stub must.
TEST(StubDataTrailer, ReadsWhatThePackagingToolWrites) {
    const std::vector<sfxpack::DataTrailerItem> items = {
        {L"KVRID", L"abc"}, {L"p%ct", L"a&b=c"}, {L"empty", L""}, {L"\x263A", L"x\x00E9"}};
    const Bytes bytes = Concat({Bytes(100, 0x5A), sfxpack::EncodeDataTrailer(items)});
    sfx::SetupValueMap values;
    ASSERT_EQ(sfx::ParseDataTrailer(bytes.data(), bytes.size(), values), riviru::kOk);
    const auto found = sfxpack::FindDataTrailer(bytes.data(), bytes.size());
    ASSERT_TRUE(found && found->complete);
    sfx::SetupValueMap expected(found->items.begin(), found->items.end());
    EXPECT_EQ(values, expected);
    EXPECT_EQ(values.at(L"p%ct"), L"a&b=c");
}

TEST(FileNameToken, MatchesTheLastQualifyingPhOfTheBaseName) {
    const struct {
        const wchar_t* path;
        const wchar_t* token;  // nullptr: none
    } cases[] = {
        {L"C:\\dl\\setup--phAbCdEf0123456789.exe", L"AbCdEf0123456789"},
        {L"setup--phAbCdEf0123456789.exe", L"AbCdEf0123456789"},
        {L"C:\\dl\\setup--phAbCdEf01234567890.exe", nullptr},  // 17 letters and digits
        {L"C:\\dl\\setup--phAbCdEf012345678.exe", nullptr},    // 15
        {L"C:\\dl\\setup--phAbCdEf0123456789(1).exe", L"AbCdEf0123456789"},
        {L"C:\\dl\\setup--phAbCdEf0123456789 (2).exe", L"AbCdEf0123456789"},
        {L"C:\\dl\\a--ph1111111111111111_b--ph2222222222222222.exe", L"2222222222222222"},
        // The last "--ph" does not qualify, an earlier one does.
        {L"C:\\dl\\a--ph1111111111111111_b--phshort.exe", L"1111111111111111"},
        {L"C:\\dl\\setup--PHAbCdEf0123456789.exe", nullptr},  // case-sensitive
        {L"C:\\dl\\setup-phAbCdEf0123456789.exe", nullptr},
        {L"C:\\dl\\setup--phAbCdEf01234567_9.exe", nullptr},
        // Only the base name counts: folders and the extension are cut off.
        {L"C:\\x--phAbCdEf0123456789\\setup.exe", nullptr},
        {L"C:\\dl\\setup.--phAbCdEf0123456789", nullptr},
        {L"C:\\dl\\setup--phAbCdEf0123456789.v2.exe", L"AbCdEf0123456789"},
        // A file name without a dot has an empty base name.
        {L"C:\\dl\\setup--phAbCdEf0123456789", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        const auto token = sfx::FileNameToken(c.path);
        if (c.token == nullptr) {
            EXPECT_FALSE(token) << c.path;
        } else {
            ASSERT_TRUE(token) << c.path;
            EXPECT_EQ(*token, c.token) << c.path;
        }
    }
}

TEST(StampedResources, NamesBeginWithKvrOrKvUnderscore) {
    const struct {
        const wchar_t* name;
        bool stamped;
    } cases[] = {{L"KVRID", true}, {L"KVRID2", true}, {L"KV_ZORBIX_PHASH", true}, {L"KVR", true},
                 {L"KV_", true},   {L"kvrid", false}, {L"_KVR_VERIFY", false},    {L"KV", false},
                 {L"KVX", false},  {L"", false}};
    for (const auto& c : cases) EXPECT_EQ(sfx::IsStampedResourceName(c.name), c.stamped) << c.name;
}

TEST(StampedResources, ValueIsUtf8UpToTheFirstZeroByte) {
    const struct {
        const char* name;
        std::string bytes;
        std::wstring value;
    } cases[] = {
        {"zero-filled", std::string(256, '\0'), L""},
        {"padded", std::string("id-42\0\0\0", 8), L"id-42"},
        {"cut at first zero", std::string("ab\0cd", 5), L"ab"},
        {"fills the resource", "abcdefgh", L"abcdefgh"},
        {"UTF-8", "\xC3\xA9\xE2\x98\xBA", L"\x00E9\x263A"},
        {"not UTF-8", "a\xFF", L""},
        {"empty", "", L""},
    };
    for (const auto& c : cases) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(c.bytes.data());
        EXPECT_EQ(sfx::StampedResourceValue(data, c.bytes.size()), c.value) << c.name;
    }
}

TEST(SetupValuesFile, OneUtf8LinePerEntryInCodeUnitOrder) {
    const sfx::SetupValueMap values = {{L"b", L"2"},
                                       {L"KVRID2", L"AbCdEf0123456789"},
                                       {L"a", L"x=y"},
                                       {L"B", L"caps first"},
                                       {L"\x00E9", L"\x263A"}};
    EXPECT_EQ(sfx::FormatSetupValues(values),
              "B=caps first\r\nKVRID2=AbCdEf0123456789\r\na=x=y\r\nb=2\r\n\xC3\xA9=\xE2\x98\xBA\r\n");
    EXPECT_EQ(sfx::FormatSetupValues({}), "");
}

TEST(SetupValuesFile, EntriesWithLineBreaksAreLeftOut) {
    const sfx::SetupValueMap values = {{L"a", L"1\r\n2"}, {L"b", L"ok"},  {L"c", L"x\n"},
                                       {L"d\r", L"y"},    {L"e", L"\rz"}, {L"f", L""}};
    EXPECT_EQ(sfx::FormatSetupValues(values), "b=ok\r\nf=\r\n");
}
