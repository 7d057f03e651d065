#include <gtest/gtest.h>

#include "riviru/text/Utf.h"

TEST(Utf8, RoundTripsSurrogatePairs) {
    const auto decoded = riviru::DecodeUtf8("a\xF0\x9F\x98\x80");
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 3u);
    EXPECT_EQ((*decoded)[1], static_cast<wchar_t>(0xD83D));
    EXPECT_EQ((*decoded)[2], static_cast<wchar_t>(0xDE00));
    EXPECT_EQ(riviru::EncodeUtf8(*decoded), "a\xF0\x9F\x98\x80");
}
