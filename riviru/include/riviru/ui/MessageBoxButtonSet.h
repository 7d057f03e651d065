// The buttons of a system message-box type word. Holds:
// MessageBoxButtonsForType.
#pragma once
#include <vector>

#include "riviru/localization/IStringResources.h"
#include "riviru/ui/MessageBoxButton.h"

namespace riviru {

// The buttons, left to right, of the type word's button set (its low four
// bits): captions from the string table under the ids "OK", "Cancel",
// "Retry", "Ignore", "Yes" and "No", with the id itself when the table has no
// text. Button i is marked default when (type >> 8) & 0x0F equals i. A type
// without a button set (7 to 15) gives one default "OK" button (id 1).
std::vector<MessageBoxButton> MessageBoxButtonsForType(unsigned type, const IStringResources& strings);

}  // namespace riviru
