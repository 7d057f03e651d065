// Enciphering of the configuration text into the block the stub deciphers:
// 16-byte IV, then AES-128-CBC ciphertext of the text with 1 to 16 bytes of
// padding, each holding the padding length.
#pragma once
#include <cstdint>
#include <vector>

#include "riviru/crypto/Aes128.h"
#include "sfx/ConfigKey.h"

namespace sfxpack {

std::vector<std::uint8_t> EncipherConfigBlock(const std::vector<std::uint8_t>& text,
                                              const riviru::Aes128::Block& iv, const sfx::ConfigKey& key);

// A fresh random IV from the system's random source.
riviru::Aes128::Block RandomIv();

// With the program's key and a fresh IV; the IV is drawn again in the rare
// case that IV or ciphertext holds the end marker, which would cut the block.
std::vector<std::uint8_t> MakeConfigBlock(const std::vector<std::uint8_t>& text);

}  // namespace sfxpack
