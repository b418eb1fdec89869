// The wiring diagram page in the real main window: scroll clicks at the
// smallest size, the whole picture at the larger ones, the picture of the
// language, and what a showing takes from GDI.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "service/diagram.h"
#include "service/diagram_page_win.h"
#include "shell/language_list.h"
#include "shell/pages_win.h"
#include "shell_fixture.h"
#include "test_window.h"
#include "tools/win_run.h"

using namespace shelltest;

namespace {

class DiagramPage : public ShellTest {
protected:
    void showAt(int sizeCommand, const char* code = "ang") {
        start(1, code);
        command(sizeCommand);
        command(IDM_DIAGRAM);
        drainMessages();
        ASSERT_EQ(shownPage, PageDiagram);
        ASSERT_EQ(diagramViewState().page, currentPage);
    }

    HWND bar(int id) { return GetDlgItem(currentPage, id); }

    void click(int id, int request) {
        const UINT msg = id == IDC_DIAGRAM_HBAR ? WM_HSCROLL : WM_VSCROLL;
        SendMessageA(currentPage, msg, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(bar(id)));
    }

    // The picture's own pixel at (x, y), read from a fresh copy of the bitmap.
    static COLORREF pictureAt(int bitmapId, int x, int y) {
        HBITMAP b = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId));
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, b);
        const COLORREF c = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        DeleteObject(b);
        return c;
    }

    static COLORREF pageAt(int x, int y) { return wintest::pixelOf(currentPage, x, y); }

    // The viewport shows the picture from the view's offset on: compared
    // along the viewport's edges and diagonal.
    void expectPictureShown() {
        const DiagramViewState v = diagramViewState();
        ASSERT_TRUE(v.bitmapLoaded);
        HBITMAP b = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(v.bitmapId));
        HDC page = GetDC(currentPage);
        HDC dc = CreateCompatibleDC(page);
        HGDIOBJ old = SelectObject(dc, b);
        int differing = 0;
        for (int i = 0; i < 200; ++i) {
            const int x = i * (v.w - 1) / 199, y = i * (v.h - 1) / 199;
            const POINT probes[] = {{x, 0}, {x, v.h - 1}, {0, y}, {v.w - 1, y}, {x, y}};
            for (const POINT& p : probes)
                differing += GetPixel(page, v.originX + p.x, v.originY + p.y) !=
                             GetPixel(dc, v.offsetX + p.x, v.offsetY + p.y);
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(currentPage, page);
        DeleteObject(b);
        EXPECT_EQ(differing, 0);
    }
};

TEST_F(DiagramPage, ClicksAtTheSmallestSizeMoveTheOffsetsAndTheBars) {
    showAt(IDM_SIZE_640);
    EXPECT_TRUE(IsWindowVisible(bar(IDC_DIAGRAM_HBAR)));
    EXPECT_TRUE(IsWindowVisible(bar(IDC_DIAGRAM_VBAR)));
    int low = 0, high = 0;
    GetScrollRange(bar(IDC_DIAGRAM_HBAR), SB_CTL, &low, &high);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 361);
    GetScrollRange(bar(IDC_DIAGRAM_VBAR), SB_CTL, &low, &high);
    EXPECT_EQ(high, 266);
    EXPECT_EQ(diagramViewState().offsetX, 0);
    expectPictureShown();

    struct Step {
        int bar, request, x, y;
    };
    const Step steps[] = {
        {IDC_DIAGRAM_HBAR, SB_LINERIGHT, 10, 0}, {IDC_DIAGRAM_HBAR, SB_LINELEFT, 1, 0},
        {IDC_DIAGRAM_HBAR, SB_LINELEFT, 1, 0},   {IDC_DIAGRAM_VBAR, SB_PAGEDOWN, 1, 50},
        {IDC_DIAGRAM_VBAR, SB_LINEUP, 1, 40},    {IDC_DIAGRAM_VBAR, SB_PAGEUP, 1, 1},
        {IDC_DIAGRAM_HBAR, SB_PAGERIGHT, 51, 1}, {IDC_DIAGRAM_HBAR, SB_ENDSCROLL, 51, 1},
    };
    for (const Step& s : steps) {
        click(s.bar, s.request);
        EXPECT_EQ(diagramViewState().offsetX, s.x) << s.request;
        EXPECT_EQ(diagramViewState().offsetY, s.y) << s.request;
    }
    EXPECT_EQ(GetScrollPos(bar(IDC_DIAGRAM_HBAR), SB_CTL), 51);
    EXPECT_EQ(GetScrollPos(bar(IDC_DIAGRAM_VBAR), SB_CTL), 1);
    expectPictureShown();

    // Page-right up to the far edge: the last picture column is shown.
    for (int i = 0; i < 8; ++i) click(IDC_DIAGRAM_HBAR, SB_PAGERIGHT);
    EXPECT_EQ(diagramViewState().offsetX, 361);
    EXPECT_EQ(GetScrollPos(bar(IDC_DIAGRAM_HBAR), SB_CTL), 361);
    const DiagramViewState v = diagramViewState();
    EXPECT_EQ(pageAt(v.originX + v.w - 1, v.originY + 5),
              pictureAt(v.bitmapId, DiagramWidth - 1, v.offsetY + 5));
    expectPictureShown();

    SendMessageA(currentPage, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 123),
                 reinterpret_cast<LPARAM>(bar(IDC_DIAGRAM_HBAR)));
    EXPECT_EQ(diagramViewState().offsetX, 123);
    expectPictureShown();
}

