// The flag sets and the operation code of the file device. The values are the
// ones the error details show, so they are part of the interface.
#pragma once
#include <type_traits>

namespace riviru {

enum class FileOpenMode : unsigned {
    None = 0,
    In = 1,     // read access
    Out = 2,    // write access
    Ate = 4,    // move to the end after opening
    App = 8,    // append
    Trunc = 16  // create anew
};

// Passed to the system as the sharing mode; only these three bits are used.
enum class FileShareMode : unsigned { None = 0, Read = 1, Write = 2, Delete = 4 };

// The operation that failed.
enum class FileOp : unsigned { Open = 0, Read = 1, Write = 2, Seek = 3, Flush = 4 };

template <class Flags>
struct IsFileFlagSet : std::false_type {};
template <>
struct IsFileFlagSet<FileOpenMode> : std::true_type {};
template <>
struct IsFileFlagSet<FileShareMode> : std::true_type {};

template <class Flags, class = std::enable_if_t<IsFileFlagSet<Flags>::value>>
constexpr Flags operator|(Flags a, Flags b) noexcept {
    return static_cast<Flags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

template <class Flags, class = std::enable_if_t<IsFileFlagSet<Flags>::value>>
constexpr Flags operator&(Flags a, Flags b) noexcept {
    return static_cast<Flags>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}

template <class Flags, class = std::enable_if_t<IsFileFlagSet<Flags>::value>>
constexpr Flags& operator|=(Flags& a, Flags b) noexcept {
    return a = a | b;
}

// True when every flag of `flag` is in `set`.
template <class Flags, class = std::enable_if_t<IsFileFlagSet<Flags>::value>>
constexpr bool HasFlag(Flags set, Flags flag) noexcept {
    return (set & flag) == flag && flag != Flags::None;
}

}  // namespace riviru
