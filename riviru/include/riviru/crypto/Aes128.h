// AES-128 block cipher (FIPS-197) and the CBC mode of operation over whole
// blocks (NIST SP 800-38A). Holds: Aes128, AesCbcEncrypt, AesCbcDecrypt.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace riviru {

class Aes128 {
public:
    static constexpr std::size_t kKeySize = 16;
    static constexpr std::size_t kBlockSize = 16;
    using Key = std::array<std::uint8_t, kKeySize>;
    using Block = std::array<std::uint8_t, kBlockSize>;

    explicit Aes128(const Key& key) noexcept;
    // The object holds key material: no copies, and the round keys are wiped
    // when it goes away.
    Aes128(const Aes128&) = delete;
    Aes128& operator=(const Aes128&) = delete;
    ~Aes128();

    // in and out may point to the same 16 bytes.
    void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept;
    void DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept;

private:
    static constexpr std::size_t kRounds = 10;
    static constexpr std::size_t kRoundKeyBytes = kBlockSize * (kRounds + 1);
    std::array<std::uint8_t, kRoundKeyBytes> roundKeys_{};
};

// CBC without padding: size must be a multiple of 16 (std::invalid_argument
// otherwise). The result has the same size as the input.
std::vector<std::uint8_t> AesCbcEncrypt(const Aes128& cipher, const Aes128::Block& iv,
                                        const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> AesCbcDecrypt(const Aes128& cipher, const Aes128::Block& iv,
                                        const std::uint8_t* data, std::size_t size);

}  // namespace riviru
