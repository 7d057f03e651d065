#include "ConfigCipher.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "sfx/ConfigBlock.h"

namespace sfxpack {

std::vector<std::uint8_t> EncipherConfigBlock(const std::vector<std::uint8_t>& text,
                                              const riviru::Aes128::Block& iv, const sfx::ConfigKey& key) {
    // Always at least one byte of padding, so the stub's rule (drop as many
    // bytes as the last one says) gives back the text exactly.
    const std::size_t pad = riviru::Aes128::kBlockSize - text.size() % riviru::Aes128::kBlockSize;
    std::vector<std::uint8_t> plain(text);
    plain.insert(plain.end(), pad, static_cast<std::uint8_t>(pad));
    const riviru::Aes128 cipher(key);
    const auto ciphertext = riviru::AesCbcEncrypt(cipher, iv, plain.data(), plain.size());
    std::vector<std::uint8_t> block(iv.begin(), iv.end());
    block.insert(block.end(), ciphertext.begin(), ciphertext.end());
    return block;
}

riviru::Aes128::Block RandomIv() {
    std::random_device random;
    std::uniform_int_distribution<int> byte(0, 255);
    riviru::Aes128::Block iv{};
    for (auto& b : iv) b = static_cast<std::uint8_t>(byte(random));
    return iv;
}

std::vector<std::uint8_t> MakeConfigBlock(const std::vector<std::uint8_t>& text) {
    const auto endMarker = sfx::BuildEndMarker();
    const sfx::ConfigKey key = sfx::BuildConfigKey();
    for (int attempt = 0; attempt < 8; ++attempt) {
        auto block = EncipherConfigBlock(text, RandomIv(), key);
        if (std::search(block.begin(), block.end(), endMarker.begin(), endMarker.end()) == block.end()) {
            return block;
        }
    }
    throw std::runtime_error("the random source keeps giving IVs that cut the configuration block");
}

}  // namespace sfxpack
