// Layout of the message box: metrics at a DPI, the sizes that come from the
// text extent and the captions, the scrolling and growing cases, the default
// button.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "riviru/ui/MessageBoxLayout.h"
#include "riviru/ui/MessageBoxMetrics.h"

using riviru::ComputeMessageBoxLayout;
using riviru::LayoutRect;
using riviru::MessageBoxLayoutInput;
using riviru::MessageBoxMetrics;

namespace {

constexpr int kScrollBar = 17;

MessageBoxLayoutInput Input(int textWidth, int textHeight, std::vector<int> captions, bool icon = false) {
    MessageBoxLayoutInput input;
    input.metrics = MessageBoxMetrics::ForDpi(96);
    input.textWidth = textWidth;
    input.textHeight = textHeight;
    input.captionWidths = std::move(captions);
    input.hasIcon = icon;
    input.scrollBarWidth = kScrollBar;
    return input;
}

}  // namespace

TEST(MessageBoxMetrics, ScalesEveryBaseSize) {
    const MessageBoxMetrics base = MessageBoxMetrics::ForDpi(96);
    EXPECT_EQ(base.marginX, 12);
    EXPECT_EQ(base.minWidth, 270);
    EXPECT_EQ(base.maxTextWidth, 600);
    EXPECT_EQ(base.maxTextHeight, 360);
    const MessageBoxMetrics large = MessageBoxMetrics::ForDpi(144);
    const int expected[] = {18, 18, 135, 39, 12, 12, 405, 90, 900, 540, 48, 48};
    const int actual[] = {large.marginX,      large.marginY,       large.buttonMinWidth, large.buttonHeight,
                          large.buttonGap,    large.buttonPadding, large.minWidth,       large.minTextHeight,
                          large.maxTextWidth, large.maxTextHeight, large.iconWidth,      large.iconHeight};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(actual[i], expected[i]) << "field " << i;
    EXPECT_EQ(MessageBoxMetrics::ForDpi(120).buttonHeight, 33);  // 32.5 rounds up
    EXPECT_EQ(MessageBoxMetrics::ForDpi(0).minWidth, 270);       // no device context
}

TEST(MessageBoxLayout, OneLineTextTakesTheWidthOfTheButtonRowAndTheMinimumHeight) {
    struct Case {
        std::vector<int> captions;
        int clientWidth;
    };
    const Case cases[] = {
        {{20}, 270},                       // one OK button: 90 + 24 < 270
        {{20, 40}, 270},                   // 90 + 8 + 90 + 24 = 212
        {{30, 40, 50}, 24 + 3 * 90 + 16},  // 310: the row wins
        {{120}, 24 + 136},                 // a wide caption: 120 + 16 padding, still 270 minimum
    };
    for (const Case& c : cases) {
        const auto layout = ComputeMessageBoxLayout(Input(100, 16, c.captions));
        const int expectedWidth = std::max(c.clientWidth, 270);
        EXPECT_EQ(layout.clientWidth, expectedWidth);
        EXPECT_EQ(layout.text, (LayoutRect{12, 12, expectedWidth, 72}));  // 60 tall, to the right edge
        EXPECT_EQ(layout.bandHeight, 26 + 24 + 1);
        EXPECT_EQ(layout.clientHeight, 24 + 60 + 51);
        EXPECT_FALSE(layout.scrolls);
        ASSERT_EQ(layout.buttons.size(), c.captions.size());
        EXPECT_EQ(layout.buttons.back().right, expectedWidth - 12);  // right-aligned
        for (const auto& button : layout.buttons) {
            EXPECT_EQ(button.top, layout.clientHeight - 12 - 26);
            EXPECT_EQ(button.Height(), 26);
        }
        for (std::size_t i = 1; i < layout.buttons.size(); ++i) {
            EXPECT_EQ(layout.buttons[i].left, layout.buttons[i - 1].right + 8);
        }
    }
}

