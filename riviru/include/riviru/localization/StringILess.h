// Case-insensitive ordering of strings, used for culture sets and for the
// section and key names of the configuration.
//
// "Ignoring case" folds, code unit by code unit, the capital letters of these
// ranges to their small forms: ASCII, Latin-1 Supplement, Latin Extended-A,
// basic Greek and basic Cyrillic. Other characters (and the narrow form beyond
// ASCII) compare as they are. The folding is fixed and independent of the
// runtime locale, so an ordered container never changes its order at run time.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace riviru {

// The small form of one UTF-16 code unit (see above); other units unchanged.
wchar_t FoldCase(wchar_t unit) noexcept;

// Narrow strings fold ASCII letters only.
inline char FoldCase(char unit) noexcept {
    return (unit >= 'A' && unit <= 'Z') ? static_cast<char>(unit - 'A' + 'a') : unit;
}

// <0, 0 or >0 as a is before, equal to or after b, ignoring case. Folded units
// are compared as unsigned 16-bit (or 8-bit) values, so the order is the same
// on every platform.
template <class CharT>
int CompareIgnoreCase(std::basic_string_view<CharT> a, std::basic_string_view<CharT> b) noexcept {
    using Unit = std::conditional_t<sizeof(CharT) == 1, unsigned char, char16_t>;
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<Unit>(FoldCase(a[i]));
        const auto cb = static_cast<Unit>(FoldCase(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

inline bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) noexcept {
    return a.size() == b.size() && CompareIgnoreCase(a, b) == 0;
}

// Strict weak ordering ignoring case. Transparent, so ordered containers keyed
// by std::basic_string can be searched with string views.
template <class CharT>
struct basic_string_iless {
    using is_transparent = void;

    bool operator()(std::basic_string_view<CharT> a, std::basic_string_view<CharT> b) const noexcept {
        return CompareIgnoreCase(a, b) < 0;
    }
};

using string_iless = basic_string_iless<char>;
using wstring_iless = basic_string_iless<wchar_t>;

}  // namespace riviru
