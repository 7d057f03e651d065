#include "riviru/ui/RtfText.h"

#include <cstdint>

#include "riviru/text/Utf.h"

namespace riviru {
namespace {

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// EncodeUtf8 replaces unpaired surrogates; here they make the text
// unconvertible instead, as a strict UTF-16 to UTF-8 conversion would.
bool IsWellFormedUtf16(std::wstring_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(text[i]);
        if (unit > 0xFFFF) return false;
        if (IsHighSurrogate(unit)) {
            if (i + 1 == text.size() || !IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
                return false;
            }
            ++i;
        } else if (IsLowSurrogate(unit)) {
            return false;
        }
    }
    return true;
}

bool AppendEscapedAscii(std::string& out, char c) {
    switch (c) {
        case '\t':
            out += "\\tab ";
            return true;
        case '\n':
            out += "\\par ";
            return true;
        case '\r':
            return true;
        case '\\':
            out += "\\\\";
            return true;
        case '{':
            out += "\\{";
            return true;
        case '}':
            out += "\\}";
            return true;
        default:
            return false;
    }
}

std::string EscapeAsUtf8(std::wstring_view text) {
    std::string out;
    for (const char c : EncodeUtf8(text)) {
        if (!AppendEscapedAscii(out, c)) out += c;
    }
    return out;
}

std::string EscapeAsUnicodeEscapes(std::wstring_view text) {
    std::string out;
    for (const wchar_t w : text) {
        const auto unit = static_cast<std::uint32_t>(w);
        if (unit > 127) {
            // RTF control words take a signed 16-bit parameter; '?' is the
            // fallback a reader skips (the default \uc1).
            out += "\\u";
            out += std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(unit)));
            out += '?';
        } else if (!AppendEscapedAscii(out, static_cast<char>(unit))) {
            out += static_cast<char>(unit);
        }
    }
    return out;
}

}  // namespace

bool IsRtfDocument(std::wstring_view text) {
    const std::wstring_view head = text.substr(0, 6);
    return head == L"{\\rtf1" || head == L"{\\urtf";
}

std::string EscapeRtfText(std::wstring_view text, RtfNonAscii nonAscii) {
    if (!IsWellFormedUtf16(text)) return std::string();
    return nonAscii == RtfNonAscii::Utf8 ? EscapeAsUtf8(text) : EscapeAsUnicodeEscapes(text);
}

std::string ComposeMessageRtf(std::wstring_view title, std::wstring_view text, RtfNonAscii nonAscii) {
    if (IsRtfDocument(text)) return IsWellFormedUtf16(text) ? EncodeUtf8(text) : std::string();
    std::string rtf = "{\\urtf";
    if (!title.empty()) {
        rtf += "{\\b ";
        rtf += EscapeRtfText(title, nonAscii);
        rtf += "}\\par\\par";
    }
    rtf += ' ';
    rtf += EscapeRtfText(text, nonAscii);
    rtf += "\\par  }";
    return rtf;
}

}  // namespace riviru
