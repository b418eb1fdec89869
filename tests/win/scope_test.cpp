// The oscilloscope page under Wine, in the real main window on the
// simulated controller: ticks sent as WM_TIMER, frames read from the
// controller's log, the drawing read back pixel by pixel.
#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/link.h"
#include "res/resource.h"
#include "scope/scope.h"
#include "scope/scope_page_win.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/fonts_win.h"
#include "shell/pages_win.h"
#include "shell/shell_win.h"
#include "shell/sizes.h"
#include "sim/sim.h"
#include "tests/sim_frames.h"
#include "tests/win/test_window.h"
#include "tests/win/shell_fixture.h"

namespace {

using shelltest::ShellTest;

const COLORREF Red = RGB(255, 0, 0), Black = RGB(0, 0, 0), White = RGB(255, 255, 255),
               Green = RGB(0, 255, 0), Cyan = RGB(0, 255, 255);
const COLORREF TraceColours[TraceCount] = {RGB(128, 120, 0), RGB(0, 255, 0), RGB(0, 128, 0),
                                           RGB(0, 0, 255), RGB(0, 0, 128)};

using simframes::takeCommands;

class ScopePage : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        resetScopeState();
    }
    void TearDown() override {
        ShellTest::TearDown();
        resetScopeState();
    }

    // The program on the oscilloscope page at a size; ticks by hand from here.
    void openScope(int sizeCommand = IDM_SIZE_800) {
        start(1, "ang");
        showScope(sizeCommand);
    }
    // The page created again at a size.
    void showScope(int sizeCommand) {
        command(sizeCommand);
        command(IDM_SCOPE);
        // The shell armed the timer as it created the page; a real tick on a
        // slow machine must not add a sample before the test counts its own.
        wintest::pump(currentPage);
        KillTimer(currentPage, PagePollTimerId);
        simClearLog();
    }
    void tick() { SendMessageA(currentPage, WM_TIMER, PagePollTimerId, 0); }
    void cursorMode(bool on) {
        HWND box = GetDlgItem(currentPage, IDC_SCOPE_CURSOR);
        SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageA(currentPage, WM_COMMAND, MAKEWPARAM(IDC_SCOPE_CURSOR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(box));
    }
    void scroll(int code, int thumb = 0) {
        SendMessageA(currentPage, WM_HSCROLL, MAKEWPARAM(code, thumb),
                     reinterpret_cast<LPARAM>(GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR)));
    }

    int px(int x) const { return scaleCoord(x, dashboardScale.sx); }
    int py(int y) const { return scaleCoord(y, dashboardScale.sy); }
    COLORREF pixel(int x, int y) { return wintest::pixelOf(currentPage, x, y); }
    // Any pixel of colour within one pixel of (x, y).
    bool inkNear(int x, int y, COLORREF colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (pixel(x + dx, y + dy) == colour) return true;
        return false;
    }
    int bandMiddle(int pane) const {
        return py((Panes[pane].bandTop + Panes[pane].bandBottom) / 2);
    }
    COLORREF fuelBox() { return pixel(px(635), py(500)); }

    // Paints design columns [from, to) of every pane's band in a colour the
    // page never uses, so that what a tick leaves there shows.
    void stain(int from, int to) {
        HDC dc = GetDC(currentPage);
        HBRUSH brush = CreateSolidBrush(Stain);
        for (const Pane& p : Panes) {
            const RECT r = {px(from), py(p.bandTop), px(to), py(p.bandBottom)};
            FillRect(dc, &r, brush);
        }
        DeleteObject(brush);
        ReleaseDC(currentPage, dc);
    }
    // One pixel row across design columns [from, to): W white, R red, S the
    // stain, ? anything else.
    std::string row(int y, int from, int to) {
        std::string s;
        for (int x = px(from); x < px(to); ++x) {
            const COLORREF c = pixel(x, y);
            s += c == White ? 'W' : c == Red ? 'R' : c == Stain ? 'S' : '?';
        }
        return s;
    }
    // A row of the pane's band that no segment of this tick comes near:
    // segments run from the traces' last heights to their new ones.
    int rowAwayFromTraces(int pane, const int before[TraceCount]) const {
        for (int y = py(Panes[pane].bandTop) + 2; y < py(Panes[pane].bandBottom) - 2; ++y) {
            bool clear = true;
            for (int t = 0; t < TraceCount; ++t) {
                if (paneOf(Trace(t)) != pane) continue;
                const int low = std::min(before[t], scope.previousY[t]) - 4;
                const int high = std::max(before[t], scope.previousY[t]) + 4;
                if (y >= low && y <= high) clear = false;
            }
            if (clear) return y;
        }
        return -1;
    }

    static constexpr COLORREF Stain = RGB(255, 0, 255);
};