TEST(MessageBoxLayout, ButtonWidthIsTheCaptionWithPaddingAtLeastTheMinimum) {
    const auto layout = ComputeMessageBoxLayout(Input(500, 40, {10, 74, 75, 200}));
    EXPECT_EQ(layout.buttonWidths, (std::vector<int>{90, 90, 91, 216}));
    EXPECT_EQ(layout.buttons.front().left, layout.clientWidth - 12 - (90 + 90 + 91 + 216 + 3 * 8));
}

TEST(MessageBoxLayout, WrappedParagraphKeepsTheMaximumWidth) {
    EXPECT_FALSE(riviru::MessageBoxTextNeedsWrap(600, MessageBoxMetrics::ForDpi(96)));
    EXPECT_TRUE(riviru::MessageBoxTextNeedsWrap(601, MessageBoxMetrics::ForDpi(96)));
    // After wrapping the control reports its own width, 600.
    const auto layout = ComputeMessageBoxLayout(Input(600, 120, {20}));
    EXPECT_EQ(layout.text, (LayoutRect{12, 12, 612, 132}));
    EXPECT_EQ(layout.clientWidth, 612);
    EXPECT_FALSE(layout.scrolls);
}

TEST(MessageBoxLayout, TallTextScrollsAtTheMaximumHeightWithRoomForTheScrollBar) {
    const auto layout = ComputeMessageBoxLayout(Input(600, 2000, {20}));
    EXPECT_TRUE(layout.scrolls);
    EXPECT_EQ(layout.text.Height(), 360);
    EXPECT_EQ(layout.text.Width(), 600 + kScrollBar);
    EXPECT_EQ(layout.clientHeight, 24 + 360 + 51);
}

TEST(MessageBoxLayout, GrowToTextKeepsTheWholeHeightAndAddsTheScrollBarWidth) {
    auto input = Input(600, 2000, {20});
    input.growToText = true;
    const auto layout = ComputeMessageBoxLayout(input);
    EXPECT_FALSE(layout.scrolls);
    EXPECT_EQ(layout.text.Height(), 2000);
    EXPECT_EQ(layout.text.Width(), 600 + kScrollBar);
    // Text up to the maximum height is not touched.
    input.textHeight = 360;
    EXPECT_EQ(ComputeMessageBoxLayout(input).text.Width(), 600);
}

TEST(MessageBoxLayout, IconShiftsTheTextAndSetsItsLeastHeight) {
    auto input = Input(300, 16, {20}, true);
    input.metrics.minTextHeight = 20;  // below the icon's height
    const auto layout = ComputeMessageBoxLayout(input);
    EXPECT_EQ(layout.icon, (LayoutRect{12, 12, 44, 44}));
    EXPECT_EQ(layout.text, (LayoutRect{56, 12, 356, 44}));
    EXPECT_EQ(layout.clientWidth, 356);
    EXPECT_EQ(ComputeMessageBoxLayout(Input(300, 16, {20})).icon, (LayoutRect{}));
}

TEST(MessageBoxLayout, HighDpiSeparatorMakesTheBandTaller) {
    auto input = Input(100, 16, {20});
    input.metrics = MessageBoxMetrics::ForDpi(144);
    input.separatorHeight = 2;
    const auto layout = ComputeMessageBoxLayout(input);
    EXPECT_EQ(layout.bandHeight, 39 + 36 + 2);
    EXPECT_EQ(layout.clientWidth, 405);
    EXPECT_EQ(layout.clientHeight, 36 + 90 + 77);
}

TEST(MessageBoxLayout, DefaultButtonIsTheLastMarkedOrTheFirst) {
    using riviru::DefaultButtonIndex;
    using riviru::MessageBoxButton;
    EXPECT_EQ(DefaultButtonIndex({}), -1);
    EXPECT_EQ(DefaultButtonIndex({{6, false, L"Yes", 0}, {7, false, L"No", 0}}), 0);
    EXPECT_EQ(DefaultButtonIndex({{6, false, L"Yes", 0}, {7, true, L"No", 0}}), 1);
    EXPECT_EQ(DefaultButtonIndex({{1, true, L"A", 0}, {2, true, L"B", 0}, {3, false, L"C", 0}}), 1);
}
