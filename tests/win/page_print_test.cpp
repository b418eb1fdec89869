// Every page prints itself as it paints itself: what WM_PRINT (its
// background, then WM_PRINTCLIENT) leaves on a memory DC is what its
// WM_PAINT left on the screen.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/page_list.h"
#include "shell/pages_win.h"
#include "shell/shell_win.h"
#include "shell/sizes.h"
#include "shell_fixture.h"

using namespace shelltest;

namespace {

// Design points, every StepX by StepY over the design space (800 x 570),
// scaled to the size shown.
const int StepX = 23, StepY = 19, DesignW = 800, DesignH = 570;

// True when (x, y) of the page lies on one of its visible child windows:
// they print themselves, not as part of the page's client area.
bool onChild(HWND page, int x, int y) {
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        const POINT p = {x, y};
        if (PtInRect(&r, p)) return true;
    }
    return false;
}

class PagePrint : public ShellTest {
protected:
    // The shown page's pixels at the design points: painted on the screen
    // and printed on a memory DC. Returns how many points differ, the first
    // of them in where.
    int differingPoints(std::string* where, int* compared) {
        HWND page = currentPage;
        RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT client;
        GetClientRect(page, &client);
        // Only what shows: inside the main window's client area and the screen.
        RECT shown, main;
        GetClientRect(mainWindow, &main);
        MapWindowPoints(mainWindow, page, reinterpret_cast<POINT*>(&main), 2);
        IntersectRect(&shown, &client, &main);
        RECT screenRect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&screenRect), 2);
        IntersectRect(&shown, &shown, &screenRect);
        HDC screen = GetDC(page);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageW(page, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_ERASEBKGND | PRF_CLIENT);
        int differ = 0;
        *compared = 0;
        for (int dy = 0; dy < DesignH; dy += StepY)
            for (int dx = 0; dx < DesignW; dx += StepX) {
                const int x = scaleCoord(dx, dashboardScale.sx),
                          y = scaleCoord(dy, dashboardScale.sy);
                const POINT at = {x, y};
                if (!PtInRect(&shown, at) || onChild(page, x, y)) continue;
                ++*compared;
                const COLORREF painted = GetPixel(screen, x, y), printed = GetPixel(memory, x, y);
                if (painted == printed) continue;
                if (differ++ == 0)
                    *where = "design point " + std::to_string(dx) + "," + std::to_string(dy) +
                             ": painted " + std::to_string(painted) + ", printed " +
                             std::to_string(printed);
            }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(page, screen);
        return differ;
    }
};

TEST_F(PagePrint, EveryPagePrintsWhatItPaintsAtEverySize) {
    start(1, "ang");
    // The pixels are read from the screen: nothing a test before left
    // behind may lie over the window.
    SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (int size : {IDM_SIZE_640, IDM_SIZE_1024}) {
        command(size);
        for (const PageEntry& p : AllPages) {
            SCOPED_TRACE(std::string(p.name) + " at size " + std::to_string(shownSize));
            command(p.command);
            drainMessages();
            // No tick may change the view between the paint and the print.
            KillTimer(currentPage, PagePollTimerId);
            std::string where;
            int compared = 0;
            EXPECT_EQ(0, differingPoints(&where, &compared)) << where;
            EXPECT_GT(compared, 100);
        }
    }
}

}  // namespace
