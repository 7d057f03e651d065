#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "riviru/crypto/Aes128.h"

namespace {

std::vector<std::uint8_t> Hex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

template <typename Array>
Array ToArray(const std::string& hex) {
    const auto bytes = Hex(hex);
    Array out{};
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = bytes.at(i);
    return out;
}

struct BlockVector {
    const char* name;
    const char* key;
    const char* plain;
    const char* cipher;
};

// FIPS-197 Appendix B (cipher example) and Appendix C.1 (AES-128).
const BlockVector kBlockVectors[] = {
    {"AppendixB", "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
     "3925841d02dc09fbdc118597196a0b32"},
    {"AppendixC1", "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a"},
};

// NIST SP 800-38A F.2.1 / F.2.2, CBC-AES128.
const char kCbcKey[] = "2b7e151628aed2a6abf7158809cf4f3c";
const char kCbcIv[] = "000102030405060708090a0b0c0d0e0f";
const char kCbcPlain[] =
    "6bc1bee22e409f96e93d7e117393172a"
    "ae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52ef"
    "f69f2445df4f9b17ad2b417be66c3710";
const char kCbcCipher[] =
    "7649abac8119b246cee98e9b12e9197d"
    "5086cb9b507219ee95db113a917678b2"
    "73bed6b8e3c1743b7116e69e22229516"
    "3ff1caa1681fac09120eca307586e1a7";

}  // namespace

TEST(Aes128, BlockVectorsEncryptAndDecrypt) {
    for (const auto& v : kBlockVectors) {
        SCOPED_TRACE(v.name);
        const riviru::Aes128 aes(ToArray<riviru::Aes128::Key>(v.key));
        const auto plain = Hex(v.plain);
        const auto cipher = Hex(v.cipher);
        std::vector<std::uint8_t> out(16);
        aes.EncryptBlock(plain.data(), out.data());
        EXPECT_EQ(out, cipher);
        aes.DecryptBlock(cipher.data(), out.data());
        EXPECT_EQ(out, plain);
    }
}

TEST(Aes128, WorksInPlace) {
    const riviru::Aes128 aes(ToArray<riviru::Aes128::Key>(kBlockVectors[1].key));
    auto block = Hex(kBlockVectors[1].plain);
    aes.EncryptBlock(block.data(), block.data());
    EXPECT_EQ(block, Hex(kBlockVectors[1].cipher));
    aes.DecryptBlock(block.data(), block.data());
    EXPECT_EQ(block, Hex(kBlockVectors[1].plain));
}

TEST(AesCbc, Sp800_38aVectors) {
    const riviru::Aes128 aes(ToArray<riviru::Aes128::Key>(kCbcKey));
    const auto iv = ToArray<riviru::Aes128::Block>(kCbcIv);
    const auto plain = Hex(kCbcPlain);
    const auto cipher = Hex(kCbcCipher);
    EXPECT_EQ(riviru::AesCbcEncrypt(aes, iv, plain.data(), plain.size()), cipher);
    EXPECT_EQ(riviru::AesCbcDecrypt(aes, iv, cipher.data(), cipher.size()), plain);
}

TEST(AesCbc, ChainsFromTheIv) {
    // The second block of the vector, enciphered alone, chains from the first
    // ciphertext block as its IV.
    const riviru::Aes128 aes(ToArray<riviru::Aes128::Key>(kCbcKey));
    const auto plain = Hex(kCbcPlain);
    const auto cipher = Hex(kCbcCipher);
    const auto iv = ToArray<riviru::Aes128::Block>(std::string(kCbcCipher, 32));
    const auto second = riviru::AesCbcDecrypt(aes, iv, cipher.data() + 16, 16);
    EXPECT_EQ(second, std::vector<std::uint8_t>(plain.begin() + 16, plain.begin() + 32));
}

TEST(AesCbc, RejectsPartialBlocksAndAcceptsEmptyInput) {
    const riviru::Aes128 aes(ToArray<riviru::Aes128::Key>(kCbcKey));
    const riviru::Aes128::Block iv{};
    const std::vector<std::uint8_t> data(17);
    EXPECT_THROW(riviru::AesCbcEncrypt(aes, iv, data.data(), 15), std::invalid_argument);
    EXPECT_THROW(riviru::AesCbcDecrypt(aes, iv, data.data(), 17), std::invalid_argument);
    EXPECT_TRUE(riviru::AesCbcDecrypt(aes, iv, data.data(), 0).empty());
}
