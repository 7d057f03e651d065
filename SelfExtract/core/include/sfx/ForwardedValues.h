// The values that the stub forwards to the setup: the data trailer near the
// end of the package, the token in the executable's file name, the stamped
// resource values and the lines of the values file the setup reads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "riviru/errors/HResult.h"

namespace sfx {

// Keys ordered by their UTF-16 code units, case-sensitive; wide strings hold
// UTF-16 code units on every platform.
using SetupValueMap = std::map<std::wstring, std::wstring>;

inline constexpr riviru::HResult kNoMoreItems =
    static_cast<riviru::HResult>(0x80070103u);  // ERROR_NO_MORE_ITEMS

// The bytes of the file's end that are searched for the data trailer.
inline constexpr std::size_t kDataTrailerWindow = 65536;

// The names of the RCDATA resources whose values are forwarded.
bool IsStampedResourceName(std::wstring_view name) noexcept;

// A stamped resource's content as UTF-8 text up to the first zero byte (all
// of it when there is none). Bytes that are not UTF-8 give the empty value,
// which is then not forwarded.
std::wstring StampedResourceValue(const std::uint8_t* data, std::size_t size);

// Parses the UTF-16LE data trailer in data: the first "##DATA##", the first
// "##ENDDATA##" after it, items split at "&", key and value at the first "="
// (no "=": the whole item is the key and the value is empty), "%" and two
// characters decoded to one code unit made of their leading hex digits.
// values is cleared first. kNoMoreItems without a start marker; kInvalidData
// without an end marker, or for a "%" followed by fewer than two characters
// (the entries parsed before it stay).
riviru::HResult ParseDataTrailer(const std::uint8_t* data, std::size_t size, SetupValueMap& values);

// The 16 letters and digits after the last "--ph" of the executable's base
// name (after the last backslash, cut before the last dot) when the whole name
// matches ".*--ph([0-9a-zA-Z]{16})(?:[^0-9a-zA-Z].*)?".
std::optional<std::wstring> FileNameToken(std::wstring_view executablePath);

// The values file's content: "key=value" and CR LF per entry in key order,
// UTF-8 without byte-order mark. An entry whose key or value holds a CR or LF
// is left out, since it would break the line structure the setup reads.
std::string FormatSetupValues(const SetupValueMap& values);

}  // namespace sfx
