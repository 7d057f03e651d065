// The icon of the message box and its derivation from a system message-box
// type word. Holds: MessageBoxIcon.
#pragma once

namespace riviru {

enum class MessageBoxIcon { None = 0, Info = 1, Warning = 2, Error = 3, Question = 4 };

// The icon that the type word's bits 4-7 ask for: 0x10 Error, 0x20 Question,
// 0x30 Warning, 0x40 Info, anything else None.
MessageBoxIcon MessageBoxIconFromType(unsigned type) noexcept;

// The standard system icon id of an icon (IDI_HAND 32513, IDI_QUESTION 32514,
// IDI_EXCLAMATION 32515, IDI_ASTERISK 32516); 0 for None.
int SystemIconId(MessageBoxIcon icon) noexcept;

}  // namespace riviru
