// Link markup: conversion into hyperlink fields, the link texts to colour by
// hand, and the url and text of a clicked link range.
#include <gtest/gtest.h>

#include <string>

#include "riviru/ui/LinkMarkup.h"
#include "riviru/ui/RtfText.h"

using riviru::ConvertLinkMarkup;
using riviru::LinkTextRange;
using riviru::ParseLinkRangeText;

namespace {

std::string Field(const std::string& text, const std::string& url) {
    return "{\\field{\\*\\fldinst{HYPERLINK \"" + url + "\"}}{\\fldrslt{" + text + "}}}{\\v *KVLINKEND}";
}

}  // namespace

TEST(LinkMarkup, WritesTheHyperlinkFieldWithItsEndMarker) {
    EXPECT_EQ(ConvertLinkMarkup("#LINK#a#b##"),
              "{\\field{\\*\\fldinst{HYPERLINK \"b\"}}{\\fldrslt{a}}}{\\v *KVLINKEND}");
    EXPECT_EQ(ConvertLinkMarkup("<LINK a|b>"), ConvertLinkMarkup("#LINK#a#b##"));
}

TEST(LinkMarkup, ConvertsBothFormsAndLeavesIncompleteMarkup) {
    const struct {
        const char* input;
        std::string output;
    } cases[] = {
        {"#LINK#a#b## and #LINK#x#y##", Field("a", "b") + " and " + Field("x", "y")},
        {"<LINK  Open folder|target>", Field("Open folder", "target")},
        {"<LINK\tt|u> <LINK v|w>", Field("t", "u") + " " + Field("v", "w")},
        {"x #LINK#a#b## y <LINK c|d> z", "x " + Field("a", "b") + " y " + Field("c", "d") + " z"},
        // Lazy: a markup ends at its first closing delimiter.
        {"<LINK a|b> c>", Field("a", "b") + " c>"},
        {"<LINK a|b|c>", Field("a", "b|c")},
        {"#LINK#a#b###", Field("a", "b") + "#"},
        {"#LINK##u##", Field("", "u")},
        // Group texts are inserted literally: RTF escapes and '$' survive.
        {"#LINK#C:\\\\dir#C:\\\\dir\\\\$1##", Field("C:\\\\dir", "C:\\\\dir\\\\$1")},
        {"<LINK \\{x\\}|y>", Field("\\{x\\}", "y")},
        {"<LINK a|b", "<LINK a|b"},
        {"<LINKa|b>", "<LINKa|b>"},
        {"<LINK ab>", "<LINK ab>"},
        {"<link a|b>", "<link a|b>"},
        {"#LINK#a#b#", "#LINK#a#b#"},
        {"#LINK#ab##", "#LINK#ab##"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertLinkMarkup(c.input), c.output) << "input: " << c.input;
    }
}

TEST(LinkMarkup, MessageTextLinkBecomesAFieldAfterComposition) {
    const std::string rtf =
        ConvertLinkMarkup(riviru::ComposeMessageRtf(L"", L"Extracted to <LINK C:\\Temp\\x|C:\\Temp\\x>."));
    EXPECT_EQ(rtf, "{\\urtf Extracted to " + Field("C:\\\\Temp\\\\x", "C:\\\\Temp\\\\x") + ".\\par  }");
}

TEST(LinkMarkup, FindsTheVisibleTextsOfTheFields) {
    // The control's plain text shows the field instruction, the result and
    // the hidden marker one after another.
    const std::wstring text = L"See HYPERLINK \"b\"a*KVLINKEND or HYPERLINK \"y\"x y*KVLINKEND.";
    const auto ranges = riviru::FindHyperlinkTexts(text);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_TRUE(ranges[0] == (LinkTextRange{17, 18}));
    EXPECT_TRUE(ranges[1] == (LinkTextRange{45, 48}));
    EXPECT_EQ(text.substr(ranges[1].begin, ranges[1].end - ranges[1].begin), L"x y");
    EXPECT_TRUE(riviru::FindHyperlinkTexts(L"HYPERLINK \"b\"a").empty());
    EXPECT_TRUE(riviru::FindHyperlinkTexts(L"").empty());
}

TEST(LinkMarkup, ReadsUrlAndTextOfALinkRange) {
    const struct {
        const wchar_t* range;
        const wchar_t* url;
        const wchar_t* text;
    } cases[] = {
        {L"HYPERLINK \"C:\\Temp\\x\"Open folder", L"C:\\Temp\\x", L"Open folder"},
        {L"HYPERLINK \"\"t", L"", L"t"},
        {L"HYPERLINK \"u", L"", L""},
        {L"HYPERLINK u", L"", L""},
        // Case-sensitive field prefix; otherwise an automatically found url.
        {L"hyperlink \"u\"t", L"hyperlink", L"hyperlink \"u\"t"},
        {L"www.example.com/a b", L"http://www.example.com/a", L"www.example.com/a b"},
        {L"WWW.example.com", L"WWW.example.com", L"WWW.example.com"},
        {L"https://x.org/\ty", L"https://x.org/", L"https://x.org/\ty"},
        {L"file:///C:/a\r\n", L"file:///C:/a", L"file:///C:/a\r\n"},
        {L"mailto:a@b.c", L"mailto:a@b.c", L"mailto:a@b.c"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        const auto target = ParseLinkRangeText(c.range);
        EXPECT_EQ(target.url, c.url);
        EXPECT_EQ(target.text, c.text);
    }
}

TEST(LinkMarkup, StrippingLeavesTheVisibleTextsAndListsTheLinksInTextOrder) {
    std::vector<riviru::PlainLink> links;
    const std::string stripped = riviru::StripLinkMarkup(
        "{\\urtf <LINK  Z:\\\\tmp\\\\out\\\\|file:///Z:/tmp/out/> and #LINK#a \\{b\\}#u2## <LINK x|y\\par }",
        links);
    EXPECT_EQ(stripped, "{\\urtf Z:\\\\tmp\\\\out\\\\ and a \\{b\\} <LINK x|y\\par }");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].text, L"Z:\\tmp\\out\\");
    EXPECT_EQ(links[0].url, L"file:///Z:/tmp/out/");
    EXPECT_EQ(links[1].text, L"a {b}");
    EXPECT_EQ(links[1].url, L"u2");
}
