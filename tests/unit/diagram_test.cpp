// The wiring diagram page's viewport and scroll offset rules.
#include "service/diagram.h"

#include <gtest/gtest.h>

namespace {

TEST(DiagramScroll, EveryRequestMovesTheOffsetByItsRule) {
    struct Case {
        int offset, maximum, request;
        uint16_t thumb;
        int expected;
    };
    const Case cases[] = {
        // arrows and clicks beside the thumb, away from the ends
        {100, 361, ScrollLineDown, 0, 110},
        {100, 361, ScrollPageDown, 0, 150},
        {100, 361, ScrollLineUp, 0, 90},
        {100, 361, ScrollPageUp, 0, 50},
        // the far end stops at the maximum: the last column shown is 960
        {330, 361, ScrollPageDown, 0, 361},
        {355, 361, ScrollLineDown, 0, 361},
        {361, 361, ScrollLineDown, 0, 361},
        {311, 361, ScrollPageDown, 0, 361},
        // towards the start the offset stops at 1, never back at 0
        {0, 361, ScrollLineUp, 0, 1},
        {0, 266, ScrollPageUp, 0, 1},
        {10, 361, ScrollLineUp, 0, 1},
        {11, 361, ScrollLineUp, 0, 1},
        {50, 361, ScrollPageUp, 0, 1},
        {51, 361, ScrollPageUp, 0, 1},
        {12, 361, ScrollLineUp, 0, 2},
        {1, 361, ScrollLineUp, 0, 1},
        // a step back from beyond the maximum lands on 1 too
        {400, 361, ScrollLineUp, 0, 1},
        // the thumb goes where it is dragged, taken as a signed 16-bit word
        {100, 361, ScrollThumbTrack, 200, 200},
        {100, 361, ScrollThumbTrack, 0, 0},
        {100, 361, ScrollThumbTrack, 0xFFFF, -1},
        // everything else leaves the offset alone
        {100, 361, ScrollThumbPosition, 300, 100},
        {100, 361, ScrollTop, 0, 100},
        {100, 361, ScrollBottom, 0, 100},
        {100, 361, ScrollEnd, 0, 100},
        {100, 361, 42, 0, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scrolledOffset(c.offset, c.maximum, c.request, c.thumb), c.expected)
            << "offset " << c.offset << " request " << c.request;
}

TEST(DiagramScroll, ArrowsNeverBringTheOffsetBackToZero) {
    int offset = 0;
    offset = scrolledOffset(offset, 361, ScrollLineDown, 0);
    EXPECT_EQ(offset, 10);
    for (int i = 0; i < 5; ++i) offset = scrolledOffset(offset, 361, ScrollLineUp, 0);
    EXPECT_EQ(offset, 1);
    offset = scrolledOffset(offset, 361, ScrollPageDown, 0);
    EXPECT_EQ(offset, 51);
    offset = scrolledOffset(offset, 361, ScrollPageUp, 0);
    EXPECT_EQ(offset, 1);
}

TEST(DiagramLayout, SmallSizesShowAViewportBetweenTwoBars) {
    struct Case {
        int size, w, h, maxX, maxY;
        BarPlace hbar, vbar;
    };
    const Case cases[] = {
        {1, 600, 370, 361, 266, {10, 380, 600, 15}, {610, 10, 15, 370}},
        {2, 750, 485, 211, 151, {10, 495, 750, 20}, {760, 10, 20, 485}},
    };
    for (const Case& c : cases) {
        const DiagramLayout l = diagramLayout(c.size, 634, 421);
        EXPECT_TRUE(l.scrollBars);
        EXPECT_EQ(l.originX, 10);
        EXPECT_EQ(l.originY, 10);
        EXPECT_EQ(l.w, c.w);
        EXPECT_EQ(l.h, c.h);
        EXPECT_EQ(l.maxX, c.maxX);
        EXPECT_EQ(l.maxY, c.maxY);
        EXPECT_EQ(l.hbar.x, c.hbar.x);
        EXPECT_EQ(l.hbar.y, c.hbar.y);
        EXPECT_EQ(l.hbar.w, c.hbar.w);
        EXPECT_EQ(l.hbar.h, c.hbar.h);
        EXPECT_EQ(l.vbar.x, c.vbar.x);
        EXPECT_EQ(l.vbar.y, c.vbar.y);
        EXPECT_EQ(l.vbar.w, c.vbar.w);
        EXPECT_EQ(l.vbar.h, c.vbar.h);
    }
}

TEST(DiagramLayout, LargerSizesCentreTheWholePicture) {
    struct Case {
        int size, clientW, clientH, x, y;
    };
    const Case cases[] = {
        {3, 1018, 709, 28, 36},
        {4, 1274, 901, 156, 132},
        {5, 1274, 965, 156, 164},
        // a client area smaller than the picture: halves truncated toward zero
        {3, 958, 633, -1, -1},
        {3, 957, 630, -2, -3},
    };
    for (const Case& c : cases) {
        const DiagramLayout l = diagramLayout(c.size, c.clientW, c.clientH);
        EXPECT_FALSE(l.scrollBars);
        EXPECT_EQ(l.originX, c.x) << c.size;
        EXPECT_EQ(l.originY, c.y) << c.size;
        EXPECT_EQ(l.w, DiagramWidth);
        EXPECT_EQ(l.h, DiagramHeight);
    }
}

TEST(DiagramBitmap, EachLanguageHasItsPictureAndOthersGetTheEnglishOne) {
    EXPECT_EQ(diagramBitmapFor("pol"), 206);
    EXPECT_EQ(diagramBitmapFor("ang"), 207);
    EXPECT_EQ(diagramBitmapFor("rus"), 216);
    EXPECT_EQ(diagramBitmapFor("lit"), 215);
    EXPECT_EQ(diagramBitmapFor("cs"), 226);
    EXPECT_EQ(diagramBitmapFor("deu"), 207);
    EXPECT_EQ(diagramBitmapFor(""), 207);
    EXPECT_EQ(diagramBitmapFor(nullptr), 207);
}

}  // namespace
