#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DataTrailer.h"
#include "SfxPackTestSupport.h"

namespace {

using sfxpack::DataTrailerItem;
using sfxtest::Bytes;

Bytes Utf16Le(const std::wstring& text) {
    Bytes bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(c) >> 8));
    }
    return bytes;
}

std::optional<sfxpack::FoundDataTrailer> Find(const Bytes& bytes) {
    return sfxpack::FindDataTrailer(bytes.data(), bytes.size());
}

}  // namespace

TEST(DataTrailer, EscapesOnlyPercentAmpersandAndEquals) {
    const Bytes encoded = sfxpack::EncodeDataTrailer({{L"a%b", L"c=d&e"}, {L"k=", L"\u00FC+#"}});
    EXPECT_EQ(encoded, Utf16Le(L"##DATA##a%25b=c%3Dd%26e&k%3D=\u00FC+###ENDDATA##"));
}

TEST(DataTrailer, ItemsReadBackAsWrittenBehindOtherBytes) {
    const std::vector<std::vector<DataTrailerItem>> cases = {
        {{L"KVRID", L"1234"}},
        {{L"a", L"x&y"}, {L"b%", L"100%"}, {L"c=d", L"=="}, {L"&", L"&&"}},
        {{L"Gr\u00FC\u00DFe", L"\u88FD\u54C1 \xD83D\xDE00"}, {L"empty", L""}},  // BMP, surrogate pair
        {{L"%25", L"%%41"}},                                                    // already looks escaped
        {{L"hash", L"##DATA## inside"}},
    };
    for (const auto& items : cases) {
        const Bytes encoded = sfxpack::EncodeDataTrailer(items);
        for (const std::size_t prefix : {std::size_t{0}, std::size_t{1}, std::size_t{300}}) {
            Bytes file(prefix, 0x23);  // '#' bytes before it must not confuse the search
            file.insert(file.end(), encoded.begin(), encoded.end());
            const auto found = Find(file);
            ASSERT_TRUE(found);
            EXPECT_EQ(found->offset, prefix);
            EXPECT_EQ(found->size, encoded.size());
            EXPECT_TRUE(found->complete);
            EXPECT_EQ(found->items, items);
        }
    }
}

// How the stub reads data that another tool wrote.
TEST(DataTrailer, ReadsDataTheWayTheStubDoes) {
    const struct {
        std::wstring data;
        std::vector<DataTrailerItem> items;
        bool complete;
    } cases[] = {
        {L"a=1&b=x%26y&&z", {{L"a", L"1"}, {L"b", L"x&y"}, {L"", L""}, {L"z", L""}}, true},
        {L"a=1&", {{L"a", L"1"}}, true},  // a last empty piece is dropped
        {L"&", {{L"", L""}}, true},       // a first one is not
        {L"", {}, true},
        {L"k=v=w+x", {{L"k", L"v=w+x"}}, true},
        {L"%41%62=%4g%zz", {{L"Ab", std::wstring(L"\x04") + L'\0'}}, true},  // leading hex digits only
        {L"x=1&a=%2", {{L"x", L"1"}}, false},  // a cut escape stops the parse, earlier items stay
        {L"%=1", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.data.begin(), c.data.end()));
        const auto found = Find(Utf16Le(L"##DATA##" + c.data + L"##ENDDATA##"));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->items, c.items);
        EXPECT_EQ(found->complete, c.complete);
    }
}

TEST(DataTrailer, MarkersAreSearchedAsTheStubSearchesThem) {
    EXPECT_FALSE(Find(Utf16Le(L"a=1##ENDDATA##")));
    EXPECT_FALSE(Find(sfxtest::ToBytes("##DATA##a=1##ENDDATA##")));  // 8-bit text is no trailer

    const auto unended = Find(Utf16Le(L"##DATA##a=1"));
    ASSERT_TRUE(unended);
    EXPECT_FALSE(unended->complete);
    EXPECT_EQ(unended->size, 0u);

    // The first start marker and the first end marker after it count.
    const auto first = Find(Utf16Le(L"##DATA##a=1##ENDDATA####DATA##b=2##ENDDATA##"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->offset, 0u);
    EXPECT_EQ(first->items, (std::vector<DataTrailerItem>{{L"a", L"1"}}));
    const auto cut = Find(Utf16Le(L"##DATA##a=x##ENDDATA##y##ENDDATA##"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->items, (std::vector<DataTrailerItem>{{L"a", L"x"}}));
}
