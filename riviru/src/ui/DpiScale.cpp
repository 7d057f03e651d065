#include "riviru/ui/DpiScale.h"

#include <cmath>

namespace riviru {

int DpiScale::Scale(int size) const noexcept {
    return static_cast<int>(std::lround(static_cast<double>(size) * dpi_ / kBaseDpi));
}

int DpiScale::CentredStart(int centreStart, int centreEnd, int extent, int areaStart, int areaEnd) noexcept {
    // In 64 bits: the sum of two screen coordinates may leave the int range.
    const long long middle = (static_cast<long long>(centreStart) + centreEnd) / 2;
    long long start = middle - extent / 2;
    if (start < areaStart) {
        start = areaStart;
    } else if (start + extent > areaEnd) {
        start = static_cast<long long>(areaEnd) - extent;
        if (start < areaStart) start = areaStart;
    }
    return static_cast<int>(start);
}

}  // namespace riviru
