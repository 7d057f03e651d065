// Button sets, captions and default buttons of the message-box type words,
// and the icon of the type word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "riviru/localization/MemStringResources.h"
#include "riviru/ui/MessageBoxButtonSet.h"
#include "riviru/ui/MessageBoxIcon.h"

using riviru::MessageBoxButton;
using riviru::MessageBoxIcon;

namespace {

struct Expected {
    int id;
    std::wstring text;
    bool isDefault;
};

void ExpectButtons(const std::vector<MessageBoxButton>& actual, const std::vector<Expected>& expected,
                   unsigned type) {
    ASSERT_EQ(actual.size(), expected.size()) << "type 0x" << std::hex << type;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].id, expected[i].id) << "type 0x" << std::hex << type << " button " << i;
        EXPECT_EQ(actual[i].text, expected[i].text) << "type 0x" << std::hex << type << " button " << i;
        EXPECT_EQ(actual[i].isDefault, expected[i].isDefault)
            << "type 0x" << std::hex << type << " button " << i;
    }
}

}  // namespace

TEST(MessageBoxButtonSet, EveryTypeGivesItsButtonsWithTheIdsAsFallbackCaptions) {
    const riviru::MemStringResources empty;
    struct Case {
        unsigned type;
        std::vector<Expected> buttons;
    };
    const Case cases[] = {
        {0x0, {{1, L"OK", true}}},
        {0x1, {{1, L"OK", true}, {2, L"Cancel", false}}},
        {0x2, {{3, L"Cancel", true}, {4, L"Retry", false}, {5, L"Ignore", false}}},
        {0x3, {{6, L"Yes", true}, {7, L"No", false}, {2, L"Cancel", false}}},
        {0x24, {{6, L"Yes", true}, {7, L"No", false}}},
        {0x124, {{6, L"Yes", false}, {7, L"No", true}}},
        {0x5, {{4, L"Retry", true}, {2, L"Cancel", false}}},
        {0x206, {{2, L"Cancel", false}, {10, L"Retry", false}, {11, L"Ignore", true}}},
        {0x7, {{1, L"OK", true}}},
        {0xF, {{1, L"OK", true}}},
        {0x314, {{6, L"Yes", false}, {7, L"No", false}}},  // index 3 beyond two buttons: none marked
        {0x301, {{1, L"OK", false}, {2, L"Cancel", false}}},
    };
    for (const Case& c : cases)
        ExpectButtons(riviru::MessageBoxButtonsForType(c.type, empty), c.buttons, c.type);
}

TEST(MessageBoxButtonSet, CaptionsComeFromTheStringTable) {
    riviru::MemStringResources strings;
    strings.SetString(L"Yes", L"&Ja");
    strings.SetString(L"No", L"&Nein");
    strings.SetString(L"Cancel", L"Abbrechen");
    ExpectButtons(riviru::MessageBoxButtonsForType(0x23, strings),
                  {{6, L"&Ja", true}, {7, L"&Nein", false}, {2, L"Abbrechen", false}}, 0x23);
    strings.SetString(L"OK", L"Okay");
    ExpectButtons(riviru::MessageBoxButtonsForType(0x9, strings), {{1, L"Okay", true}}, 0x9);
}

TEST(MessageBoxIcon, ComesFromTheIconBitsOfTheType) {
    const struct {
        unsigned type;
        MessageBoxIcon icon;
        int systemId;
    } cases[] = {
        {0x10, MessageBoxIcon::Error, 32513},   {0x24, MessageBoxIcon::Question, 32514},
        {0x31, MessageBoxIcon::Warning, 32515}, {0x140, MessageBoxIcon::Info, 32516},
        {0x00, MessageBoxIcon::None, 0},        {0x50, MessageBoxIcon::None, 0},
        {0xF0, MessageBoxIcon::None, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(riviru::MessageBoxIconFromType(c.type), c.icon) << c.type;
        EXPECT_EQ(riviru::SystemIconId(riviru::MessageBoxIconFromType(c.type)), c.systemId) << c.type;
    }
}
