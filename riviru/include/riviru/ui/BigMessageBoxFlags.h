// Behaviour switches of the message box. Holds: BigMessageBoxFlags.
#pragma once
#include <cstdint>

namespace riviru {

enum BigMessageBoxFlags : std::uint32_t {
    NoCancel = 0x01,    // Esc and the close box are ignored; no Close in the system menu
    GrowToText = 0x02,  // a tall text grows the box instead of scrolling; never resizable
    TopMost = 0x08,     // a topmost window
    NoAutoUrl = 0x10,   // no automatic url detection in the text
    AppWindow = 0x20,   // its own taskbar button
    Flash = 0x40,       // flashes when first shown while the application is in the background
};

}  // namespace riviru
