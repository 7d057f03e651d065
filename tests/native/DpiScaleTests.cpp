#include <gtest/gtest.h>

#include <climits>

#include "riviru/ui/DpiScale.h"

using riviru::DpiScale;

TEST(DpiScale, ScalesSizesForTheScreenDpi) {
    struct Case {
        int dpi;
        int size;
        int scaled;
    };
    const Case cases[] = {
        {96, 12, 12},  {96, 0, 0},    {120, 12, 15},   {120, 26, 33},  // 32.5 rounds up
        {144, 1, 2},   {144, 3, 5},   {144, 270, 405}, {192, 600, 1200},
        {100, 12, 13},                             // exactly 12.5: a factor of 1.0416... would risk 12
        {72, 1, 1},    {72, 2, 2},    {48, 1, 1},  // halves away from zero
        {144, -1, -2}, {120, -2, -3},              // negative offsets likewise
        {0, 90, 90},   {-5, 90, 90},               // no device context: 96 DPI
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DpiScale(c.dpi).Scale(c.size), c.scaled) << c.size << " at " << c.dpi << " DPI";
    }
}

TEST(DpiScale, FactorAndDpiFallBackTo96) {
    EXPECT_DOUBLE_EQ(DpiScale(144).Factor(), 1.5);
    EXPECT_DOUBLE_EQ(DpiScale(120).Factor(), 1.25);
    EXPECT_EQ(DpiScale(0).Dpi(), 96);
    EXPECT_DOUBLE_EQ(DpiScale(0).Factor(), 1.0);
    // The separator line: one pixel at 96 DPI, two at 144 DPI.
    EXPECT_EQ(DpiScale(96).Scale(1), 1);
    EXPECT_EQ(DpiScale(144).Scale(1), 2);
}

TEST(DpiScale, CentringShiftTruncatesBothHalves) {
    struct Case {
        int oldExtent;
        int newExtent;
        int shift;
    };
    const Case cases[] = {
        {100, 111, 5},  // 55 - 50
        {101, 112, 6},  // 56 - 50: same growth, different shift
        {100, 100, 0}, {111, 100, -5}, {112, 101, -6}, {0, 1, 0}, {1, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DpiScale::CentringShift(c.oldExtent, c.newExtent), c.shift)
            << c.oldExtent << " -> " << c.newExtent;
    }
}

TEST(DpiScale, CentredStartStaysInsideTheWorkArea) {
    struct Case {
        const char* name;
        int centreStart, centreEnd, extent, areaStart, areaEnd;
        int start;
    };
    const Case cases[] = {
        {"CentredOnScreen", 0, 1920, 400, 0, 1920, 760},
        {"OddRemainderGoesRight", 0, 101, 50, 0, 101, 25},
        {"CentredOnParent", 100, 500, 200, 0, 1920, 200},
        {"ParentNearLeftEdge", -300, 100, 600, 0, 1920, 0},
        {"ParentNearRightEdge", 1800, 2000, 400, 0, 1920, 1520},
        {"SecondMonitorLeftOfPrimary", -1920, 0, 400, -1920, 0, -1160},
        {"WiderThanAreaKeepsStartVisible", 0, 800, 1000, 0, 800, 0},
        {"WiderThanAreaParentFarRight", 700, 800, 1000, 0, 800, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DpiScale::CentredStart(c.centreStart, c.centreEnd, c.extent, c.areaStart, c.areaEnd),
                  c.start)
            << c.name;
    }
    EXPECT_EQ(DpiScale::CentredStart(INT_MAX - 10, INT_MAX, 4, INT_MAX - 10, INT_MAX), INT_MAX - 7);
}