TEST_F(ScopePage, StatusAndLiveEveryTickBlock3Once) {
    openScope();
    std::vector<int> all;
    for (int i = 0; i < 5; ++i) {
        tick();
        const std::vector<int> c = takeCommands();
        all.insert(all.end(), c.begin(), c.end());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 2, 1, 2, 1, 2, 1, 2}), all);
    EXPECT_EQ(20, armedInterval);
}

TEST_F(ScopePage, SampleDrawsASegmentPerTraceAndTheSweepLineAhead) {
    openScope(IDM_SIZE_1024);
    for (int i = 0; i < 40; ++i) tick();
    int before[TraceCount];
    for (int t = 0; t < TraceCount; ++t) before[t] = scope.previousY[t];
    tick();
    const int col = scope.column;
    EXPECT_EQ(SweepStart + 41, col);
    for (int t = 0; t < TraceCount; ++t) {
        SCOPED_TRACE(t);
        // The segment ends at this column, at the height just acquired,
        // and left the last one's end behind it.
        EXPECT_TRUE(inkNear(px(col), scope.previousY[t], TraceColours[t]));
        EXPECT_TRUE(inkNear(px(col - 1), before[t], TraceColours[t]));
    }
    const Span sweep = sweepLine(col, dashboardScale.sx);
    for (int pane = 0; pane < PaneCount; ++pane) {
        EXPECT_EQ(Red, pixel(sweep.left, bandMiddle(pane))) << pane;
        EXPECT_EQ(White, pixel(sweep.left + 1, bandMiddle(pane))) << pane;
        // The previous sweep line was wiped with the strip before this one.
        EXPECT_NE(Red, pixel(sweepLine(col - 1, dashboardScale.sx).left, bandMiddle(pane)));
    }
}

TEST_F(ScopePage, PaintsBetweenTicksLeaveTheTracesAsAcquired) {
    openScope();
    simPortAdvanceClock(16000);  // a running engine: the traces move off their baselines
    for (int i = 0; i < 8; ++i) tick();
    static ScopeState before;
    before = scope;
    for (int i = 0; i < 3; ++i) {
        InvalidateRect(currentPage, nullptr, TRUE);
        UpdateWindow(currentPage);
    }
    KillTimer(currentPage, PagePollTimerId);
    EXPECT_EQ(0, memcmp(before.points, scope.points, sizeof scope.points));
    EXPECT_EQ(0, memcmp(before.history, scope.history, sizeof scope.history));
    EXPECT_EQ(0, memcmp(before.previousY, scope.previousY, sizeof scope.previousY));
    EXPECT_EQ(before.column, scope.column);
    EXPECT_EQ(before.cursorDrawn, scope.cursorDrawn);
}

TEST_F(ScopePage, CursorModeStopsAcquisitionAndShowsTheRecordedValues) {
    openScope();
    for (int i = 0; i < 20; ++i) tick();
    takeCommands();
    const int stoppedAt = scope.column;

    cursorMode(true);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR)));
    scroll(SB_THUMBTRACK, 12);
    scopeState().history[12].flagsB = FlagsB::OnGas;  // recorded on gas, while petrol now
    blockStores().Live.flagsB = 0;
    tick();
    tick();
    EXPECT_TRUE(takeCommands().empty());
    EXPECT_EQ(stoppedAt, scope.column);
    EXPECT_EQ(Cyan, fuelBox());
    const Span at12 = cursorLine(12, dashboardScale.sx);
    EXPECT_EQ(Black, pixel(at12.left, bandMiddle(0)));
    EXPECT_EQ(Red, pixel(sweepLine(stoppedAt, dashboardScale.sx).left, bandMiddle(3)));

    // Moving on: the old column loses the cursor, the new entry is shown.
    scroll(SB_PAGERIGHT);
    EXPECT_EQ(22, GetScrollPos(GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR), SB_CTL));
    tick();
    EXPECT_NE(Black, pixel(at12.left, bandMiddle(0)));
    EXPECT_EQ(Black, pixel(cursorLine(22, dashboardScale.sx).left, bandMiddle(0)));
    EXPECT_EQ(Green, fuelBox());

    scroll(SB_THUMBTRACK, 600);
    EXPECT_EQ(395, GetScrollPos(GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR), SB_CTL));
}