TEST_F(DiagramPage, LargerSizesShowTheWholePictureCentredWithoutBars) {
    for (int size : {IDM_SIZE_1024, IDM_SIZE_1280_960, IDM_SIZE_1280_1024}) {
        SCOPED_TRACE(size);
        showAt(size);
        EXPECT_FALSE(IsWindowVisible(bar(IDC_DIAGRAM_HBAR)));
        EXPECT_FALSE(IsWindowVisible(bar(IDC_DIAGRAM_VBAR)));
        RECT client;
        GetClientRect(mainWindow, &client);
        const DiagramViewState v = diagramViewState();
        EXPECT_EQ(v.originX, (client.right - DiagramWidth) / 2);
        EXPECT_EQ(v.originY, (client.bottom - DiagramHeight) / 2);
        EXPECT_EQ(v.w, DiagramWidth);
        EXPECT_EQ(v.h, DiagramHeight);
        expectPictureShown();
        DestroyWindow(mainWindow);
        drainMessages();
    }
}

TEST_F(DiagramPage, ALanguageChangeShowsThatLanguagesPictureFromTheStart) {
    showAt(IDM_SIZE_800, "ang");
    EXPECT_EQ(diagramViewState().bitmapId, IDB_DIAGRAM_ANG);
    click(IDC_DIAGRAM_HBAR, SB_PAGERIGHT);
    click(IDC_DIAGRAM_VBAR, SB_PAGEDOWN);
    for (const LanguageRow& l : AllLanguages) {
        if (std::strcmp(l.code, "ang") == 0) continue;  // shown already
        SCOPED_TRACE(l.code);
        command(l.command);
        drainMessages();
        const DiagramViewState v = diagramViewState();
        EXPECT_EQ(v.page, currentPage);
        EXPECT_EQ(v.bitmapId, l.diagram);
        EXPECT_EQ(v.offsetX, 0);
        EXPECT_EQ(v.offsetY, 0);
        EXPECT_EQ(GetScrollPos(bar(IDC_DIAGRAM_HBAR), SB_CTL), 1);
        expectPictureShown();
    }
}

// The picture's pixels as 32-bit rows; empty when the bitmap is missing.
std::vector<uint32_t> pixelsOf(HBITMAP b) {
    std::vector<uint32_t> pixels;
    BITMAP info = {};
    if (!b || !GetObjectA(b, sizeof info, &info)) return pixels;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    pixels.resize(size_t(info.bmWidth) * size_t(info.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, b, 0, UINT(info.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(DiagramBitmaps, TheStoredRunLengthPicturesLoadAsTheDrawnOnes) {
    for (const LanguageRow& p : AllLanguages) {
        SCOPED_TRACE(p.code);
        HBITMAP stored = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(p.diagram));
        const std::string path = wineDrivePath(std::string(ZUVELS_SOURCE_DIR) +
                                               "/res/diagram/diagram_" + p.code + ".bmp");
        HBITMAP drawn = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(stored, nullptr);
        ASSERT_NE(drawn, nullptr) << path;
        BITMAP info = {};
        GetObjectA(stored, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, DiagramWidth);
        EXPECT_EQ(info.bmHeight, DiagramHeight);
        const std::vector<uint32_t> a = pixelsOf(stored), b = pixelsOf(drawn);
        EXPECT_EQ(a.size(), size_t(DiagramWidth) * DiagramHeight);
        EXPECT_TRUE(a == b);
        DeleteObject(stored);
        DeleteObject(drawn);
    }
}

TEST_F(DiagramPage, TwoHundredShowingsGiveBackEveryGdiObject) {
    // Every size command re-creates the page and sets its view up afresh.
    showAt(IDM_SIZE_640);
    command(IDM_SIZE_800);
    command(IDM_SIZE_640);
    drainMessages();
    const long before = gdiObjectCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 200; ++i) command(i % 2 ? IDM_SIZE_640 : IDM_SIZE_800);
    drainMessages();
    // Two DCs and a bitmap kept per showing would add 600.
    EXPECT_LE(gdiObjectCount(), before);
}

}  // namespace
