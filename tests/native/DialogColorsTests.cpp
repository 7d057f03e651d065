#include <gtest/gtest.h>

#include <ostream>

#include "riviru/ui/DialogColors.h"

using riviru::DialogColors;
using riviru::RgbColor;

namespace riviru {
// Readable failures.
static std::ostream& operator<<(std::ostream& out, RgbColor c) {
    return out << '(' << int{c.red} << ", " << int{c.green} << ", " << int{c.blue} << ')';
}
}  // namespace riviru

namespace {

struct SeparatorCase {
    const char* name;
    RgbColor content;
    RgbColor band;
    RgbColor separator;
};

// Expected values worked out by hand from the HSV rule; none of them lies
// close to an integer boundary before the parts are truncated.
const SeparatorCase kCases[] = {
    // Classic scheme: 240/255 - 0.08 of the darker colour gives 219.6.
    {"ClassicWhiteAndLightGrey", {255, 255, 255}, {240, 240, 240}, {219, 219, 219}},
    // The darker value is taken whichever of the two it belongs to.
    {"LightGreyContentWhiteBand", {240, 240, 240}, {255, 255, 255}, {219, 219, 219}},
    {"ContrastingKeepsContent", {255, 255, 255}, {0, 0, 0}, {255, 255, 255}},
    // Dark scheme (mean value below one half): the lighter value + 0.09.
    {"DarkGreys", {32, 32, 32}, {43, 43, 43}, {65, 65, 65}},
    {"BlackContent", {0, 0, 0}, {8, 8, 8}, {30, 30, 30}},
    {"DarkPurple", {60, 40, 80}, {70, 50, 90}, {84, 56, 112}},
    // The content's hue and saturation are kept, the band's are not.
    {"WarmWhiteOnGrey", {255, 250, 245}, {240, 240, 240}, {219, 215, 210}},
    // Hues 349 and 11 degrees are 22 degrees apart across 0, not 338.
    {"HueDistanceWrapsAround", {250, 200, 213}, {250, 213, 200}, {229, 183, 195}},
    // A grey has hue 0, so a light blue differs from light grey by 140 degrees.
    {"LightBlueOnGreyIsFarApart", {230, 240, 255}, {240, 240, 240}, {230, 240, 255}},
    {"SaturatedPairFarApart", {255, 200, 210}, {210, 255, 200}, {255, 200, 210}},
};

}  // namespace

TEST(DialogColors, SeparatorFromContentAndBand) {
    for (const SeparatorCase& c : kCases) {
        EXPECT_EQ(DialogColors::SeparatorFor(c.content, c.band), c.separator) << c.name;
    }
}

TEST(DialogColors, SchemeHoldsTheSystemColoursAndTheBandHeight) {
    const DialogColors scheme({255, 255, 255}, {240, 240, 240});
    EXPECT_EQ(scheme.content, (RgbColor{255, 255, 255}));
    EXPECT_EQ(scheme.band, (RgbColor{240, 240, 240}));
    EXPECT_EQ(scheme.separator, (RgbColor{219, 219, 219}));
    EXPECT_EQ(scheme.bandHeightDialogUnits, 29);
}

TEST(DialogColors, ColoursCompareByAllThreeParts) {
    const RgbColor base{10, 20, 30};
    EXPECT_EQ(base, (RgbColor{10, 20, 30}));
    EXPECT_NE(base, (RgbColor{11, 20, 30}));
    EXPECT_NE(base, (RgbColor{10, 21, 30}));
    EXPECT_NE(base, (RgbColor{10, 20, 31}));
}
