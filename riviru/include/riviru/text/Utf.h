// Conversions between UTF-8 and UTF-16. Wide strings hold UTF-16 code units on
// every platform (also where wchar_t is 32 bits wide), so the portable core
// behaves the same natively and on Windows.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace riviru {

// Strict decoding: overlong forms, surrogates, values above U+10FFFF and cut
// sequences are rejected. Characters above U+FFFF become surrogate pairs. A
// byte-order mark is kept as U+FEFF.
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);

// Unpaired surrogates are encoded as U+FFFD.
std::string EncodeUtf8(std::wstring_view text);

}  // namespace riviru
