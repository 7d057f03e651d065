#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "riviru/crypto/Aes128.h"
#include "sfx/ConfigBlock.h"
#include "sfx/ConfigKey.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kStartText = ";!@Install@!UTF-8!";
const std::string kEndText = ";!@InstallEnd@!";

Bytes ToBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// IV followed by the AES-128-CBC ciphertext of plain (a whole number of blocks)
// under the program's key.
Bytes EncipherRaw(const Bytes& plain) {
    const riviru::Aes128 aes(sfx::BuildConfigKey());
    riviru::Aes128::Block iv{};
    for (std::size_t i = 0; i < iv.size(); ++i) iv[i] = static_cast<std::uint8_t>(0xA0 + i);
    Bytes block(iv.begin(), iv.end());
    const Bytes cipher = riviru::AesCbcEncrypt(aes, iv, plain.data(), plain.size());
    block.insert(block.end(), cipher.begin(), cipher.end());
    return block;
}

Bytes EncipherText(const std::string& text) {
    Bytes plain = ToBytes(text);
    const std::size_t pad = 16 - plain.size() % 16;
    plain.insert(plain.end(), pad, static_cast<std::uint8_t>(pad));
    return EncipherRaw(plain);
}

void Put(Bytes& buffer, std::size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
}

// stub bytes, start marker, block, end marker, a few archive bytes
Bytes MakePackage(const Bytes& block, std::size_t stubSize = 64) {
    Bytes package(stubSize, 'M');
    package.insert(package.end(), kStartText.begin(), kStartText.end());
    package.insert(package.end(), block.begin(), block.end());
    package.insert(package.end(), kEndText.begin(), kEndText.end());
    package.insert(package.end(), 32, '7');
    return package;
}

std::optional<sfx::ConfigBlockLocation> Find(const Bytes& buffer) {
    return sfx::FindConfigBlock(buffer.data(), sfx::ConfigScanSize(buffer.size()));
}

}  // namespace

TEST(ConfigBlockMarkers, StoredWithCommaAndCompletedAtRunTime) {
    EXPECT_EQ(sfx::kStoredStartMarker[0], ',');
    EXPECT_EQ(sfx::kStoredEndMarker[0], ',');
    const auto start = sfx::BuildStartMarker();
    const auto end = sfx::BuildEndMarker();
    EXPECT_EQ(std::string(start.begin(), start.end()), kStartText);
    EXPECT_EQ(std::string(end.begin(), end.end()), kEndText);
}

// The programs that search packages (or write them) are themselves part of the
// searched bytes, so their files must not hold the marker texts.
TEST(ConfigBlockMarkers, ProgramFilesDoNotContainMarkerTexts) {
    const auto bin = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::filesystem::path candidates[] = {bin / "sfxpack", bin / ".." / "mingw" / "bin" / "sfxstub.exe",
                                                bin / ".." / "mingw" / "bin" / "sfxpack.exe"};
    int scanned = 0;
    for (const auto& path : candidates) {
        std::ifstream in(path, std::ios::binary);
        if (!in) continue;
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ++scanned;
        EXPECT_EQ(content.find(kStartText), std::string::npos) << path;
        EXPECT_EQ(content.find(kEndText), std::string::npos) << path;
    }
    if (scanned == 0) GTEST_SKIP() << "no program file built next to the tests";
}

TEST(ConfigBlockScan, ScanSizeIsTheFileSizeCappedAt20MiB) {
    EXPECT_EQ(sfx::ConfigScanSize(0), 0u);
    EXPECT_EQ(sfx::ConfigScanSize(1000), 1000u);
    EXPECT_EQ(sfx::ConfigScanSize(20971520), 20971520u);
    EXPECT_EQ(sfx::ConfigScanSize(20971521), 20971520u);
    // Beyond 4 GiB the low 32 bits say nothing: 4 GiB + 100 bytes, 8 GiB exactly.
    EXPECT_EQ(sfx::ConfigScanSize(0x100000064ull), 20971520u);
    EXPECT_EQ(sfx::ConfigScanSize(0x200000000ull), 20971520u);
    EXPECT_EQ(sfx::ConfigScanSize(0x1FFFFFFFFull), 20971520u);
}

