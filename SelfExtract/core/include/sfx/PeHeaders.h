// Checks on the headers of an executable read from a file, before the
// system's resource functions walk them.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sfx {

// True when size bytes at data begin with "MZ" and hold, at the offset given
// at 0x3C, the "PE\0\0" signature, the file header, the optional header of
// the size the file header gives and the section table of the number it
// gives, all within the size bytes.
bool PeHeadersInside(const std::uint8_t* data, std::size_t size) noexcept;

}  // namespace sfx
