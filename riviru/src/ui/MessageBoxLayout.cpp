#include "riviru/ui/MessageBoxLayout.h"

#include <algorithm>

namespace riviru {

bool MessageBoxTextNeedsWrap(int unwrappedWidth, const MessageBoxMetrics& metrics) noexcept {
    return unwrappedWidth > metrics.maxTextWidth;
}

MessageBoxLayout ComputeMessageBoxLayout(const MessageBoxLayoutInput& input) {
    const MessageBoxMetrics& m = input.metrics;
    MessageBoxLayout layout;
    layout.bandHeight = m.buttonHeight + 2 * m.marginY + input.separatorHeight;

    int textWidth = input.textWidth;
    int textHeight = input.textHeight;
    if (textHeight > m.maxTextHeight) {
        if (!input.growToText) {
            textHeight = m.maxTextHeight;
            layout.scrolls = true;
        }
        textWidth += input.scrollBarWidth;
    }
    textHeight = std::max(textHeight, m.minTextHeight);

    int rowWidth = 0;
    for (const int caption : input.captionWidths) {
        const int width = std::max(caption + 2 * m.buttonPadding, m.buttonMinWidth);
        layout.buttonWidths.push_back(width);
        rowWidth += width;
    }
    if (!layout.buttonWidths.empty())
        rowWidth += static_cast<int>(layout.buttonWidths.size() - 1) * m.buttonGap;

    int iconOffset = 0;
    if (input.hasIcon) {
        layout.icon = {m.marginX, m.marginY, m.marginX + m.iconWidth, m.marginY + m.iconHeight};
        iconOffset = m.iconWidth + m.marginX;
        textHeight = std::max(textHeight, m.iconHeight);
    }
    const int textX = m.marginX + iconOffset;

    // The text control reaches the right edge; its own right margin keeps the
    // text off it.
    layout.clientWidth = textX + textWidth;
    const int rowClientWidth = std::max(rowWidth + 2 * m.marginX, m.minWidth);
    if (rowClientWidth > layout.clientWidth) {
        textWidth += rowClientWidth - layout.clientWidth;
        layout.clientWidth = rowClientWidth;
    }
    layout.clientHeight = 2 * m.marginY + textHeight + layout.bandHeight;
    layout.text = {textX, m.marginY, textX + textWidth, m.marginY + textHeight};

    int x = layout.clientWidth - m.marginX - rowWidth;
    const int y = layout.clientHeight - m.marginY - m.buttonHeight;
    for (const int width : layout.buttonWidths) {
        layout.buttons.push_back({x, y, x + width, y + m.buttonHeight});
        x += width + m.buttonGap;
    }
    return layout;
}

int DefaultButtonIndex(const std::vector<MessageBoxButton>& buttons) noexcept {
    if (buttons.empty()) return -1;
    for (std::size_t i = buttons.size(); i-- > 0;) {
        if (buttons[i].isDefault) return static_cast<int>(i);
    }
    return 0;
}

}  // namespace riviru
