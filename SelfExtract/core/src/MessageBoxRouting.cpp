#include "sfx/MessageBoxRouting.h"

namespace sfx {

MessageBoxRoute RouteMessageBox(UiLevel level, unsigned type) noexcept {
    constexpr unsigned kIconMask = 0xF0, kIconError = 0x10, kIconWarning = 0x30;
    if (level == UiLevel::Silent) return MessageBoxRoute::SkipSilent;
    const unsigned icon = type & kIconMask;
    if (level == UiLevel::Normal || icon == kIconError || icon == kIconWarning) return MessageBoxRoute::Show;
    return MessageBoxRoute::SkipNotNormal;
}

}  // namespace sfx
