#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ReadConfigBlock.h"
#include "riviru/crypto/Aes128.h"
#include "sfx/ConfigBlock.h"
#include "sfx/ConfigKey.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// stub bytes, start marker, IV + ciphertext of text, end marker, archive bytes
Bytes MakePackage(const std::string& text, std::size_t stubSize) {
    Bytes plain(text.begin(), text.end());
    const std::size_t pad = 16 - plain.size() % 16;
    plain.insert(plain.end(), pad, static_cast<std::uint8_t>(pad));
    const riviru::Aes128 aes(sfx::BuildConfigKey());
    riviru::Aes128::Block iv{};
    for (std::size_t i = 0; i < iv.size(); ++i) iv[i] = static_cast<std::uint8_t>(i * 17);
    const Bytes cipher = riviru::AesCbcEncrypt(aes, iv, plain.data(), plain.size());

    const auto start = sfx::BuildStartMarker();
    const auto end = sfx::BuildEndMarker();
    Bytes package(stubSize, 'M');
    package.insert(package.end(), start.begin(), start.end());
    package.insert(package.end(), iv.begin(), iv.end());
    package.insert(package.end(), cipher.begin(), cipher.end());
    package.insert(package.end(), end.begin(), end.end());
    package.insert(package.end(), {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0, 4});
    return package;
}

class ReadConfigBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH];
        ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
        wchar_t name[MAX_PATH];
        ASSERT_NE(::GetTempFileNameW(folder, L"rcb", 0, name), 0u);
        path_ = name;
    }
    void TearDown() override { ::DeleteFileW(path_.c_str()); }

    void WriteFile(const Bytes& bytes) {
        const HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        ASSERT_TRUE(ok);
        ASSERT_EQ(written, bytes.size());
    }

    std::wstring path_;
};

}  // namespace

TEST_F(ReadConfigBlockTest, ReadsAndDecodesTheBlock) {
    WriteFile(
        MakePackage("[main]\r\nProductName=Gr\xC3\xBC\xC3\x9F"
                    "e\r\n",
                    4096));
    std::wstring text = L"old";
    ASSERT_EQ(ReadConfigBlock(path_, text), riviru::kOk);
    EXPECT_EQ(text, L"[main]\r\nProductName=Gr\u00FC\u00DFe\r\n");
}

TEST_F(ReadConfigBlockTest, FileWithoutBlockIsInvalidData) {
    WriteFile(Bytes(5000, 'x'));
    std::wstring text = L"old";
    EXPECT_EQ(ReadConfigBlock(path_, text), riviru::kInvalidData);
    EXPECT_TRUE(text.empty());
}

TEST_F(ReadConfigBlockTest, EmptyFileIsInvalidData) {
    WriteFile(Bytes{});
    std::wstring text;
    EXPECT_EQ(ReadConfigBlock(path_, text), riviru::kInvalidData);
}

TEST_F(ReadConfigBlockTest, MissingFileGivesTheSystemError) {
    std::wstring text;
    EXPECT_EQ(ReadConfigBlock(path_ + L".missing", text), static_cast<riviru::HResult>(0x80070002u));
    // The stub passes an empty path when it cannot learn its own: a system
    // error, not "damaged package".
    const riviru::HResult empty = ReadConfigBlock(L"", text);
    EXPECT_LT(empty, 0);
    EXPECT_NE(empty, riviru::kInvalidData);
}

TEST_F(ReadConfigBlockTest, FileOpenWithoutReadSharingFails) {
    WriteFile(MakePackage("[main]", 64));
    const HANDLE exclusive =
        ::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    std::wstring text;
    EXPECT_EQ(ReadConfigBlock(path_, text), riviru::HResultFromWin32(ERROR_SHARING_VIOLATION));
    ::CloseHandle(exclusive);
}

TEST_F(ReadConfigBlockTest, OnlyTheFirst20MiBAreSearched) {
    const std::size_t limit = sfx::kConfigScanLimit;
    // The end marker of a 16 + 16 byte block begins 18 + 32 bytes after the
    // start marker; place it just inside and just outside limit - 20.
    const std::size_t inside = limit - 21 - 18 - 32;
    struct Case {
        std::size_t stubSize;
        riviru::HResult expected;
    };
    const Case cases[] = {
        {inside, riviru::kOk}, {inside + 1, riviru::kInvalidData}, {limit + 100, riviru::kInvalidData}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stubSize);
        Bytes package = MakePackage("[main]", c.stubSize);
        package.resize(std::max(package.size(), limit + 1000), 0);
        WriteFile(package);
        std::wstring text;
        EXPECT_EQ(ReadConfigBlock(path_, text), c.expected);
        EXPECT_EQ(text, c.expected == riviru::kOk ? L"[main]" : L"");
    }
}
