// The GDI object count the leak tests rely on must see every object made.
#include <windows.h>

#include <gtest/gtest.h>

#include "tools/win_run.h"

namespace {

TEST(GdiCount, SeesObjectsMadeAndFreed) {
    const long before = gdiObjectCount();
    ASSERT_GT(before, 0);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    EXPECT_EQ(gdiObjectCount(), before + 3);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DeleteObject(pen);
    EXPECT_EQ(gdiObjectCount(), before);
}

}  // namespace
