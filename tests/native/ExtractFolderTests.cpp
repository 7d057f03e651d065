#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "sfx/ExtractFolder.h"

TEST(ExtractFolder, RandomNamesAreKvrAndEightCharactersOfTheAlphabet) {
    std::srand(12345);
    std::set<std::wstring> seen;
    for (int i = 0; i < 200; ++i) {
        const std::wstring name = sfx::MakeRandomFolderName();
        ASSERT_EQ(name.size(), 11u);
        EXPECT_EQ(name.substr(0, 3), L"kvr");
        for (wchar_t c : name.substr(3)) EXPECT_TRUE((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'));
        seen.insert(name);
    }
    EXPECT_GT(seen.size(), 190u);
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
