#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "sfx/ExtractFolder.h"

// A source that hands out the given bytes in order, then fails.
sfx::RandomBytes Replay(std::vector<std::uint8_t> bytes) {
    auto at = std::make_shared<std::size_t>(0);
    return [bytes, at](std::uint8_t* buffer, std::size_t size) {
        if (*at + size > bytes.size()) return false;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(*at), size, buffer);
        *at += size;
        return true;
    };
}

TEST(ExtractFolder, RandomNamesAreKvrAndEightCharactersOfTheAlphabet) {
    std::mt19937 engine(12345);
    const sfx::RandomBytes random = [&engine](std::uint8_t* buffer, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) buffer[i] = static_cast<std::uint8_t>(engine());
        return true;
    };
    std::set<std::wstring> seen;
    std::map<wchar_t, int> counts;
    for (int i = 0; i < 2000; ++i) {
        const std::wstring name = sfx::MakeRandomFolderName(random);
        ASSERT_EQ(name.size(), 11u);
        EXPECT_EQ(name.substr(0, 3), L"kvr");
        for (wchar_t c : name.substr(3)) {
            EXPECT_TRUE((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'));
            ++counts[c];
        }
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), 2000u);
    // 16,000 characters, about 444 of each: every one of the 36 appears and
    // none is far off (a modulo bias would favour the first 4 by 1/63).
    ASSERT_EQ(counts.size(), 36u);
    for (const auto& [c, count] : counts) EXPECT_NEAR(count, 444, 100) << static_cast<char>(c);
}

TEST(ExtractFolder, RandomNameSkipsBytesThatWouldBiasTheChoice) {
    // 252..255 are dropped; 0 is "a", 35 is "9", 36 and 251 (the largest byte used) wrap to "a" and "9".
    std::vector<std::uint8_t> bytes(64, 255);
    const std::uint8_t used[] = {0, 35, 36, 251, 1, 2, 3, 25};
    for (std::size_t i = 0; i < 8; ++i) bytes[i * 2 + 1] = used[i];
    EXPECT_EQ(sfx::MakeRandomFolderName(Replay(bytes)), L"kvra9a9bcdz");
}

TEST(ExtractFolder, RandomNameIsEmptyWhenTheSourceFails) {
    EXPECT_EQ(sfx::MakeRandomFolderName(Replay({})), L"");
    // Only rejected bytes until the source runs dry.
    EXPECT_EQ(sfx::MakeRandomFolderName(Replay(std::vector<std::uint8_t>(64, 252))), L"");
    EXPECT_EQ(sfx::MakeRandomFolderName(sfx::RandomBytes()), L"");
}

TEST(ExtractFolder, OnlyUncAndDrivePathsAreAbsolute) {
    const struct {
        const wchar_t* path;
        bool absolute;
    } cases[] = {{L"C:\\out", true},  {L"z:", true},        {L"\\\\server\\share", true}, {L"\\out", false},
                 {L"out\\sub", false}, {L"1:\\out", false}, {L"", false},                  {L"/q", false}};
    for (const auto& c : cases) EXPECT_EQ(sfx::IsAbsoluteFolderPath(c.path), c.absolute);
}

TEST(ExtractFolder, ExtractOnlyFolderFollowsTheExecutableAndTheCurrentDirectory) {
    const struct {
        const wchar_t* extractDir;
        const wchar_t* current;
        const wchar_t* exe;
        const wchar_t* expected;
    } cases[] = {
        {L"", L"C:\\work", L"C:\\dl\\Setup.v2.exe", L"C:\\work\\Setup.v2"},
        {L"", L"C:\\work\\", L"C:\\dl\\Setup.exe", L"C:\\work\\Setup"},
        // A file name without a dot gives an empty base name: the current directory itself.
        {L"", L"C:\\work", L"C:\\dl\\Setup", L"C:\\work\\"},
        {L"out", L"C:\\work", L"C:\\dl\\Setup.exe", L"C:\\work\\out"},
        {L"\\out", L"C:\\work", L"C:\\dl\\Setup.exe", L"C:\\work\\\\out"},
        {L"/q", L"C:\\work", L"C:\\dl\\Setup.exe", L"C:\\work\\/q"},
        {L"D:\\target", L"C:\\work", L"C:\\dl\\Setup.exe", L"D:\\target"},
    };
    for (const auto& c : cases) EXPECT_EQ(sfx::ExtractOnlyFolder(c.extractDir, c.current, c.exe), c.expected);
}
