#include "riviru/ui/MessageBoxIcon.h"

namespace riviru {

MessageBoxIcon MessageBoxIconFromType(unsigned type) noexcept {
    switch (type & 0xF0) {
        case 0x10:
            return MessageBoxIcon::Error;
        case 0x20:
            return MessageBoxIcon::Question;
        case 0x30:
            return MessageBoxIcon::Warning;
        case 0x40:
            return MessageBoxIcon::Info;
        default:
            return MessageBoxIcon::None;
    }
}

int SystemIconId(MessageBoxIcon icon) noexcept {
    switch (icon) {
        case MessageBoxIcon::Info:
            return 32516;
        case MessageBoxIcon::Warning:
            return 32515;
        case MessageBoxIcon::Error:
            return 32513;
        case MessageBoxIcon::Question:
            return 32514;
        case MessageBoxIcon::None:
            break;
    }
    return 0;
}

}  // namespace riviru
