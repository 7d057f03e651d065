#include <gtest/gtest.h>

#include "riviru/localization/MemStringResources.h"
#include "sfx/TargetFolderTitle.h"

TEST(TargetFolderTitle, DefaultOrTableTitleWithBothPlaceholdersReplaced) {
    const struct {
        const wchar_t* appTitle;  // nullptr: not in the table
        const wchar_t* selectText;
        const wchar_t* product;
        const wchar_t* title;
    } cases[] = {
        {nullptr, L"Select the target folder", L"Foo", L"Foo - Select the target folder"},
        {L"", L"Select the target folder", L"Foo", L"Foo - Select the target folder"},
        {nullptr, nullptr, L"Foo", L"Foo - "},
        {nullptr, L"Pick", L"", L" - Pick"},
        {L"[SelectTargetDir] for [ProductName] ([ProductName])", L"Pick", L"Foo", L"Pick for Foo (Foo)"},
        {L"Fixed title [Other]", L"Pick", L"Foo", L"Fixed title [Other]"},
    };
    for (const auto& c : cases) {
        riviru::MemStringResources strings;
        if (c.appTitle) strings.SetString(L"SelectTargetDirAppTitle", c.appTitle);
        if (c.selectText) strings.SetString(L"SelectTargetDir", c.selectText);
        EXPECT_EQ(sfx::TargetFolderTitle(strings, c.product), c.title);
    }
}