TEST(ConfigBlockScan, MarkerPlacements) {
    struct Case {
        const char* name;
        std::size_t size;
        std::vector<std::pair<std::size_t, std::string>> markers;
        std::optional<std::pair<std::size_t, std::size_t>> expected;  // begin, size
    };
    const std::string s = kStartText, e = kEndText;
    const Case cases[] = {
        {"plain", 200, {{10, s}, {60, e}}, {{28, 32}}},
        {"no start marker", 200, {{60, e}}, std::nullopt},
        {"no end marker", 200, {{10, s}}, std::nullopt},
        {"empty block", 200, {{10, s}, {28, e}}, std::nullopt},
        {"one byte block", 200, {{10, s}, {29, e}}, {{28, 1}}},
        {"second start marker inside the block", 200, {{10, s}, {40, s}, {80, e}}, {{28, 52}}},
        {"first end marker after the start counts", 200, {{10, s}, {50, e}, {90, e}}, {{28, 22}}},
        {"end marker before the start is ignored", 200, {{0, e}, {20, s}, {70, e}}, {{38, 32}}},
        {"end marker just inside size - 20", 100, {{10, s}, {79, e}}, {{28, 51}}},
        {"end marker at size - 20", 100, {{10, s}, {80, e}}, std::nullopt},
        {"start marker at size - 20", 100, {{80, s}}, std::nullopt},
        {"buffer ends inside a start marker", 30, {{10, s.substr(0, 10)}}, std::nullopt},
        {"too small to scan", 20, {{0, s}}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes buffer(c.size, 'x');  // exact size, so ASan sees any read past the end
        for (const auto& [offset, text] : c.markers) Put(buffer, offset, text);
        const auto found = Find(buffer);
        ASSERT_EQ(found.has_value(), c.expected.has_value());
        if (found) {
            EXPECT_EQ(found->begin, c.expected->first);
            EXPECT_EQ(found->size, c.expected->second);
            EXPECT_EQ(found->StartMarkerOffset(), found->begin - 18);
            EXPECT_EQ(found->EndOffset(), found->begin + found->size + 15);
        }
    }
    EXPECT_FALSE(sfx::FindConfigBlock(nullptr, 0));
}

TEST(ConfigBlockScan, OnlyTheFirst20MiBAreSearched) {
    constexpr std::size_t kLimit = 20971520;
    struct Case {
        std::size_t start;
        std::size_t end;
        bool found;
    };
    const Case cases[] = {
        {kLimit - 100, kLimit - 21, true},   // end marker begins just inside 20 MiB - 20
        {kLimit - 100, kLimit - 20, false},  // ... and just outside
        {kLimit + 10, kLimit + 100, false},  // whole block beyond 20 MiB
    };
    Bytes buffer(kLimit + 1024, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        std::fill(buffer.begin(), buffer.end(), 0);
        Put(buffer, c.start, kStartText);
        Put(buffer, c.end, kEndText);
        const auto found = Find(buffer);
        ASSERT_EQ(found.has_value(), c.found);
        if (found) {
            EXPECT_EQ(found->EndMarkerOffset(), c.end);
        }
    }
}

TEST(ConfigBlockCipher, BlockSizesWithoutWholeCiphertextGiveEmptyPlaintext) {
    const Bytes valid = EncipherText("[main]\nSetupFileName=a.exe\n");  // 16 + 32 bytes
    for (std::size_t size : {0u, 1u, 16u, 17u, 31u, 33u, 47u}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(sfx::DecipherConfigBlock(valid.data(), size).empty());
    }
    const auto plain = sfx::DecipherConfigBlock(valid.data(), valid.size());
    EXPECT_EQ(std::string(plain.begin(), plain.end()), "[main]\nSetupFileName=a.exe\n");
}

TEST(ConfigBlockCipher, LastByteSaysHowManyBytesToDrop) {
    struct Case {
        std::uint8_t last;
        std::size_t kept;  // of 32 plaintext bytes
    };
    const Case cases[] = {{0, 32}, {1, 31}, {15, 17}, {16, 16}, {17, 16}, {255, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.last));
        Bytes plain(32);
        for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>('a' + i % 26);
        plain.back() = c.last;
        const Bytes block = EncipherRaw(plain);
        const auto out = sfx::DecipherConfigBlock(block.data(), block.size());
        EXPECT_EQ(out, Bytes(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(c.kept)));
    }
}

TEST(ConfigBlockCipher, TextOfWholeBlocksRoundTrips) {
    const std::string text(32, 'k');  // padded with a whole block of 16s
    const Bytes block = EncipherText(text);
    ASSERT_EQ(block.size(), 16u + 48u);
    EXPECT_EQ(sfx::DecipherConfigBlock(block.data(), block.size()), ToBytes(text));
}

TEST(ConfigBlockText, DecodesUtf8KeepingTheByteOrderMark) {
    const auto text = sfx::DecodeConfigText(ToBytes("\xEF\xBB\xBF\xC3\xA4\xF0\x9F\x98\x80"));
    ASSERT_TRUE(text);
    ASSERT_EQ(text->size(), 4u);
    EXPECT_EQ((*text)[0], static_cast<wchar_t>(0xFEFF));
    EXPECT_EQ((*text)[1], static_cast<wchar_t>(0xE4));
    EXPECT_EQ((*text)[2], static_cast<wchar_t>(0xD83D));
    EXPECT_EQ((*text)[3], static_cast<wchar_t>(0xDE00));
}

TEST(ConfigBlockRead, FromMappedBytes) {
    struct Case {
        const char* name;
        Bytes package;
        riviru::HResult hr;
        std::wstring text;
    };
    Bytes odd = EncipherText("[main]");
    odd.resize(odd.size() - 1);
    const Case cases[] = {
        {"valid", MakePackage(EncipherText("[main]\r\nProductName=X")), riviru::kOk,
         L"[main]\r\nProductName=X"},
        {"ciphertext not whole blocks", MakePackage(odd), riviru::kOk, L""},
        {"IV only", MakePackage(Bytes(16, 1)), riviru::kOk, L""},
        {"invalid UTF-8", MakePackage(EncipherText("a\xC3(b")), riviru::kInvalidData, L""},
        {"cut UTF-8 sequence", MakePackage(EncipherText("ab\xE2\x82")), riviru::kInvalidData, L""},
        {"no block", Bytes(500, 'q'), riviru::kInvalidData, L""},
        {"empty block", MakePackage(Bytes{}), riviru::kInvalidData, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text = L"left over";
        EXPECT_EQ(
            sfx::ReadConfigBlockFromMemory(c.package.data(), sfx::ConfigScanSize(c.package.size()), text),
            c.hr);
        EXPECT_EQ(text, c.text);
    }
}
