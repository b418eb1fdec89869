// The readings page under Wine: a parent window with the page from its
// template, ticks sent as WM_TIMER, the frames checked in the simulated
// controller's log and the drawing read back pixel by pixel.
#include <cstdio>
#include <string>
#include <cstring>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "readings/dashboard.h"
#include "readings/gauge.h"
#include "readings/layout.h"
#include "readings/readings_win.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/fonts_win.h"
#include "shell/language.h"
#include "shell/pages_win.h"
#include "shell/palette_win.h"
#include "shell/shell_win.h"
#include "sim/sim.h"
#include "test_window.h"
#include "tests/sim_frames.h"

namespace {

const COLORREF Red = RGB(255, 0, 0), Black = RGB(0, 0, 0), Silver = RGB(192, 192, 192),
               Green = RGB(0, 255, 0), Cyan = RGB(0, 255, 255), Yellow = RGB(255, 255, 0),
               Olive = RGB(128, 128, 0);

using simframes::takeCommands;
using wintest::pump;

HWND makeParent() { return wintest::makeParent(900, 700, true); }

// The static frame alone, drawn on the page's own DC.
void drawFrameOn(HWND page) {
    HDC dc = GetDC(page);
    drawReadingsFrame(dc);
    ReleaseDC(page, dc);
}
// The page's own paint, without erasing first.
void paintReadingsOn(HWND page) {
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
}

class ReadingsPage : public testing::Test {
protected:
    HWND parent = nullptr, page = nullptr;
    unsigned savedW = 0, savedH = 0;
    int savedSize = 0;
    DashboardScaleValue savedScale = {};

    void SetUp() override {
        savedW = winW, savedH = winH, savedSize = shownSize, savedScale = dashboardScale;
        startSimulator();
        resetReadingsState();
        setServiceDialogOpen(false);
        setDropDownOpen(false);
        useSize(2);
        for (int k = 0; k < LanguageEntries; ++k)
            setLanguageEntry(k, ("T" + std::to_string(k)).c_str());

        parent = makeParent();
        ASSERT_NE(nullptr, parent);
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_READINGS), parent,
                                  readingsPageProc, 0);
        ASSERT_NE(nullptr, page);
        SetWindowPos(page, nullptr, ReadingsPageX, ReadingsPageY, static_cast<int>(winW),
                     static_cast<int>(winH), 0);
        // Created here, not by the shell, the page has no poll timer: ticks
        // are sent by hand, so a real tick on a slow machine can't shift the
        // every-fourth count.
        pump(page);
        drawFrameOn(page);
        simClearLog();
    }

    void TearDown() override {
        if (parent) DestroyWindow(parent);
        pump();
        shellWindow().winW = savedW, shellWindow().winH = savedH, appState().shownSize = savedSize,
        appState().dashboardScale = savedScale;
        setServiceDialogOpen(false);
        setDropDownOpen(false);
        resetLinkState();
        resetReadingsState();
    }

    void useSize(int size) {
        const WindowSize& w = windowSize(size);
        appState().shownSize = size;
        appState().dashboardScale = {w.sx, w.sy};
        shellWindow().winW = static_cast<unsigned>(w.winW);
        shellWindow().winH = static_cast<unsigned>(w.winH);
        selectDashboardFonts(size, false);
    }

    void tick() { SendMessageA(page, WM_TIMER, PagePollTimerId, 0); }

    // A fresh generation-1 controller on the link, its engine moving only
    // with the ticks.
    static void startSimulator() {
        resetLinkState();
        useLinkBackend(&simPortOps);
        simPortUseRealTime(false);
        SimConfig config;
        config.generation = 1;
        simPortSetup(config);
    }

    // Pixel of the page at a design point of the current size.
    COLORREF at(int x, int y) {
        return wintest::pixelOf(page, scaleCoord(x, dashboardScale.sx),
                                scaleCoord(y, dashboardScale.sy));
    }
    COLORREF atPixel(int x, int y) { return wintest::pixelOf(page, x, y); }
    bool anyPixel(int x1, int y1, int x2, int y2, COLORREF colour) {
        HDC dc = GetDC(page);
        bool found = false;
        for (int y = y1; y < y2 && !found; ++y)
            for (int x = x1; x < x2 && !found; ++x) found = GetPixel(dc, x, y) == colour;
        ReleaseDC(page, dc);
        return found;
    }

    // A controller on gas with its status ready, as the stores hold it.
    void storesReady(int generation) {
        memset(&blockStores().Live, 0, sizeof blockStores().Live);
        memset(&blockStores().ConfigA, 0, sizeof blockStores().ConfigA);
        memset(&blockStores().ConfigB, 0, sizeof blockStores().ConfigB);
        linkForTests().LinkState = LinkStateKind::Up;
        linkForTests().ControllerGeneration = generation;
        blockStores().Live.flagsA = 0x08;
    }
};

