// Whether a message box is shown at a given user-interface level.
#pragma once
#include "sfx/SfxTypes.h"

namespace sfx {

enum class MessageBoxRoute {
    Show,
    SkipSilent,     // a silent run shows nothing
    SkipNotNormal,  // below Normal only errors and warnings are shown
};

// type is the system message-box type word; its icon bits decide.
MessageBoxRoute RouteMessageBox(UiLevel level, unsigned type) noexcept;

}  // namespace sfx
