// Where the message box puts its text, icon and buttons, computed from the
// measured text and captions. Holds: MessageBoxLayoutInput, MessageBoxLayout.
#pragma once
#include <vector>

#include "riviru/ui/MessageBoxButton.h"
#include "riviru/ui/MessageBoxMetrics.h"
#include "riviru/ui/ResizeArithmetic.h"

namespace riviru {

struct MessageBoxLayoutInput {
    MessageBoxMetrics metrics;
    int textWidth = 0;  // the text's extent as the text control reports it
    int textHeight = 0;
    std::vector<int> captionWidths;  // one-line widths of the button captions
    bool hasIcon = false;
    bool growToText = false;
    int scrollBarWidth = 0;   // width of a vertical scroll bar
    int separatorHeight = 1;  // lround(dpi / 96): the line above the button band
};

struct MessageBoxLayout {
    int bandHeight = 0;  // the button band at the bottom, separator included
    LayoutRect icon;     // empty without an icon
    LayoutRect text;
    std::vector<int> buttonWidths;
    std::vector<LayoutRect> buttons;  // left to right
    int clientWidth = 0;
    int clientHeight = 0;
    bool scrolls = false;  // the text is cut to the maximum height: the box stays resizable
};

// True when a text of this unwrapped width has to be wrapped at the text
// control's width, the maximum text width.
bool MessageBoxTextNeedsWrap(int unwrappedWidth, const MessageBoxMetrics& metrics) noexcept;

// Text height and width from the extent (a text taller than the maximum
// scrolls, or with growToText keeps its height, and in both cases gets room
// for a scroll bar; at least the minimum height, and the icon's height with
// an icon); button widths from their captions; the client width from the
// text and the button row, the height from margins, text and button band;
// buttons right-aligned in the band.
MessageBoxLayout ComputeMessageBoxLayout(const MessageBoxLayoutInput& input);

// The button that becomes the default: the last one marked isDefault, or
// the first when none is; -1 without buttons.
int DefaultButtonIndex(const std::vector<MessageBoxButton>& buttons) noexcept;

}  // namespace riviru
