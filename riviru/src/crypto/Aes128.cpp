#include "riviru/crypto/Aes128.h"

#include <stdexcept>

namespace riviru {

namespace {

// Arithmetic in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr std::uint8_t XTime(std::uint8_t b) {
    return static_cast<std::uint8_t>((b << 1) ^ ((b & 0x80) != 0 ? 0x1B : 0x00));
}

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
    std::uint8_t product = 0;
    while (b != 0) {
        if ((b & 1) != 0) product ^= a;
        a = XTime(a);
        b >>= 1;
    }
    return product;
}

constexpr std::uint8_t RotateLeft(std::uint8_t b, int n) {
    return static_cast<std::uint8_t>((b << n) | (b >> (8 - n)));
}

struct SBoxes {
    std::array<std::uint8_t, 256> forward{};
    std::array<std::uint8_t, 256> inverse{};
};

// The S-box is derived from its definition (multiplicative inverse followed by
// the affine transformation) at compile time instead of being typed in.
constexpr SBoxes MakeSBoxes() {
    SBoxes boxes{};
    for (int x = 0; x < 256; ++x) {
        // x^254 is the multiplicative inverse of x (and 0 for 0).
        std::uint8_t inverse = 1;
        std::uint8_t base = static_cast<std::uint8_t>(x);
        for (int exponent = 254; exponent != 0; exponent >>= 1) {
            if ((exponent & 1) != 0) inverse = Multiply(inverse, base);
            base = Multiply(base, base);
        }
        const std::uint8_t s =
            static_cast<std::uint8_t>(inverse ^ RotateLeft(inverse, 1) ^ RotateLeft(inverse, 2) ^
                                      RotateLeft(inverse, 3) ^ RotateLeft(inverse, 4) ^ 0x63);
        boxes.forward[static_cast<std::size_t>(x)] = s;
        boxes.inverse[s] = static_cast<std::uint8_t>(x);
    }
    return boxes;
}

constexpr SBoxes kSBoxes = MakeSBoxes();
static_assert(kSBoxes.forward[0x00] == 0x63 && kSBoxes.forward[0x53] == 0xED, "S-box differs from FIPS-197");

using State = std::uint8_t[16];  // column-major: byte r of column c at 4c + r

void AddRoundKey(State s, const std::uint8_t* roundKey) {
    for (std::size_t i = 0; i < 16; ++i) s[i] ^= roundKey[i];
}

void SubBytes(State s, const std::array<std::uint8_t, 256>& box) {
    for (std::size_t i = 0; i < 16; ++i) s[i] = box[s[i]];
}

// Row r moves r columns to the left (encryption) or to the right (decryption).
void ShiftRows(State s, bool inverse) {
    std::uint8_t t[16];
    for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t r = 0; r < 4; ++r) {
            const std::size_t from = inverse ? (c + 4 - r) % 4 : (c + r) % 4;
            t[4 * c + r] = s[4 * from + r];
        }
    }
    for (std::size_t i = 0; i < 16; ++i) s[i] = t[i];
}

// Each column times the circulant matrix (m0 m1 m2 m3).
void MixColumns(State s, std::uint8_t m0, std::uint8_t m1, std::uint8_t m2, std::uint8_t m3) {
    for (std::size_t c = 0; c < 4; ++c) {
        std::uint8_t* col = s + 4 * c;
        const std::uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = Multiply(m0, a0) ^ Multiply(m1, a1) ^ Multiply(m2, a2) ^ Multiply(m3, a3);
        col[1] = Multiply(m3, a0) ^ Multiply(m0, a1) ^ Multiply(m1, a2) ^ Multiply(m2, a3);
        col[2] = Multiply(m2, a0) ^ Multiply(m3, a1) ^ Multiply(m0, a2) ^ Multiply(m1, a3);
        col[3] = Multiply(m1, a0) ^ Multiply(m2, a1) ^ Multiply(m3, a2) ^ Multiply(m0, a3);
    }
}

void CheckWholeBlocks(std::size_t size) {
    if (size % Aes128::kBlockSize != 0) {
        throw std::invalid_argument("AES-CBC input is not a whole number of blocks");
    }
}

}  // namespace

