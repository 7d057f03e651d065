#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "riviru/ui/DialogBands.h"
#include "riviru/ui/ResizeArithmetic.h"

using riviru::LayoutRect;

namespace riviru {
// Found by the test macros through the argument's namespace.
void PrintTo(const LayoutRect& r, std::ostream* out) {
    *out << '(' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << ')';
}
}  // namespace riviru

TEST(ResizeArithmetic, ChildrenFollowTheirAnchors) {
    using namespace riviru;
    struct Case {
        const char* what;
        LayoutRect oldClient;
        LayoutRect newClient;
        std::uint32_t flags;
        LayoutRect expected;
    };
    const LayoutRect child{10, 20, 40, 30};
    const LayoutRect grown{0, 0, 111, 91};
    const LayoutRect start{0, 0, 100, 80};
    const Case cases[] = {
        // Centred: 111/2 - 100/2 = 5 and 91/2 - 80/2 = 5.
        {"centred", start, grown, 0, {15, 25, 45, 35}},
        // The same growth by 11 from odd extents: 112/2 - 101/2 = 6.
        {"centred from odd extents", {0, 0, 101, 81}, {0, 0, 112, 92}, 0, {16, 26, 46, 36}},
        {"top left stays", start, grown, AnchorTop | AnchorLeft, child},
        {"right only moves, vertically centred", start, grown, AnchorRight, {21, 25, 51, 35}},
        {"left and right stretch", start, grown, AnchorLeft | AnchorRight | AnchorTop, {10, 20, 51, 30}},
        {"all four stretch both ways", start, grown, 15, {10, 20, 51, 41}},
        {"right and bottom follow the corner", start, grown, 12, {21, 31, 51, 41}},
        {"bottom only moves, horizontally centred", start, grown, AnchorBottom, {15, 31, 45, 41}},
        {"shrinking moves back", grown, start, 12, {-1, 9, 29, 19}},
        {"pin right", start, grown, AnchorTop | AnchorLeft | PinRight, {10, 20, 111, 30}},
        {"pin bottom", start, grown, AnchorTop | AnchorLeft | PinBottom, {10, 20, 40, 91}},
        {"pin top and left",
         start,
         {5, 7, 116, 98},
         AnchorTop | AnchorLeft | PinTop | PinLeft,
         {5, 7, 40, 30}},
        {"pins after anchors", start, grown, 15 | PinTop | PinLeft | PinRight | PinBottom, grown},
        {"no copy bits does not move", start, grown, AnchorTop | AnchorLeft | NoCopyBits, child},
        {"unchanged client", start, start, 0, child},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResizedChildRect(c.oldClient, c.newClient, child, c.flags), c.expected) << c.what;
    }
}

TEST(ResizeArithmetic, MoveFlagsAddNoCopyBitsAndNoRedraw) {
    using namespace riviru;
    EXPECT_EQ(ResizeMoveFlags(0, true), 0x214u);
    EXPECT_EQ(ResizeMoveFlags(15, true), 0x214u);
    EXPECT_EQ(ResizeMoveFlags(NoCopyBits, true), 0x314u);
    EXPECT_EQ(ResizeMoveFlags(0, false), 0x21Cu);
    EXPECT_EQ(ResizeMoveFlags(NoCopyBits | 12, false), 0x31Cu);
}

TEST(ResizeArithmetic, GripCellIsTheLowerRightCorner) {
    const LayoutRect cell = riviru::GripCell(LayoutRect{0, 0, 200, 100}, 17, 15);
    EXPECT_EQ(cell, (LayoutRect{183, 85, 200, 100}));
    EXPECT_TRUE(cell.Contains(183, 85));
    EXPECT_TRUE(cell.Contains(199, 99));
    EXPECT_FALSE(cell.Contains(200, 99));  // right and bottom are exclusive
    EXPECT_FALSE(cell.Contains(182, 99));
    EXPECT_FALSE(cell.Contains(190, 84));
}

TEST(DialogBands, BandTakesTheLowestRows) {
    const riviru::DialogBands bands = riviru::SplitDialogBands(LayoutRect{0, 0, 300, 200}, 44);
    EXPECT_EQ(bands.content, (LayoutRect{0, 0, 300, 156}));
    EXPECT_EQ(bands.band, (LayoutRect{0, 156, 300, 200}));
    // By the control's top edge: a control reaching into the band from above
    // still counts as content.
    EXPECT_TRUE(riviru::IsInContentArea(155, bands));
    EXPECT_FALSE(riviru::IsInContentArea(156, bands));
    const riviru::DialogBands noBand = riviru::SplitDialogBands(LayoutRect{0, 0, 300, 200}, 0);
    EXPECT_EQ(noBand.content, (LayoutRect{0, 0, 300, 200}));
    EXPECT_EQ(noBand.band.Height(), 0);
}

TEST(DialogBands, SeparatorIsOneScaledPixelRow) {
    struct Case {
        int dpi;
        int bandHeight;
        int separatorRows;
    };
    const Case cases[] = {
        {96, 44, 1},  {120, 44, 1}, {144, 44, 2}, {192, 44, 2},  // lround(1.25) = 1, lround(1.5) = 2
        {288, 44, 3}, {0, 44, 1},                                // no DC: 96 DPI
        {144, 1, 1},  {144, 0, 0},                               // never more than the band
    };
    for (const Case& c : cases) {
        const riviru::DialogBands bands = riviru::SplitDialogBands(LayoutRect{0, 0, 300, 200}, c.bandHeight);
        const riviru::DialogBandPaint paint = riviru::BandPaintRects(bands, c.dpi);
        EXPECT_EQ(paint.content, bands.content) << c.dpi;
        EXPECT_EQ(paint.separator,
                  (LayoutRect{0, 200 - c.bandHeight, 300, 200 - c.bandHeight + c.separatorRows}))
            << c.dpi << " DPI, band " << c.bandHeight;
        EXPECT_EQ(paint.band, (LayoutRect{0, paint.separator.bottom, 300, 200})) << c.dpi;
    }
}
