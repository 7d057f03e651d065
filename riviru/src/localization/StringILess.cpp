#include "riviru/localization/StringILess.h"

namespace riviru {

wchar_t FoldCase(wchar_t unit) noexcept {
    const auto c = static_cast<unsigned>(unit);
    // ASCII and Latin-1 Supplement (U+00D7 is the multiplication sign).
    if (c >= 'A' && c <= 'Z') return static_cast<wchar_t>(c + 0x20);
    if (c < 0xC0) return unit;
    if (c <= 0xDE) return c == 0xD7 ? unit : static_cast<wchar_t>(c + 0x20);
    if (c < 0x100) return unit;
    // Latin Extended-A: pairs of capital and small letters, whose alignment
    // shifts at U+0139 and again at U+014A and U+0179.
    if (c <= 0x137) return c == 0x130 ? static_cast<wchar_t>('i') : static_cast<wchar_t>(c | 1u);
    if (c >= 0x139 && c <= 0x148) return (c & 1u) ? static_cast<wchar_t>(c + 1) : unit;
    if (c >= 0x14A && c <= 0x177) return static_cast<wchar_t>(c | 1u);
    if (c == 0x178) return static_cast<wchar_t>(0xFF);
    if (c >= 0x179 && c <= 0x17E) return (c & 1u) ? static_cast<wchar_t>(c + 1) : unit;
    // Greek capitals Alpha..Omega (U+03A2 is unassigned) and the accented ones.
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<wchar_t>(c + 0x20);
    if (c == 0x386) return static_cast<wchar_t>(0x3AC);
    if (c >= 0x388 && c <= 0x38A) return static_cast<wchar_t>(c + 0x25);
    if (c == 0x38C) return static_cast<wchar_t>(0x3CC);
    if (c == 0x38E || c == 0x38F) return static_cast<wchar_t>(c + 0x3F);
    // Cyrillic: U+0400..U+040F and U+0410..U+042F.
    if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 0x50);
    if (c >= 0x410 && c <= 0x42F) return static_cast<wchar_t>(c + 0x20);
    return unit;
}

}  // namespace riviru
