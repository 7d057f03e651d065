#include "riviru/ui/LinkMarkup.h"

#include <stdexcept>

#include <boost/regex.hpp>

#include "riviru/text/Utf.h"

namespace riviru {
namespace {

// Perl format: "$n" inserts a group, each backslash pair yields one backslash.
constexpr char kHyperlinkFieldFormat[] =
    "{\\\\field{\\\\*\\\\fldinst{HYPERLINK \"$2\"}}{\\\\fldrslt{$1}}}{\\\\v *KVLINKEND}";

// Compiled once; searching a shared pattern from several threads is safe.
const boost::regex& HashLinkPattern() {
    static const boost::regex pattern("#LINK#(.*?)#(.*?)##");
    return pattern;
}

const boost::regex& AngleLinkPattern() {
    static const boost::regex pattern("<LINK\\s+(.*?)\\|(.*?)>");
    return pattern;
}

const boost::wregex& HyperlinkTextPattern() {
    static const boost::wregex pattern(L"HYPERLINK \".*?\"(.*?)\\*KVLINKEND");
    return pattern;
}

}  // namespace

namespace {
std::string ConvertWith(std::string_view rtf, const char* format) {
    const std::string original(rtf);
    try {
        const std::string hashConverted = boost::regex_replace(original, HashLinkPattern(), format);
        return boost::regex_replace(hashConverted, AngleLinkPattern(), format);
    } catch (const std::runtime_error&) {
        // Too complex a match (boost::regex_error): show the text as typed.
        return original;
    }
}
}  // namespace

std::string ConvertLinkMarkup(std::string_view rtf) { return ConvertWith(rtf, kHyperlinkFieldFormat); }

namespace {
// What the RTF escaping of the message made of a text: \\, \{ and \} stand
// for the characters themselves; the bytes are UTF-8.
std::wstring UnescapeRtfText(const std::string& escaped) {
    std::string bytes;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 1 < escaped.size() &&
            (escaped[i + 1] == '\\' || escaped[i + 1] == '{' || escaped[i + 1] == '}')) {
            ++i;
        }
        bytes.push_back(escaped[i]);
    }
    return DecodeUtf8(bytes).value_or(std::wstring());
}

const boost::regex& EitherLinkPattern() {
    static const boost::regex pattern("#LINK#(.*?)#(.*?)##|<LINK\\s+(.*?)\\|(.*?)>");
    return pattern;
}
}  // namespace

std::string StripLinkMarkup(std::string_view rtf, std::vector<PlainLink>& links) {
    links.clear();
    std::string stripped;
    try {
        auto rest = rtf.begin();
        for (boost::regex_iterator<std::string_view::const_iterator> it(rtf.begin(), rtf.end(), EitherLinkPattern()),
             last;
             it != last; ++it) {
            const auto& match = *it;
            const bool hash = match[1].matched;
            const std::string text = match[hash ? 1 : 3].str();
            const std::string url = match[hash ? 2 : 4].str();
            stripped.append(rest, match[0].first);
            stripped += text;
            links.push_back({UnescapeRtfText(text), UnescapeRtfText(url)});
            rest = match[0].second;
        }
        stripped.append(rest, rtf.end());
    } catch (const std::runtime_error&) {
        links.clear();
        return std::string(rtf);
    }
    return stripped;
}

std::vector<LinkTextRange> FindHyperlinkTexts(std::wstring_view text) {
    std::vector<LinkTextRange> ranges;
    const wchar_t* const begin = text.data();
    const wchar_t* const end = begin + text.size();
    try {
        for (boost::wcregex_iterator it(begin, end, HyperlinkTextPattern()), last; it != last; ++it) {
            const auto& group = (*it)[1];
            ranges.push_back({static_cast<std::size_t>(group.first - begin),
                              static_cast<std::size_t>(group.second - begin)});
        }
    } catch (const std::runtime_error&) {
        ranges.clear();
    }
    return ranges;
}

LinkTarget ParseLinkRangeText(std::wstring_view rangeText) {
    LinkTarget target;
    if (rangeText.substr(0, 9) == L"HYPERLINK") {
        const auto open = rangeText.find(L'"');
        if (open == std::wstring_view::npos) return target;
        const auto close = rangeText.find(L'"', open + 1);
        if (close == std::wstring_view::npos) return target;
        target.url.assign(rangeText.substr(open + 1, close - open - 1));
        target.text.assign(rangeText.substr(close + 1));
        return target;
    }
    target.text.assign(rangeText);
    if (rangeText.substr(0, 4) == L"www.") target.url = L"http://";
    target.url.append(rangeText.substr(0, rangeText.find_first_of(L" \t\n\r")));
    return target;
}

}  // namespace riviru
