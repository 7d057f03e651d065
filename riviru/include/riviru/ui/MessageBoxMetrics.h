// Layout sizes of the message box in pixels at a DPI. Holds:
// MessageBoxMetrics.
#pragma once

namespace riviru {

struct MessageBoxMetrics {
    int marginX = 12;  // left and right content margin; x of the icon
    int marginY = 12;  // top and bottom margin; y of icon and text
    int buttonMinWidth = 90;
    int buttonHeight = 26;
    int buttonGap = 8;      // between two buttons
    int buttonPadding = 8;  // on each side of a caption
    int minWidth = 270;     // least client width of the button row with margins
    int minTextHeight = 60;
    int maxTextWidth = 600;   // wider text wraps here
    int maxTextHeight = 360;  // taller text scrolls (or grows the box)
    int iconWidth = 32;
    int iconHeight = 32;

    // Every base size scaled as lround(base * dpi / 96); dpi <= 0 counts as 96.
    static MessageBoxMetrics ForDpi(int dpi) noexcept;
};

}  // namespace riviru
