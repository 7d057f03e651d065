// The enciphered configuration block inside a package file: finding it
// between its markers, deciphering it and decoding it to UTF-16.
// Holds: ConfigMarker, ConfigBlockLocation and the functions that work on them.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "riviru/errors/HResult.h"
#include "sfx/ConfigKey.h"

namespace sfx {

inline constexpr std::size_t kStartMarkerSize = 18;
inline constexpr std::size_t kEndMarkerSize = 15;
inline constexpr std::size_t kConfigIvSize = 16;

// Only this many bytes at the front of a package are searched for the block.
inline constexpr std::size_t kConfigScanLimit = 20971520;  // 20 MiB
// Both markers must begin before (searched size - kConfigScanMargin).
inline constexpr std::size_t kConfigScanMargin = 20;

// The markers as stored in the program: a comma stands in for the leading
// semicolon, so the program's own bytes never hold the marker texts.
extern const char kStoredStartMarker[kStartMarkerSize + 1];
extern const char kStoredEndMarker[kEndMarkerSize + 1];

template <std::size_t N>
using ConfigMarker = std::array<std::uint8_t, N>;

// The real marker texts, completed at run time.
ConfigMarker<kStartMarkerSize> BuildStartMarker() noexcept;
ConfigMarker<kEndMarkerSize> BuildEndMarker() noexcept;

// Offsets within the searched bytes.
struct ConfigBlockLocation {
    std::size_t begin = 0;  // first byte of the block (IV), right after the start marker
    std::size_t size = 0;   // bytes of IV and ciphertext

    std::size_t StartMarkerOffset() const noexcept { return begin - kStartMarkerSize; }
    std::size_t EndMarkerOffset() const noexcept { return begin + size; }
    // Where the archive begins.
    std::size_t EndOffset() const noexcept { return begin + size + kEndMarkerSize; }
};

// The number of bytes of a file of fileSize bytes that are searched: its
// size, at most kConfigScanLimit.
std::size_t ConfigScanSize(std::uint64_t fileSize) noexcept;

// Scans p = 0, 1, ... while p < mappedSize - 20: the first start marker opens
// the block, the first end marker after it closes it. No start marker, no end
// marker or an empty block: nullopt.
std::optional<ConfigBlockLocation> FindConfigBlock(const std::uint8_t* data, std::size_t mappedSize) noexcept;

// IV and ciphertext to plaintext with AES-128-CBC. A block of at most 16 bytes
// or with a ciphertext that is not a whole number of AES blocks gives the empty
// plaintext. The last plaintext byte n (at most 16) says how many bytes to drop.
std::vector<std::uint8_t> DecipherConfigBlock(const std::uint8_t* block, std::size_t size,
                                              const ConfigKey& key);
std::vector<std::uint8_t> DecipherConfigBlock(const std::uint8_t* block, std::size_t size);  // program's key

// UTF-8 to UTF-16, a byte-order mark kept; nullopt for invalid UTF-8.
std::optional<std::wstring> DecodeConfigText(const std::vector<std::uint8_t>& plaintext);

// The whole way from the searched bytes to the configuration text: 0 with the
// text (empty for an empty plaintext), or kInvalidData when there is no block
// or its plaintext is not valid UTF-8 (the package is damaged).
riviru::HResult ReadConfigBlockFromMemory(const std::uint8_t* data, std::size_t mappedSize,
                                          std::wstring& text);

}  // namespace sfx