TEST_F(ScopePage, LeavingCursorModeResumesWhereTheSweepStopped) {
    openScope(IDM_SIZE_640);
    for (int i = 0; i < 30; ++i) tick();
    const int stoppedAt = scope.column;
    cursorMode(true);
    tick();
    cursorMode(false);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR)));
    // The full redraw took the cursor away and laid the recorded traces down.
    const int j = stoppedAt - 200;
    EXPECT_EQ(White, pixel(cursorLine(CursorMin, dashboardScale.sx).left, py(45)));
    EXPECT_TRUE(inkNear(scope.points[TraceSpeed][j].x, scope.points[TraceSpeed][j].y,
                        TraceColours[TraceSpeed]));

    takeCommands();
    tick();
    EXPECT_EQ((std::vector<int>{1, 2}), takeCommands());
    EXPECT_EQ(stoppedAt + 1, scope.column);
    EXPECT_EQ(Red, pixel(sweepLine(stoppedAt + 1, dashboardScale.sx).left, bandMiddle(1)));
}

TEST_F(ScopePage, AnotherPageGoesBackToTheLinksOwnRate) {
    openScope();
    tick();
    EXPECT_EQ(20, armedInterval);
    command(IDM_READINGS);
    shelltest::drainMessages();
    EXPECT_EQ(50, armedInterval);

    command(IDM_SCOPE);
    shelltest::drainMessages();
    KillTimer(currentPage, PagePollTimerId);
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) tick();
    ASSERT_EQ(LinkStateKind::Down, LinkState);
    EXPECT_EQ(20, armedInterval);  // the page keeps retrying at its own rate
    command(IDM_READINGS);
    shelltest::drainMessages();
    EXPECT_EQ(1000, armedInterval);
}

TEST_F(ScopePage, SweepErasesItsStripsOnThePixelsOfEachSize) {
    // Pixel rows across the bands after a tick; size 1 starts the strip
    // before the sweep line one pixel further right.
    const struct {
        int sizeCommand;
        const char* leftEdge;  // design columns 196..205, past the first two samples
        const char* sweep;     // 251..256, the sample of column 253
        const char* wrap;      // 594..599, the sample of column 596 and the wrap
    } cases[] = {
        {IDM_SIZE_640, "SSSWWWWS", "SSSWR", "SSWWS"},
        {IDM_SIZE_800, "SSSWWWWWSS", "SSWWRS", "SSWWWS"},
        {IDM_SIZE_1024, "SSSSWWWWWWWSS", "SSWWWRS", "SSWWWWSS"},
    };
    start(1, "ang");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sizeCommand);
        showScope(c.sizeCommand);
        for (int i = 0; i < 60 && scope.column < 252; ++i) tick();
        ASSERT_EQ(252, scope.column);
        int before[TraceCount];
        std::copy(scope.previousY, scope.previousY + TraceCount, before);
        stain(196, 206);
        stain(251, 257);
        tick();
        for (int pane = 0; pane < PaneCount; ++pane) {
            const int y = rowAwayFromTraces(pane, before);
            ASSERT_GE(y, 0) << pane;
            EXPECT_EQ(c.leftEdge, row(y, 196, 206)) << pane;
            EXPECT_EQ(c.sweep, row(y, 251, 257)) << pane;
        }

        // The last column: the sweep line drawn ahead of it goes again.
        scopeState().column = 595;
        std::copy(scope.previousY, scope.previousY + TraceCount, before);
        stain(196, 206);
        stain(594, 600);
        tick();
        ASSERT_EQ(SweepRestart, scope.column);
        for (int pane = 0; pane < PaneCount; ++pane) {
            const int y = rowAwayFromTraces(pane, before);
            ASSERT_GE(y, 0) << pane;
            EXPECT_EQ(c.leftEdge, row(y, 196, 206)) << pane;
            EXPECT_EQ(c.wrap, row(y, 594, 600)) << pane;
        }
    }
}

TEST_F(ScopePage, CursorMovingOnPutsBackTheTracePointsItCovered) {
    openScope(IDM_SIZE_1024);
    for (int i = 0; i < 60; ++i) tick();
    cursorMode(true);
    const int covered = 30;
    scroll(SB_THUMBTRACK, covered);
    tick();
    for (int t = 0; t < TraceCount; ++t) {
        const TracePoint& p = scope.points[t][covered];
        EXPECT_EQ(Black, pixel(p.x, p.y)) << t;
    }

    scroll(SB_THUMBTRACK, covered + 30);
    tick();
    // Each trace is back on the column the cursor left, unless the position
    // trace, drawn later in the same pane, lies over the start position there.
    int checked = 0;
    for (int t = 0; t < TraceCount; ++t) {
        const TracePoint& p = scope.points[t][covered];
        const TracePoint& over = scope.points[TracePosition][covered];
        if (t == TraceStart && std::abs(p.y - over.y) <= 3) continue;
        bool back = false;
        for (int dy = -1; dy <= 1; ++dy) back = back || pixel(p.x, p.y + dy) == TraceColours[t];
        EXPECT_TRUE(back) << t;
        ++checked;
    }
    EXPECT_GE(checked, TraceCount - 1);
}

