#include "sfx/ForwardedValues.h"

#include <boost/regex.hpp>

#include "riviru/text/Utf.h"
#include "sfx/ExtractFolder.h"

namespace sfx {

namespace {

// Stored with another first character, so that the stub's own bytes never
// hold the markers it looks for; the first character compared is '#'.
constexpr char kStartMarker[] = "_#DATA##";
constexpr char kEndMarker[] = "_#ENDDATA##";

template <std::size_t N>
constexpr std::size_t MarkerBytes(const char (&)[N]) noexcept {
    return 2 * (N - 1);
}

// True when the UTF-16LE form of marker (first character '#') starts at p.
template <std::size_t N>
bool MarkerAt(const std::uint8_t* p, const char (&marker)[N]) noexcept {
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const char c = i == 0 ? '#' : marker[i];
        if (p[2 * i] != static_cast<std::uint8_t>(c) || p[2 * i + 1] != 0) return false;
    }
    return true;
}

// The first byte offset at or after from where marker starts; size when none.
template <std::size_t N>
std::size_t FindMarker(const std::uint8_t* data, std::size_t size, std::size_t from,
                       const char (&marker)[N]) {
    const std::size_t length = MarkerBytes(marker);
    for (std::size_t at = from; at + length <= size; ++at) {
        if (MarkerAt(data + at, marker)) return at;
    }
    return size;
}

int HexDigit(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// false for a "%" followed by fewer than two characters. The two characters
// after a "%" are always consumed; their leading hex digits make the code
// unit, 0 when the first is no hex digit.
bool DecodePercent(std::wstring_view text, std::wstring& decoded) {
    decoded.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            decoded.push_back(text[i]);
            continue;
        }
        if (text.size() - i < 3) return false;
        unsigned unit = 0;
        for (std::size_t k = 1; k <= 2; ++k) {
            const int digit = HexDigit(text[i + k]);
            if (digit < 0) break;
            unit = unit * 16 + static_cast<unsigned>(digit);
        }
        decoded.push_back(static_cast<wchar_t>(unit));
        i += 2;
    }
    return true;
}

bool HasLineBreak(std::wstring_view text) noexcept {
    return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

}  // namespace

bool IsStampedResourceName(std::wstring_view name) noexcept {
    return name.substr(0, 3) == L"KVR" || name.substr(0, 3) == L"KV_";
}

std::wstring StampedResourceValue(const std::uint8_t* data, std::size_t size) {
    std::size_t length = 0;
    while (length < size && data[length] != 0) ++length;
    auto decoded = riviru::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), length));
    return decoded ? std::move(*decoded) : std::wstring();
}

riviru::HResult ParseDataTrailer(const std::uint8_t* data, std::size_t size, SetupValueMap& values) {
    values.clear();
    const std::size_t start = FindMarker(data, size, 0, kStartMarker);
    if (start == size) return kNoMoreItems;
    const std::size_t textAt = start + MarkerBytes(kStartMarker);
    const std::size_t end = FindMarker(data, size, textAt, kEndMarker);
    if (end == size) return riviru::kInvalidData;

    // The markers are searched byte by byte, so the text between them may
    // have an odd length; its last odd byte belongs to no code unit.
    std::wstring text;
    for (std::size_t at = textAt; at + 2 <= end; at += 2) {
        text.push_back(static_cast<wchar_t>(data[at] | (data[at + 1] << 8)));
    }

    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t amp = text.find(L'&', from);
        const std::wstring_view item =
            std::wstring_view(text).substr(from, amp == std::wstring::npos ? std::wstring::npos : amp - from);
        const std::size_t eq = item.find(L'=');
        std::wstring key;
        std::wstring value;
        if (!DecodePercent(item.substr(0, eq), key)) return riviru::kInvalidData;
        if (eq != std::wstring_view::npos && !DecodePercent(item.substr(eq + 1), value)) {
            return riviru::kInvalidData;
        }
        values[std::move(key)] = std::move(value);
        if (amp == std::wstring::npos) break;
        from = amp + 1;
    }
    return riviru::kOk;
}

std::optional<std::wstring> FileNameToken(std::wstring_view executablePath) {
    static const boost::wregex kPattern(L".*--ph([0-9a-zA-Z]{16})(?:[^0-9a-zA-Z].*)?", boost::regex::perl);
    const std::wstring name = ExecutableBaseName(executablePath);
    boost::wsmatch match;
    if (!boost::regex_match(name, match, kPattern)) return std::nullopt;
    return match[1].str();
}

std::string FormatSetupValues(const SetupValueMap& values) {
    std::string text;
    for (const auto& [key, value] : values) {
        if (HasLineBreak(key) || HasLineBreak(value)) continue;
        text += riviru::EncodeUtf8(key);
        text += '=';
        text += riviru::EncodeUtf8(value);
        text += "\r\n";
    }
    return text;
}

}  // namespace sfx
