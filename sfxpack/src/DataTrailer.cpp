#include "DataTrailer.h"

#include <algorithm>
#include <array>

namespace sfxpack {

namespace {

// The stub keeps these with another first character in its own bytes; here
// they are only written and searched for in data, so they may stand as they are.
const char kStartText[] = "##DATA##";
const char kEndText[] = "##ENDDATA##";

template <std::size_t N>
std::vector<std::uint8_t> Utf16Le(const char (&text)[N]) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(text[i]));
        bytes.push_back(0);
    }
    return bytes;
}

void AppendUnit(std::vector<std::uint8_t>& out, unsigned unit) {
    out.push_back(static_cast<std::uint8_t>(unit));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

void AppendEscaped(std::vector<std::uint8_t>& out, const std::wstring& text) {
    static const char kHex[] = "0123456789ABCDEF";
    for (const wchar_t c : text) {
        const unsigned unit = static_cast<unsigned>(c) & 0xFFFF;
        if (unit == '%' || unit == '&' || unit == '=') {
            AppendUnit(out, '%');
            AppendUnit(out, static_cast<unsigned char>(kHex[unit >> 4]));
            AppendUnit(out, static_cast<unsigned char>(kHex[unit & 0xF]));
        } else {
            AppendUnit(out, unit);
        }
    }
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// false for a "%" with fewer than two characters after it. Of the two
// characters, the leading hex digits make the unit (0 when there are none),
// as the stub reads them.
bool DecodeEscapes(const std::wstring& text, std::wstring& decoded) {
    decoded.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            decoded += text[i];
            continue;
        }
        if (text.size() - i < 3) return false;
        unsigned unit = 0;
        for (std::size_t k = 1; k <= 2; ++k) {
            const int digit = HexDigit(text[i + k]);
            if (digit < 0) break;
            unit = unit * 16 + static_cast<unsigned>(digit);
        }
        decoded += static_cast<wchar_t>(unit);
        i += 2;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeDataTrailer(const std::vector<DataTrailerItem>& items) {
    std::vector<std::uint8_t> out = Utf16Le(kStartText);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) AppendUnit(out, '&');
        AppendEscaped(out, items[i].first);
        AppendUnit(out, '=');
        AppendEscaped(out, items[i].second);
    }
    const auto end = Utf16Le(kEndText);
    out.insert(out.end(), end.begin(), end.end());
    return out;
}

std::optional<FoundDataTrailer> FindDataTrailer(const std::uint8_t* data, std::size_t size) {
    const auto start = Utf16Le(kStartText);
    const auto end = Utf16Le(kEndText);
    const std::uint8_t* const last = data + size;
    const std::uint8_t* const startAt = std::search(data, last, start.begin(), start.end());
    if (startAt == last) return std::nullopt;
    FoundDataTrailer found;
    found.offset = static_cast<std::size_t>(startAt - data);
    const std::uint8_t* const dataAt = startAt + start.size();
    const std::uint8_t* const endAt = std::search(dataAt, last, end.begin(), end.end());
    if (endAt == last) {
        found.complete = false;
        return found;
    }
    found.size = static_cast<std::size_t>(endAt + end.size() - startAt);

    // The markers are searched byte by byte, so the text between them may
    // have an odd length; its last odd byte belongs to no code unit.
    std::wstring text;
    for (const std::uint8_t* p = dataAt; endAt - p >= 2; p += 2)
        text += static_cast<wchar_t>(p[0] | (p[1] << 8));
    std::vector<std::wstring> pieces;
    std::size_t from = 0;
    for (std::size_t amp; (amp = text.find(L'&', from)) != std::wstring::npos; from = amp + 1) {
        pieces.push_back(text.substr(from, amp - from));
    }
    if (from < text.size()) pieces.push_back(text.substr(from));
    for (const std::wstring& piece : pieces) {
        const std::size_t eq = piece.find(L'=');
        DataTrailerItem item;
        if (!DecodeEscapes(piece.substr(0, eq), item.first) ||
            (eq != std::wstring::npos && !DecodeEscapes(piece.substr(eq + 1), item.second))) {
            found.complete = false;
            break;
        }
        found.items.push_back(std::move(item));
    }
    return found;
}

}  // namespace sfxpack