// ---- polling ----

TEST_F(ReadingsPage, TicksReadTheLiveBlockAlwaysAndTheConfigurationEveryFourth) {
    std::vector<int> all;
    for (int i = 0; i < 8; ++i) {
        tick();
        const std::vector<int> c = takeCommands();
        all.insert(all.end(), c.begin(), c.end());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 1, 2, 1, 2, 1, 2, 3, 4, 1, 2, 1, 2, 1, 2, 1, 2, 3, 4}), all);
}

TEST_F(ReadingsPage, NoFrameWhileAServiceDialogOrAListIsOpen) {
    tick();
    takeCommands();
    setServiceDialogOpen(true);
    tick();
    setServiceDialogOpen(false);
    setDropDownOpen(true);
    tick();
    EXPECT_TRUE(takeCommands().empty());
}

TEST_F(ReadingsPage, LinkLossShowsInTheStatusAreaAndSlowsTheTimer) {
    tick();
    setArmedInterval(50);
    simSetFault(SimFault::Silent);
    tick();
    tick();
    EXPECT_EQ(50, armedInterval);
    tick();  // third missing answer: the link is declared lost
    EXPECT_EQ(LinkStateKind::Down, LinkState);
    EXPECT_EQ(1000, armedInterval);
    // Entry 30 in red on line 1, petrol in the fuel box.
    EXPECT_TRUE(anyPixel(40, 405, 440, 425, Red));
    EXPECT_EQ(Green, at(495, 500));

    simSetFault(SimFault::None);
    tick();
    EXPECT_EQ(LinkStateKind::Up, LinkState);
    EXPECT_EQ(50, armedInterval);
}

TEST_F(ReadingsPage, ItsPaintNeitherMovesThePageNorStartsTheTimer) {
    KillTimer(page, PagePollTimerId);  // whatever a tick of the set-up armed
    setArmedInterval(0);
    linkForTests().PollInterval = 1000;
    const RECT r = wintest::rectAfterItsPaint(page, parent);
    EXPECT_EQ(0, armedInterval);
    EXPECT_FALSE(KillTimer(page, PagePollTimerId));
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(30, r.top);
    EXPECT_EQ(100, r.right - r.left);
}

TEST_F(ReadingsPage, OwnPaintBringsBackAnErasedDashboard) {
    storesReady(1);
    blockStores().Live.flagsB = 0x01;  // plain view, on gas
    drawReadingsOn(page);
    InvalidateRect(page, nullptr, TRUE);  // the dialog erases it to its own face
    UpdateWindow(page);
    EXPECT_EQ(RGB(128, 128, 128), at(10, 200));  // background
    EXPECT_EQ(Black, at(475, 300));              // gauge panel
    EXPECT_EQ(Cyan, at(495, 500));               // live values on top
}

