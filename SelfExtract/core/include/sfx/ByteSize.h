// Sizes as the user reads them in the disk-space question.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace sfx {

// Kilo, mega, giga and tera, in this order.
using ByteUnits = std::array<std::wstring, 4>;

// One decimal up to the megabytes, two from the gigabytes on; below a tenth
// of a kilobyte "0 " and the kilo unit. The number follows the runtime's
// locale (its decimal separator). Without units: KB, MB, GB, TB.
std::wstring FormatByteSize(std::uint64_t size);
std::wstring FormatByteSize(std::uint64_t size, const ByteUnits& units);

}  // namespace sfx
