#include <gtest/gtest.h>

#include "sfx/ProgressTitle.h"

namespace {

TEST(ProgressTitle, ExpandsTheValueAndPercentSignsOnly) {
    struct Case {
        const wchar_t* format;
        int value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%d %% Extracting...", 0, L"0 % Extracting..."},
        {L"%d %% Extracting...", 99, L"99 % Extracting..."},
        {L"Entpacken: %d%%", 100, L"Entpacken: 100%"},
        {L"%i%%", 7, L"7%"},
        // A table that asks for a text or for two numbers cannot make the
        // stub read what it was not given.
        {L"%s %d %d", 5, L"%s 5 "},
        {L"no value", 5, L"no value"},
        {L"trailing %", 5, L"trailing %"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sfx::FormatProgressTitle(c.format, c.value), c.expected) << c.format;
    }
}

}  // namespace
