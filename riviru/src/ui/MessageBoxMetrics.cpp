#include "riviru/ui/MessageBoxMetrics.h"

#include <initializer_list>

#include "riviru/ui/DpiScale.h"

namespace riviru {

MessageBoxMetrics MessageBoxMetrics::ForDpi(int dpi) noexcept {
    const DpiScale scale(dpi);
    MessageBoxMetrics metrics;
    for (int* size :
         {&metrics.marginX, &metrics.marginY, &metrics.buttonMinWidth, &metrics.buttonHeight,
          &metrics.buttonGap, &metrics.buttonPadding, &metrics.minWidth, &metrics.minTextHeight,
          &metrics.maxTextWidth, &metrics.maxTextHeight, &metrics.iconWidth, &metrics.iconHeight}) {
        *size = scale.Scale(*size);
    }
    return metrics;
}

}  // namespace riviru