// Where a text's ink starts: its leftmost and topmost pixel of one colour
// near a design point, or -1 when there is none.
struct Ink {
    int left = -1, top = -1;
};

class ScopeFrame : public ScopePage {
protected:
    // Cell height and average width of a font on the page.
    SIZE cellOf(HFONT font) {
        HDC dc = GetDC(currentPage);
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(currentPage, dc);
        return SIZE{tm.tmAveCharWidth, tm.tmHeight};
    }
    // Ink of a colour in a text cell of three characters at design point
    // (x, y), looked for from a few pixels left of it and above it.
    Ink inkAt(int x, int y, HFONT font, COLORREF colour, int above = 3) {
        const SIZE cell = cellOf(font);
        Ink ink;
        HDC dc = GetDC(currentPage);
        for (int py0 = py(y) - above; py0 < py(y) + cell.cy; ++py0)
            for (int px0 = px(x) - 4; px0 < px(x) + 3 * cell.cx; ++px0) {
                if (GetPixel(dc, px0, py0) != colour) continue;
                if (ink.top < 0) ink.top = py0;
                if (ink.left < 0 || px0 < ink.left) ink.left = px0;
            }
        ReleaseDC(currentPage, dc);
        return ink;
    }
    // The text begins at its point: not left of it, nor above its cell, and
    // in the upper half of the cell.
    void expectTextAt(int x, int y, HFONT font, COLORREF colour, const char* what) {
        const Ink ink = inkAt(x, y, font, colour);
        const int half = cellOf(font).cy / 2;
        EXPECT_GE(ink.left, px(x)) << what;
        EXPECT_LE(ink.left, px(x) + 4) << what;
        EXPECT_GE(ink.top, py(y)) << what;
        EXPECT_LE(ink.top, py(y) + half) << what;
    }
};

TEST_F(ScopeFrame, LabelsStandAtTheirPlacesInTheirColours) {
    const COLORREF Olive = RGB(128, 128, 0), DarkGreen = RGB(0, 128, 0), Blue = RGB(0, 0, 255),
                   Navy = RGB(0, 0, 128);
    const struct {
        int x, y;
        COLORREF ink;
        bool large;
        const char* what;
    } labels[] = {
        {50, 60, Olive, false, "lambda"},
        {50, 90, Black, false, "probe type"},
        {50, 170, Green, false, "position"},
        {50, 190, Black, false, "and"},
        {50, 210, DarkGreen, false, "start position"},
        {50, 300, Blue, false, "speed"},
        {50, 320, Black, false, "speed scale"},
        {50, 400, Navy, false, "throttle"},
        {50, 420, Black, false, "throttle sensor type"},
        {700, 70, Black, true, "volt unit"},
        {710, 190, Black, false, "position unit"},
        {710, 300, Black, false, "speed unit"},
        {130, 490, Black, false, "time axis"},
    };
    start(1, "ang");
    for (int size : {IDM_SIZE_640, IDM_SIZE_1024}) {
        SCOPED_TRACE(size);
        showScope(size);
        for (const auto& l : labels)
            expectTextAt(l.x, l.y, l.large ? fontLarge : fontSmall, l.ink, l.what);
        // Seconds: 00, 02 .. 16 every 46 columns, each under a dot on the
        // panes' lower edge.
        for (int i = 0; i <= 8; ++i) {
            expectTextAt(196 + 46 * i, 490, fontSmall, Black, "seconds");
            const Ink dot = inkAt(203 + 46 * i, 470, fontSmall, Black, 0);
            EXPECT_GE(dot.left, px(203 + 46 * i)) << i;
            EXPECT_LE(dot.left, px(203 + 46 * i) + 4) << i;
            EXPECT_GT(dot.top, py(470) + cellOf(fontSmall).cy / 2) << i;  // on the line, low
        }
    }
}

