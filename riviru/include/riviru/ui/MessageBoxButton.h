// One push button of the message box. Holds: MessageBoxButton.
#pragma once
#include <string>

namespace riviru {

struct MessageBoxButton {
    int id = 0;              // command id of the button and result of the box
    bool isDefault = false;  // asked to be the default button
    std::wstring text;       // caption, may hold '&' mnemonic marks
    int width = 0;           // pixels, computed when the box lays itself out
};

}  // namespace riviru
