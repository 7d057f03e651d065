#include "riviru/localization/LoadXmlStringResources.h"

#include <boost/property_tree/detail/rapidxml.hpp>

// Boost's XML reader writes a character reference such as "&#xE9;" as UTF-8
// bytes even into a wide buffer, one byte per unit. Wide texts here are
// UTF-16, so the reader's wide parser writes the code units instead: one, or
// a surrogate pair above U+FFFF. The parser expands references in place into
// the space of the reference itself, which always has room for two units.
// This must come before the reader's templates are used (this file only).
namespace boost::property_tree::detail::rapidxml {
template <>
template <int Flags>
void xml_document<wchar_t>::insert_coded_character(wchar_t*& text, unsigned long code) {
    if (code < 0x10000) {
        *text++ = static_cast<wchar_t>(code);
    } else if (code < 0x110000) {
        code -= 0x10000;
        *text++ = static_cast<wchar_t>(0xD800 + (code >> 10));
        *text++ = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
        throw parse_error("invalid numeric character entity", text);
    }
}
}  // namespace boost::property_tree::detail::rapidxml

#include <string>
#include <system_error>
#include <utility>

#include <boost/algorithm/string/replace.hpp>
#include <boost/iostreams/stream.hpp>
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "Utf8DecodingSource.h"
#include "riviru/localization/PtreeErrorCategory.h"

namespace riviru {

namespace {

namespace pt = boost::property_tree;

// Messages are 8-bit; the path keeps the low byte of each unit.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const wchar_t unit : text) narrow += static_cast<char>(static_cast<unsigned>(unit) & 0xFFu);
    return narrow;
}

const pt::wptree* FindRoot(const pt::wptree& document, const std::wstring& rootElement) {
    if (rootElement.empty()) return document.empty() ? nullptr : &document.front().second;
    const auto found = document.get_child_optional(pt::wptree::path_type(rootElement, L'.'));
    return found ? &*found : nullptr;
}

// The backslash escapes of the tables, in this order, so that "\\n" ends as
// a backslash and a line feed.
void ReplaceEscapes(std::wstring& text) {
    boost::algorithm::replace_all(text, L"\\n", L"\n");
    boost::algorithm::replace_all(text, L"\\t", L"\t");
    boost::algorithm::replace_all(text, L"\\\\", L"\\");
}

StringMap ReadStrings(const pt::wptree& root) {
    StringMap found;
    try {
        for (const auto& child : root) {
            if (child.first != L"String") continue;
            std::wstring id = child.second.get<std::wstring>(L"<xmlattr>.Id");
            std::wstring text = child.second.get_value<std::wstring>();
            ReplaceEscapes(text);
            found.insert_or_assign(std::move(id), std::move(text));
        }
    } catch (const pt::ptree_bad_path& e) {
        throw std::system_error(PtreeErrc::BadPath, std::string("XML error: ") + e.what());
    } catch (const pt::ptree_bad_data& e) {
        throw std::system_error(PtreeErrc::BadData, std::string("XML error: ") + e.what());
    }
    return found;
}

}  // namespace

void LoadXmlStringResources(StringMap& strings, std::istream& input, const std::wstring& rootElement) {
    Utf8DecodingSource source(input);
    boost::iostreams::stream<Utf8DecodingSource> text(source);
    pt::wptree document;
    // The parser's own errors pass through unchanged.
    pt::read_xml(text, document, pt::xml_parser::no_comments | pt::xml_parser::trim_whitespace);

    const pt::wptree* root = FindRoot(document, rootElement);
    if (!root) {
        throw std::system_error(PtreeErrc::BadData,
                                "XML error (root element '" + Narrow(rootElement) + "' not found)");
    }
    // Nothing reaches the caller's map unless the whole document was read.
    StringMap found = ReadStrings(*root);
    for (auto& entry : found) strings.insert_or_assign(entry.first, std::move(entry.second));
}

}  // namespace riviru
