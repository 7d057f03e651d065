#include <gtest/gtest.h>

#include "sfx/TopLevelEntries.h"

namespace {

using Entries = std::vector<std::wstring>;

TEST(TopLevelEntries, KeepsOnlyItemsDirectlyInTheFolder) {
    EXPECT_EQ(sfx::TopLevelEntries({L"setup.exe", L"data\\", L"data\\a.cab"}), (Entries{L"setup.exe", L"data"}));
    // Only files inside a subfolder, no folder entry: nothing to select.
    EXPECT_EQ(sfx::TopLevelEntries({L"sub\\a.txt", L"sub\\b\\c.txt"}), Entries{});
    EXPECT_EQ(sfx::TopLevelEntries({L"docs//", L"x/y", L"\\", L""}), Entries{L"docs"});
}

}  // namespace
