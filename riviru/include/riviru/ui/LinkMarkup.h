// Link markup of the rich text control: conversion into RTF hyperlink fields,
// the ranges to colour where the control does not draw the fields itself, and
// the url and text of a clicked link range.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace riviru {

// Replaces every "#LINK#text#url##" and then every "<LINK text|url>" (white
// space after LINK) in UTF-8 RTF by a hyperlink field with a hidden end
// marker:
//   {\field{\*\fldinst{HYPERLINK "url"}}{\fldrslt{text}}}{\v *KVLINKEND}
// Matches are lazy: a markup ends at its first closing delimiter. An
// incomplete markup stays as typed; when the regex engine fails the whole
// text is returned unconverted.
std::string ConvertLinkMarkup(std::string_view rtf);

// For a control that drops hyperlink fields when it reads RTF (their text
// would vanish) and shows hidden text: every markup of either form (in text
// order) is replaced by its visible text alone, and the links are listed
// with their texts and urls as the control will show them (the RTF escapes
// \\, \{, \} undone, UTF-8 decoded). On a regex failure the text stays
// as typed and no link is listed.
struct PlainLink {
    std::wstring text;
    std::wstring url;
};
std::string StripLinkMarkup(std::string_view rtf, std::vector<PlainLink>& links);

// A range of UTF-16 code units, [begin, end), in the control's plain text.
struct LinkTextRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const LinkTextRange& a, const LinkTextRange& b) {
        return a.begin == b.begin && a.end == b.end;
    }
};

// The visible texts of the hyperlink fields in the control's plain text, i.e.
// group 1 of HYPERLINK ".*?"(.*?)\*KVLINKEND, in text order. These are the
// ranges to underline and colour when the control does not show the fields
// as links. Empty when the regex engine fails.
std::vector<LinkTextRange> FindHyperlinkTexts(std::wstring_view text);

// Url and visible text of a link.
struct LinkTarget {
    std::wstring url;
    std::wstring text;
};

// Reads the text of a clicked link range. A range beginning with "HYPERLINK"
// is a field: the url is between the first two double quotes, the text is
// what follows the second (both empty without two quotes). Any other range is
// an automatically detected url: the text is the whole range, the url is the
// range up to the first space, tab, line feed or carriage return, with
// "http://" put in front when it starts with "www.".
LinkTarget ParseLinkRangeText(std::wstring_view rangeText);

}  // namespace riviru
