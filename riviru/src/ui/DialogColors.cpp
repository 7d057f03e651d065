#include "riviru/ui/DialogColors.h"

#include <algorithm>
#include <cmath>

namespace riviru {

namespace {

struct Hsv {
    double hue = 0;         // 0-360
    double saturation = 0;  // 0-1
    double value = 0;       // 0-1
};

Hsv ToHsv(RgbColor c) {
    const int r = c.red;
    const int g = c.green;
    const int b = c.blue;
    const int hi = std::max({r, g, b});
    const int lo = std::min({r, g, b});
    Hsv hsv;
    hsv.value = hi / 255.0;
    if (hi == 0) return hsv;  // black: no saturation
    hsv.saturation = 1.0 - static_cast<double>(lo) / hi;
    if (hi == lo) return hsv;  // grey: hue 0
    const double range = hi - lo;
    double hue;
    if (hi == r) {
        hue = 60.0 * (g - b) / range;
    } else if (hi == g) {
        hue = 60.0 * (b - r) / range + 120.0;
    } else {
        hue = 60.0 * (r - g) / range + 240.0;
    }
    hsv.hue = hue < 0 ? hue + 360.0 : hue;
    return hsv;
}

std::uint8_t ToPart(double part) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(part * 255.0), 0.0, 255.0));
}

RgbColor ToRgb(const Hsv& hsv) {
    const double v = hsv.value;
    const double chroma = v * hsv.saturation;
    const double sector = std::fmod(hsv.hue, 360.0) / 60.0;
    const double x = chroma * (1.0 - std::fabs(std::fmod(sector, 2.0) - 1.0));
    const double m = v - chroma;
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(sector)) {
        case 0:
            r = chroma;
            g = x;
            break;
        case 1:
            r = x;
            g = chroma;
            break;
        case 2:
            g = chroma;
            b = x;
            break;
        case 3:
            g = x;
            b = chroma;
            break;
        case 4:
            r = x;
            b = chroma;
            break;
        default:
            r = chroma;
            b = x;
            break;
    }
    return RgbColor{ToPart(r + m), ToPart(g + m), ToPart(b + m)};
}

}  // namespace

DialogColors::DialogColors(RgbColor contentColor, RgbColor bandColor)
    : content(contentColor), band(bandColor), separator(SeparatorFor(contentColor, bandColor)) {}

RgbColor DialogColors::SeparatorFor(RgbColor contentColor, RgbColor bandColor) {
    const Hsv a = ToHsv(contentColor);
    const Hsv b = ToHsv(bandColor);
    const double hueGap = std::fabs(a.hue - b.hue);
    const double dh = std::min(hueGap, 360.0 - hueGap) / 360.0;
    const double ds = a.saturation - b.saturation;
    const double dv = a.value - b.value;
    if (std::sqrt(dh * dh + ds * ds + dv * dv) > 0.15) return contentColor;

    const double mean = (a.value + b.value) / 2.0;
    const double value = mean > 0.5 ? std::min(a.value, b.value) - 0.08 : std::max(a.value, b.value) + 0.09;
    return ToRgb(Hsv{a.hue, a.saturation, std::clamp(value, 0.0, 1.0)});
}

}  // namespace riviru