Aes128::Aes128(const Key& key) noexcept {
    for (std::size_t i = 0; i < kKeySize; ++i) roundKeys_[i] = key[i];
    std::uint8_t roundConstant = 0x01;
    for (std::size_t i = kKeySize; i < roundKeys_.size(); i += 4) {
        std::uint8_t word[4] = {roundKeys_[i - 4], roundKeys_[i - 3], roundKeys_[i - 2], roundKeys_[i - 1]};
        if (i % kKeySize == 0) {
            // SubWord(RotWord(word)) xor Rcon
            const std::uint8_t first = word[0];
            word[0] = static_cast<std::uint8_t>(kSBoxes.forward[word[1]] ^ roundConstant);
            word[1] = kSBoxes.forward[word[2]];
            word[2] = kSBoxes.forward[word[3]];
            word[3] = kSBoxes.forward[first];
            roundConstant = XTime(roundConstant);
        }
        for (std::size_t j = 0; j < 4; ++j) {
            roundKeys_[i + j] = static_cast<std::uint8_t>(roundKeys_[i + j - kKeySize] ^ word[j]);
        }
    }
}

Aes128::~Aes128() {
    // volatile so that the wipe of a dying object is not optimised away
    volatile std::uint8_t* p = roundKeys_.data();
    for (std::size_t i = 0; i < roundKeys_.size(); ++i) p[i] = 0;
}

void Aes128::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept {
    State s;
    for (std::size_t i = 0; i < 16; ++i) s[i] = in[i];
    AddRoundKey(s, roundKeys_.data());
    for (std::size_t round = 1; round <= kRounds; ++round) {
        SubBytes(s, kSBoxes.forward);
        ShiftRows(s, false);
        if (round != kRounds) MixColumns(s, 0x02, 0x03, 0x01, 0x01);
        AddRoundKey(s, roundKeys_.data() + kBlockSize * round);
    }
    for (std::size_t i = 0; i < 16; ++i) out[i] = s[i];
}

void Aes128::DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept {
    State s;
    for (std::size_t i = 0; i < 16; ++i) s[i] = in[i];
    AddRoundKey(s, roundKeys_.data() + kBlockSize * kRounds);
    for (std::size_t round = kRounds; round-- > 0;) {
        ShiftRows(s, true);
        SubBytes(s, kSBoxes.inverse);
        AddRoundKey(s, roundKeys_.data() + kBlockSize * round);
        if (round != 0) MixColumns(s, 0x0E, 0x0B, 0x0D, 0x09);
    }
    for (std::size_t i = 0; i < 16; ++i) out[i] = s[i];
}

std::vector<std::uint8_t> AesCbcEncrypt(const Aes128& cipher, const Aes128::Block& iv,
                                        const std::uint8_t* data, std::size_t size) {
    CheckWholeBlocks(size);
    std::vector<std::uint8_t> out(size);
    Aes128::Block chain = iv;
    for (std::size_t offset = 0; offset < size; offset += Aes128::kBlockSize) {
        for (std::size_t i = 0; i < Aes128::kBlockSize; ++i) chain[i] ^= data[offset + i];
        cipher.EncryptBlock(chain.data(), chain.data());
        for (std::size_t i = 0; i < Aes128::kBlockSize; ++i) out[offset + i] = chain[i];
    }
    return out;
}

std::vector<std::uint8_t> AesCbcDecrypt(const Aes128& cipher, const Aes128::Block& iv,
                                        const std::uint8_t* data, std::size_t size) {
    CheckWholeBlocks(size);
    std::vector<std::uint8_t> out(size);
    const std::uint8_t* previous = iv.data();
    for (std::size_t offset = 0; offset < size; offset += Aes128::kBlockSize) {
        cipher.DecryptBlock(data + offset, out.data() + offset);
        for (std::size_t i = 0; i < Aes128::kBlockSize; ++i) out[offset + i] ^= previous[i];
        previous = data + offset;
    }
    return out;
}

}  // namespace riviru