TEST_F(ReadingsPage, PaintIsAnsweredAsHandled) {
    const struct {
        UINT msg;
        WPARAM wp;
        BOOL result;
    } cases[] = {
        {WM_INITDIALOG, 0, FALSE},  // the learn button takes no focus
        {WM_PAINT, 0, TRUE},       {WM_TIMER, 1, FALSE},
        {WM_TIMER, 7, FALSE},      {WM_COMMAND, MAKEWPARAM(IDC_LEARN, BN_CLICKED), FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, readingsPageProc(page, c.msg, c.wp, 0)) << c.msg;
    KillTimer(page, PagePollTimerId);
}

TEST_F(ReadingsPage, LearnButtonSendsTheCommandOnlyOnGas) {
    tick();  // link up, generation 1
    takeCommands();
    HWND button = GetDlgItem(page, IDC_LEARN);
    readingsPageData().readingsState.gasOnShown = 0;
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_LEARN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    EXPECT_TRUE(simFrameLog().empty());

    readingsPageData().readingsState.gasOnShown = 1;
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_LEARN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    bool sent = false;
    for (const SimFrame& f : simFrameLog())
        sent |= f.dir == '>' && f.bytes == std::vector<uint8_t>{0x65, 0x1E, 0x32, 0xB5};
    EXPECT_TRUE(sent);
}

TEST_F(ReadingsPage, HiddenEditGetsTheRawTemperature) {
    storesReady(1);
    blockStores().Live.temperatureRaw = 187;
    drawReadingsOn(page);
    BOOL ok = FALSE;
    EXPECT_EQ(187u, GetDlgItemInt(page, IDC_TEMPERATURE_RAW, &ok, FALSE));
    EXPECT_TRUE(ok);
    char caption[64] = "";
    GetDlgItemTextA(page, IDC_LEARN, caption, sizeof caption);
    EXPECT_STREQ("T33", caption);
}

// ---- ticks decide, paints draw ----

// The page's pixels, read back whole.
std::vector<COLORREF> pagePixels(HWND page) {
    RECT r;
    GetClientRect(page, &r);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(page);
    for (int y = 0; y < r.bottom; y += 2)
        for (int x = 0; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(page, dc);
    return pixels;
}

// Learning with a lit cell (the lamp blinks) and the switched-over message
// ageing; a tick, then `paints` times the page's own paint and the main
// window's, then one more tick.
struct TickOutcome {
    ReadingsPageState state;
    std::vector<COLORREF> pixels;
};

TEST_F(ReadingsPage, PaintsBetweenTicksChangeNeitherTheStateNorTheNextTick) {
    // The pixels are read from the screen: no window a test before left
    // behind may lie over the page in one run and not in another.
    pump();
    SetWindowPos(parent, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RECT client;
    GetClientRect(page, &client);
    const int columns = client.right;
    auto run = [this](int paints) {
        startSimulator();
        simPortAdvanceClock(16000);  // warm, on gas
        simState().learnUntilMs = 100000;
        resetReadingsState();
        // As the shell creates the page: the learn button in its place.
        pageHooks(PageReadings).create(page, PageCreation::Shown);
        pump(page);
        for (int i = 0; i < 5; ++i) tick();  // the fourth reads the configuration
        const ReadingsPageState before = readingsState;
        for (int i = 0; i < paints; ++i) {
            InvalidateRect(page, nullptr, TRUE);
            UpdateWindow(page);
        }
        pump(page);
        EXPECT_EQ(0, memcmp(&before, &readingsState, sizeof before)) << paints << " paints";
        tick();
        return TickOutcome{readingsState, pagePixels(page)};
    };
    const TickOutcome quiet = run(0);
    ASSERT_EQ(1, quiet.state.learnActive);
    for (int paints : {1, 3}) {
        const TickOutcome painted = run(paints);
        EXPECT_EQ(quiet.state.blinkPhase, painted.state.blinkPhase) << paints;
        EXPECT_EQ(quiet.state.blinkCounter, painted.state.blinkCounter) << paints;
        EXPECT_EQ(quiet.state.messageAge, painted.state.messageAge) << paints;
        EXPECT_EQ(0, memcmp(&quiet.state, &painted.state, sizeof quiet.state)) << paints;
        size_t differ = 0, first = 0;
        for (size_t i = quiet.pixels.size(); i-- > 0;)
            if (quiet.pixels[i] != painted.pixels[i]) ++differ, first = i;
        EXPECT_EQ(0u, differ) << paints << " paints, first at (" << first % columns << ", "
                              << first / columns * 2 << "): " << std::hex << quiet.pixels[first]
                              << " / " << painted.pixels[first];
    }
}

// Before the first tick the view holds what empty stores show: a paint then
// draws the bands and their clearing inside the bar, never across the panel
// edge and the background left of it.
TEST_F(ReadingsPage, PaintBeforeTheFirstTickKeepsTheBandsInsideTheBar) {
    resetReadingsState();
    drawFrameOn(page);
    const int xs[] = {5, 20, 80, 135, BarOrigin - 8}, ys[] = {302, 309};
    std::vector<COLORREF> frame;
    for (int y : ys)
        for (int x : xs) frame.push_back(at(x, y));
    paintReadingsOn(page);
    size_t i = 0;
    for (int y : ys)
        for (int x : xs) EXPECT_EQ(frame[i++], at(x, y)) << "design point " << x << "," << y;
}

// ---- drawing probes ----

TEST_F(ReadingsPage, NeedleMovesToTheSpeedAndTheOldOneIsErased) {
    storesReady(1);
    drawReadingsOn(page);  // needle at index 0
    blockStores().Live.rpmPeriodHi = 0x07;
    blockStores().Live.rpmPeriodLo = 0xD0;  // 7500 rpm
    drawReadingsOn(page);
    EXPECT_EQ(150, gaugeIndex(readingsView.rpm));
    // A point 60 % of the way out along the needle: off the hub and the numbers.
    auto along = [](int index) {
        const ArcPoint b = gaugePixel(needleBase[index], 1.0),
                       t = gaugePixel(needleTip[index], 1.0);
        return POINT{b.x + (t.x - b.x) * 6 / 10, b.y + (t.y - b.y) * 6 / 10};
    };
    const POINT now = along(150), before = along(0);
    EXPECT_EQ(Red, atPixel(now.x, now.y));
    EXPECT_EQ(Black, atPixel(before.x, before.y));
}

TEST_F(ReadingsPage, RedBandEndsAtTheRightLimit) {
    storesReady(1);
    blockStores().Live.attInit = 250;
    blockStores().ConfigB.attMax = 20;
    drawReadingsOn(page);
    EXPECT_EQ(Red, at(417, 309));
    EXPECT_NE(Red, at(419, 309));
    EXPECT_EQ(Silver, at(300, 309));  // left of the band, cleared
}

TEST_F(ReadingsPage, JumpMarkerOfGenerationThreeIsCapped) {
    storesReady(3);
    blockStores().Live.attInit = 200;
    blockStores().ConfigB.attJump = 30;
    blockStores().ConfigA.options = 0x08;
    drawReadingsOn(page);
    EXPECT_EQ(Black, at(415, 295));   // offset 255 + 160
    EXPECT_EQ(Silver, at(190, 295));  // not at the plain offset 30

    blockStores().ConfigA.lambdaType = 0x06;  // a switch-type sensor has no jumps
    drawReadingsOn(page);
    EXPECT_EQ(Silver, at(415, 295));
}

TEST_F(ReadingsPage, SwitchTypeThrottleSensorShowsOffOnACleanPatch) {
    storesReady(1);
    auto stain = [this] {  // leftovers right of the three-letter text
        HDC dc = GetDC(page);
        RECT r = {98, 160, 112, 170};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ReleaseDC(page, dc);
    };
    blockStores().ConfigA.lambdaType = 0x06;
    blockStores().Live.flagsA |= 0x10;
    stain();
    drawReadingsOn(page);
    EXPECT_EQ(Silver, atPixel(102, 165));
    EXPECT_EQ(RGB(255, 255, 255), atPixel(107, 165));  // type 6 clears up to 105 only
    EXPECT_TRUE(anyPixel(40, 160, 90, 185, Black));    // "OFF"

    blockStores().ConfigA.lambdaType = 0x07;
    stain();
    drawReadingsOn(page);
    EXPECT_EQ(Silver, atPixel(107, 165));
}

TEST_F(ReadingsPage, FuelBoxShowsPetrolOrGas) {
    storesReady(1);
    drawReadingsOn(page);  // plain view, not on gas
    EXPECT_EQ(Green, at(495, 500));
    blockStores().Live.flagsB = 0x01;
    drawReadingsOn(page);
    EXPECT_EQ(Cyan, at(495, 500));
    EXPECT_EQ(1, readingsState.gasOnShown);
}

TEST_F(ReadingsPage, LampBlinksEverySecondTickWhileLearningWithALitCell) {
    storesReady(1);
    blockStores().Live.flagsA = 0x48;
    blockStores().Live.flagsB = 0x03;
    blockStores().ConfigA.emulType = 0x80;
    std::vector<COLORREF> seen;
    for (int i = 0; i < 8; ++i) {
        drawReadingsOn(page);
        seen.push_back(atPixel(635 + 15, 470 + 15));
    }
    EXPECT_EQ((std::vector<COLORREF>{Olive, Yellow, Yellow, Olive, Olive, Yellow, Yellow, Olive}),
              seen);
}

TEST_F(ReadingsPage, SmallestSizeScalesEachAxisOnItsOwn) {
    useSize(1);
    drawFrameOn(page);
    storesReady(1);
    drawReadingsOn(page);
    // Lamp: top left at (trunc(635 x 0.8), trunc(470 x 0.77)), 22 pixels across.
    EXPECT_EQ(Olive, atPixel(508 + 11, 361 + 11));
    // Dial centre (hub) at (500, 136): sx on both axes.
    EXPECT_EQ(Red, atPixel(500, 136));
    EXPECT_EQ(Green, atPixel(scaleCoord(495, 0.8), scaleCoord(500, 0.77)));
}

}  // namespace
