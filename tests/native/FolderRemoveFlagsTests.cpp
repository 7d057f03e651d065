// The path rule of folder-tree removal: nothing but an absolute path is removed.
#include <gtest/gtest.h>

#include <string>

#include "riviru/io/FolderRemoveFlags.h"

using riviru::FolderRemoveFlags;

TEST(FolderRemoveFlags, BothCallersPassSeven) {
    constexpr auto all =
        FolderRemoveFlags::RemoveRoot | FolderRemoveFlags::Recurse | FolderRemoveFlags::ClearReadOnly;
    EXPECT_EQ(static_cast<std::uint32_t>(all), 7u);
    EXPECT_TRUE(riviru::HasFlag(all, FolderRemoveFlags::Recurse));
    EXPECT_FALSE(riviru::HasFlag(all, FolderRemoveFlags::StopOnError));
}

TEST(FolderRemoveFlags, OnlyDrivePathsAndDoubleBackslashPathsAreRemovable) {
    const struct {
        const wchar_t* path;
        bool removable;
    } cases[] = {
        {L"C:\\Users\\me\\AppData\\Local\\Temp\\7zS1A2B", true},
        {L"z:\\tmp", true},
        {L"C:", true},
        {L"\\\\server\\share\\folder", true},
        {L"\\\\?\\C:\\very\\long", true},
        {L"", false},
        {L"C", false},
        {L"data\\old", false},
        {L".\\data", false},
        {L"..\\data", false},
        {L"\\data\\old", false},  // rooted on the current drive
        {L"/tmp/x", false},
        {L"//server/share", false},
        {L"1:\\x", false},
        {L"\u00C4:\\x", false},  // only ASCII drive letters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(riviru::IsRemovableFolderPath(c.path), c.removable)
            << std::string(c.path, c.path + std::wstring(c.path).size());
    }
}
