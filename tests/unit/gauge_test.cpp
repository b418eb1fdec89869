#include "readings/gauge.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

struct ArcCase {
    int radius, index, x, y;
};

TEST(GaugeArcTable, KnownPointsOfEachRadius) {
    const ArcCase cases[] = {
        {115, 0, 30, 187},
        {115, 20, 15, 130},
        {115, 80, 130, 15},
        {115, 140, 245, 130},
        {115, 160, 230, 187},
        {124, 0, 23, 192},
        {124, 80, 130, 6},
        {110, 0, 35, 185},
        {110, 80, 130, 20},
        {20, 0, 113, 140},
        {20, 80, 130, 110},
        // Either side of 45 degrees, where the axis taken from the circle
        // changes: sine below, cosine from index 50 on, and back after 110.
        {115, 49, 46, 51},
        {115, 50, 49, 48},
        {115, 110, 211, 48},
        {115, 111, 214, 51},
    };
    for (const ArcCase& c : cases) {
        ArcPoint table[ArcPointCount];
        buildArcTable(c.radius, table);
        EXPECT_EQ(c.x, table[c.index].x) << "radius " << c.radius << " index " << c.index;
        EXPECT_EQ(c.y, table[c.index].y) << "radius " << c.radius << " index " << c.index;
    }
}

TEST(GaugeArcTable, EveryPointLiesOnItsCircleAndTheDialTurnsClockwise) {
    for (int radius : {115, 124, 110, 20}) {
        ArcPoint table[ArcPointCount];
        buildArcTable(radius, table);
        for (int i = 0; i < ArcPointCount; ++i) {
            const double dx = table[i].x - 130, dy = table[i].y - 130;
            EXPECT_NEAR(radius, std::sqrt(dx * dx + dy * dy), 1.0)
                << "radius " << radius << " index " << i;
            // Left half up to 12 o'clock, right half after it.
            if (i < 80) {
                EXPECT_LE(table[i].x, 130) << i;
            } else if (i > 80) {
                EXPECT_GE(table[i].x, 130) << i;
            }
        }
        // The dial is symmetric about its vertical axis.
        for (int i = 0; i <= 80; ++i) {
            EXPECT_NEAR(260 - table[i].x, table[160 - i].x, 1)
                << "radius " << radius << " index " << i;
            EXPECT_NEAR(table[i].y, table[160 - i].y, 1) << "radius " << radius << " index " << i;
        }
    }
}

TEST(GaugeTables, SubsampledTablesTakeEveryTwentiethAndFourthPoint) {
    buildGaugeTables();
    ArcPoint full110[ArcPointCount], full115[ArcPointCount];
    buildArcTable(110, full110);
    buildArcTable(115, full115);
    for (int i = 0; i < MajorTickCount; ++i) {
        EXPECT_EQ(full110[20 * i].x, majorTickInner[i].x) << i;
        EXPECT_EQ(full110[20 * i].y, majorTickInner[i].y) << i;
    }
    for (int i = 0; i < MinorTickCount; ++i) {
        EXPECT_EQ(full115[4 * i].x, minorTickInner[i].x) << i;
        EXPECT_EQ(full115[4 * i].y, minorTickInner[i].y) << i;
    }
    EXPECT_EQ(130, needleTip[80].x);
    EXPECT_EQ(15, needleTip[80].y);
    EXPECT_EQ(6, tickOuter[80].y);
    EXPECT_EQ(113, needleBase[0].x);
    EXPECT_EQ(140, needleBase[0].y);
}

TEST(GaugeIndex, FiftyRpmAStepCappedAtFullScale) {
    const struct {
        int rpm, index;
    } cases[] = {
        {0, 0},      {49, 0},     {50, 1},     {4000, 80},      {7500, 150},
        {7999, 159}, {8000, 160}, {8050, 160}, {15000000, 160}, {-50, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.index, gaugeIndex(c.rpm)) << c.rpm;
}

TEST(GaugePlacement, DialCentreUsesTheHorizontalScaleOnBothAxes) {
    const struct {
        double sx;
        int x, y;
    } cases[] = {
        {0.8, 500, 136},
        {1.0, 625, 170},
        {1.28, 800, 217},
        {1.6, 1000, 272},
    };
    for (const auto& c : cases) {
        const ArcPoint p = gaugePixel({130, 130}, c.sx);
        EXPECT_EQ(c.x, p.x) << c.sx;
        EXPECT_EQ(c.y, p.y) << c.sx;
    }
    const ArcPoint hub = gaugeDesignPixel(605, 150, 1.28);
    EXPECT_EQ(774, hub.x);  // 774.4
    EXPECT_EQ(192, hub.y);  // 150 x 1.28, not x 1.32
}

}  // namespace
