// Layout arithmetic of the dialog toolkit: sizes given in pixels for 96 DPI
// scaled to the screen, and the centring of a window or a child. Holds:
// DpiScale.
#pragma once

namespace riviru {

class DpiScale {
public:
    static constexpr int kBaseDpi = 96;

    // A DPI of 0 or less (no device context) counts as 96.
    explicit DpiScale(int dpi) noexcept : dpi_(dpi > 0 ? dpi : kBaseDpi) {}

    int Dpi() const noexcept { return dpi_; }
    // dpi / 96 as a real number.
    double Factor() const noexcept { return static_cast<double>(dpi_) / kBaseDpi; }
    // lround(size * dpi / 96), halves away from zero. Multiplying before the
    // division keeps halves exact (size * Factor() may not be at 100 DPI).
    int Scale(int size) const noexcept;

    // The shift that keeps a child centred when its parent's extent changes:
    // the two halves are truncated separately, so a growth by 11 moves the
    // child by 5 or 6 depending on the old extent.
    static int CentringShift(int oldExtent, int newExtent) noexcept { return newExtent / 2 - oldExtent / 2; }

    // Start of a window of the given extent centred on [centreStart,
    // centreEnd), then moved into [areaStart, areaEnd) (the work area): a
    // window that does not fit keeps its start edge visible.
    static int CentredStart(int centreStart, int centreEnd, int extent, int areaStart, int areaEnd) noexcept;

private:
    int dpi_;
};

}  // namespace riviru