TEST_F(ScopePage, ControlsArePlacedBySizeWhenThePageIsCreated) {
    const struct {
        int sizeCommand;
        RECT bar;
        RECT box;  // empty: where the template put it
    } cases[] = {
        {IDM_SIZE_640, {137, 0, 137 + 364, 20}, {490, 20, 490 + 550, 60}},
        {IDM_SIZE_800, {180, 0, 180 + 440, 25}, {0, 0, 0, 0}},
        {IDM_SIZE_1280_1024, {300, 15, 300 + 677, 60}, {1000, 0, 2100, 50}},
    };
    start(1, "ang");
    for (const auto& c : cases) {
        command(c.sizeCommand);
        command(IDM_SCOPE);
        shelltest::drainMessages();
        KillTimer(currentPage, PagePollTimerId);
        auto placeOf = [](int id) {
            RECT r;
            HWND w = GetDlgItem(currentPage, id);
            GetWindowRect(w, &r);
            MapWindowPoints(nullptr, currentPage, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        const RECT bar = placeOf(IDC_SCOPE_CURSOR_BAR), box = placeOf(IDC_SCOPE_CURSOR);
        EXPECT_TRUE(EqualRect(&bar, &c.bar)) << c.sizeCommand << ": " << bar.left << "," << bar.top;
        if (c.box.right) {
            EXPECT_TRUE(EqualRect(&box, &c.box)) << c.sizeCommand;
        }
        EXPECT_EQ(shelltest::entryText("ang", 142),
                  shelltest::windowText(GetDlgItem(currentPage, IDC_SCOPE_CURSOR)));
        int low = 0, high = 0;
        GetScrollRange(GetDlgItem(currentPage, IDC_SCOPE_CURSOR_BAR), SB_CTL, &low, &high);
        EXPECT_EQ(2, low);
        EXPECT_EQ(395, high);
        command(IDM_READINGS);
    }
}

// Stand-ins for the timer resolution calls: how many 1 ms requests are
// outstanding, the most ever at once, and ends without a begin.
struct ResolutionCount {
    int held = 0, most = 0, begins = 0, strayEnds = 0, otherPeriods = 0;
};
ResolutionCount resolution;
UINT WINAPI countBegin(UINT ms) {
    if (ms != 1) ++resolution.otherPeriods;
    ++resolution.begins;
    resolution.most = std::max(resolution.most, ++resolution.held);
    return TIMERR_NOERROR;
}
UINT WINAPI countEnd(UINT ms) {
    if (ms != 1) ++resolution.otherPeriods;
    if (resolution.held == 0)
        ++resolution.strayEnds;
    else
        --resolution.held;
    return TIMERR_NOERROR;
}

// The 1 ms resolution is asked for while the page exists and given back on
// every way of leaving it; a page made anew (size, language) holds it again.
TEST_F(ScopePage, FineTimerResolutionIsHeldExactlyWhileThePageExists) {
    const struct {
        const char* name;
        int command;  // a menu command, or 0 for a message to the main window
        UINT message;
        int heldAfter;
        int beginsAfter;
    } ways[] = {
        {"another page", IDM_READINGS, 0, 0, 1},
        {"the same page again", IDM_SCOPE, 0, 1, 1},
        {"size change", IDM_SIZE_1024, 0, 1, 2},
        {"language change", IDM_LANG_POL, 0, 1, 2},
        {"Exit", IDM_EXIT, 0, 0, 1},
        {"close box", 0, WM_CLOSE, 0, 1},
        {"main window destroyed", 0, WM_DESTROY, 0, 1},
    };
    const TimerResolutionCalls saved = scopeTimerResolution;
    scopeTimerResolution = {countBegin, countEnd};
    for (const auto& w : ways) {
        SCOPED_TRACE(w.name);
        resolution = ResolutionCount();
        openScope();
        EXPECT_EQ(1, resolution.held);
        if (w.command)
            command(w.command);
        else if (w.message == WM_CLOSE)
            SendMessageA(mainWindow, WM_CLOSE, 0, 0);
        else
            DestroyWindow(mainWindow);
        shelltest::drainMessages();
        EXPECT_EQ(w.heldAfter, resolution.held);
        EXPECT_EQ(w.beginsAfter, resolution.begins);
        if (mainWindow) DestroyWindow(mainWindow);
        shelltest::drainMessages();
        EXPECT_EQ(0, resolution.held);
        EXPECT_EQ(1, resolution.most);
        EXPECT_EQ(0, resolution.strayEnds);
        EXPECT_EQ(0, resolution.otherPeriods);
    }
    scopeTimerResolution = saved;
}

}  // namespace
