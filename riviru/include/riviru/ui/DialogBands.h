// The two areas of a two-band dialog (content above, button band below) and
// the rectangles its background is painted in. Holds: DialogBands,
// DialogBandPaint, SplitDialogBands, BandPaintRects, IsInContentArea.
#pragma once
#include "riviru/ui/ResizeArithmetic.h"

namespace riviru {

struct DialogBands {
    LayoutRect content;
    LayoutRect band;
};

// The background as painted: content, the separator line on top of the band,
// and the rest of the band.
struct DialogBandPaint {
    LayoutRect content;
    LayoutRect separator;
    LayoutRect band;
};

// The band takes the lowest bandHeight pixels of the client area, the content
// everything above it.
DialogBands SplitDialogBands(const LayoutRect& client, int bandHeight) noexcept;

// The separator is the band's top lround(dpi / 96) rows (one pixel at 96 DPI,
// two at 144 DPI; a DPI of 0 or less counts as 96), never more than the band.
DialogBandPaint BandPaintRects(const DialogBands& bands, int dpi) noexcept;

// A control belongs to the content area when its top edge lies above the
// content's bottom; otherwise it sits in the band.
constexpr bool IsInContentArea(int controlTop, const DialogBands& bands) noexcept {
    return controlTop < bands.content.bottom;
}

}  // namespace riviru
