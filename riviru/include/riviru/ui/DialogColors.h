// The colour scheme of two-band dialogs: content area, button band and the
// separator line between them. Holds: RgbColor, DialogColors.
#pragma once
#include <cstdint>

namespace riviru {

struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

constexpr bool operator==(RgbColor a, RgbColor b) noexcept {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
constexpr bool operator!=(RgbColor a, RgbColor b) noexcept {
    return !(a == b);
}

class DialogColors {
public:
    static constexpr int kBandHeightDialogUnits = 29;

    // content: the system window colour; band: the button-face colour.
    DialogColors(RgbColor contentColor, RgbColor bandColor);

    // A line that stays visible between two similar colours: the content
    // colour when the two differ enough, otherwise the content colour made
    // darker (light schemes) or lighter (dark schemes).
    static RgbColor SeparatorFor(RgbColor contentColor, RgbColor bandColor);

    RgbColor content;
    RgbColor band;
    RgbColor separator;
    int bandHeightDialogUnits = kBandHeightDialogUnits;
};

}  // namespace riviru
