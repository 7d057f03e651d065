#include "riviru/ui/DialogBands.h"

#include <algorithm>

#include "riviru/ui/DpiScale.h"

namespace riviru {

DialogBands SplitDialogBands(const LayoutRect& client, int bandHeight) noexcept {
    const int split = client.bottom - bandHeight;
    DialogBands bands{client, client};
    bands.content.bottom = split;
    bands.band.top = split;
    return bands;
}

DialogBandPaint BandPaintRects(const DialogBands& bands, int dpi) noexcept {
    const int lineHeight = DpiScale(dpi).Scale(1);
    DialogBandPaint paint{bands.content, bands.band, bands.band};
    const int lineBottom = std::min(bands.band.top + lineHeight, bands.band.bottom);
    paint.separator.bottom = std::max(lineBottom, bands.band.top);
    paint.band.top = paint.separator.bottom;
    return paint;
}

}  // namespace riviru
