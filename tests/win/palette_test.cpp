// The shared pens and brushes are owned: a set gives back every object it
// made when it goes, and asking for the shared set again makes nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/palette_win.h"
#include "tools/win_run.h"

namespace {

TEST(Palette, ASetGivesBackEveryObjectItMade) {
    const long before = gdiObjectCount();
    {
        const Palette p = makePalette();
        EXPECT_GT(gdiObjectCount(), before);
        EXPECT_NE(static_cast<HPEN>(p.lightGrey2), nullptr);
        EXPECT_NE(static_cast<HBRUSH>(p.brown), nullptr);
    }
    EXPECT_EQ(gdiObjectCount(), before);
}

TEST(Palette, TheSharedSetIsMadeOnce) {
    createPalette();
    const HPEN pen = palette.black1;
    const long before = gdiObjectCount();
    createPalette();
    EXPECT_EQ(gdiObjectCount(), before);
    EXPECT_EQ(static_cast<HPEN>(palette.black1), pen);
}

}  // namespace
