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

TEST(DiagramBitmap, UnknownLanguagesGetTheEnglishPicture) {
    const char* const codes[] = {"deu", "", "ANG", nullptr};
    for (const char* code : codes) EXPECT_EQ(diagramBitmapFor(code), 207) << (code ? code : "null");
}

}  // namespace
