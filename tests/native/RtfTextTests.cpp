// The RTF document of the message box: composition, escaping, ready RTF and
// texts that cannot be converted.
#include <gtest/gtest.h>

#include <string>

#include "riviru/ui/RtfText.h"

using riviru::ComposeMessageRtf;
using riviru::EscapeRtfText;
using riviru::RtfNonAscii;

namespace {

// Wide strings from UTF-16 code units, so surrogates mean the same natively.
std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (const unsigned unit : units) text += static_cast<wchar_t>(unit);
    return text;
}

}  // namespace

TEST(RtfText, ComposesTitleAndTextWithEscapes) {
    const struct {
        const wchar_t* title;
        const wchar_t* text;
        const char* rtf;
    } cases[] = {
        {L"A{B}", L"x\\y", "{\\urtf{\\b A\\{B\\}}\\par\\par x\\\\y\\par  }"},
        {L"", L"Hello", "{\\urtf Hello\\par  }"},
        {L"", L"", "{\\urtf \\par  }"},
        {L"T", L"", "{\\urtf{\\b T}\\par\\par \\par  }"},
        {L"", L"a\tb\r\nc\n", "{\\urtf a\\tab b\\par c\\par \\par  }"},
        {L"", L"\r\r", "{\\urtf \\par  }"},
        // Only the exact headers mark ready RTF; anything else is escaped.
        {L"", L"{\\rtf x}", "{\\urtf \\{\\\\rtf x\\}\\par  }"},
        {L"", L" {\\rtf1 x}", "{\\urtf  \\{\\\\rtf1 x\\}\\par  }"},
        {L"", L"{\\RTF1 x}", "{\\urtf \\{\\\\RTF1 x\\}\\par  }"},
        // Link markup passes through for the text control to convert.
        {L"", L"#LINK#a#b## <LINK c|d>", "{\\urtf #LINK#a#b## <LINK c|d>\\par  }"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComposeMessageRtf(c.title, c.text), c.rtf) << "title and text: " << c.rtf;
    }
}

TEST(RtfText, ReadyRtfIsPassedUnchangedAndHidesTheTitle) {
    EXPECT_TRUE(riviru::IsRtfDocument(L"{\\rtf1\\ansi x}"));
    EXPECT_TRUE(riviru::IsRtfDocument(L"{\\urtf"));
    EXPECT_FALSE(riviru::IsRtfDocument(L"{\\urt"));
    EXPECT_EQ(ComposeMessageRtf(L"Title", L"{\\rtf1\\ansi {\\b x}\tA\\par}"),
              "{\\rtf1\\ansi {\\b x}\tA\\par}");
    EXPECT_EQ(ComposeMessageRtf(L"Title", L"{\\urtf \u00C4}"), "{\\urtf \xC3\x84}");
    EXPECT_EQ(ComposeMessageRtf(L"", L"{\\urtf \u00C4}", RtfNonAscii::UnicodeEscapes), "{\\urtf \xC3\x84}");
}

TEST(RtfText, NonAsciiIsUtf8OrSignedUnicodeEscapes) {
    const struct {
        std::wstring text;
        const char* utf8;
        const char* escaped;
    } cases[] = {
        {Units({0x7F}), "\x7F", "\x7F"},
        {Units({0xC4, '{'}), "\xC3\x84\\{", "\\u196?\\{"},
        {Units({0x20AC, '1'}),
         "\xE2\x82\xAC"
         "1",
         "\\u8364?1"},
        {Units({0x7FFF}), "\xE7\xBF\xBF", "\\u32767?"},
        {Units({0x8000}), "\xE8\x80\x80", "\\u-32768?"},
        {Units({0xFFFD}), "\xEF\xBF\xBD", "\\u-3?"},
        // A character above U+FFFF is one UTF-8 sequence, or one escape per
        // code unit of its surrogate pair.
        {Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeRtfText(c.text), c.utf8) << c.escaped;
        EXPECT_EQ(EscapeRtfText(c.text, RtfNonAscii::UnicodeEscapes), c.escaped);
    }
    EXPECT_EQ(ComposeMessageRtf(Units({0xE9}), Units({0x3B1, '\n'}), RtfNonAscii::UnicodeEscapes),
              "{\\urtf{\\b \\u233?}\\par\\par \\u945?\\par \\par  }");
}

TEST(RtfText, UnconvertibleTextGivesAnEmptyParagraph) {
    const std::wstring broken[] = {
        Units({'a', 0xD800}),       // high surrogate at the end
        Units({0xD800, 'b'}),       // high surrogate without its low half
        Units({'a', 0xDC00, 'b'}),  // lone low surrogate
        Units({0xDE00, 0xD83D}),    // pair in the wrong order
    };
    for (const auto& text : broken) {
        EXPECT_EQ(EscapeRtfText(text), "");
        EXPECT_EQ(EscapeRtfText(text, RtfNonAscii::UnicodeEscapes), "");
        EXPECT_EQ(ComposeMessageRtf(L"T", text), "{\\urtf{\\b T}\\par\\par \\par  }");
    }
    EXPECT_EQ(ComposeMessageRtf(L"", L"{\\rtf1 " + Units({0xDC00}) + L"}"), "");
}
