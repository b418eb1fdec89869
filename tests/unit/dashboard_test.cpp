#include "readings/dashboard.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "readings/layout.h"
#include "shell/app_state.h"
#include "sim/sim.h"
#include "tests/unit/sim_link_fixture.h"

namespace {

// ---- the simulated controller behind the in-process port ----

using simframes::framesReceived;
using simframes::takeCommands;

class DashboardLink : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        start(1);
        resetReadingsState();
        setServiceDialogOpen(false);
        setDropDownOpen(false);
        setArmedInterval(50);
    }
    void TearDown() override {
        setServiceDialogOpen(false);
        setDropDownOpen(false);
        SimLinkTest::TearDown();
    }
    void setFault(SimFault f) {
        simSetFault(f);
        simClearLog();
    }
};

using Commands = std::vector<int>;

TEST_F(DashboardLink, LiveBlockEveryTickConfigurationEveryFourth) {
    const Commands quick = {1, 2}, full = {1, 2, 3, 4};
    const Commands expected[] = {quick, quick, quick, full, quick, quick, quick, full, quick};
    for (const Commands& e : expected) {
        EXPECT_TRUE(readingsPollTick());
        EXPECT_EQ(e, takeCommands());
    }
}

TEST_F(DashboardLink, NothingIsSentWhileADialogOrListIsOpen) {
    setServiceDialogOpen(true);
    EXPECT_FALSE(readingsPollTick());
    setServiceDialogOpen(false);
    setDropDownOpen(true);
    EXPECT_FALSE(readingsPollTick());
    EXPECT_TRUE(simFrameLog().empty());
    setDropDownOpen(false);
    // The skipped ticks did not count toward the configuration reads.
    for (int i = 0; i < 3; ++i) readingsPollTick();
    takeCommands();
    readingsPollTick();
    EXPECT_EQ((Commands{1, 2, 3, 4}), takeCommands());
}

TEST_F(DashboardLink, UnsupportedGenerationGetsOnlyStatusRequests) {
    simState().status.identity = 0x20;  // generation 2
    for (int i = 0; i < 5; ++i) {
        readingsPollTick();
        EXPECT_EQ(Commands{1}, takeCommands());
    }
}

TEST_F(DashboardLink, LinkLossSlowsTheTimerAndTheFirstAnswerRestoresIt) {
    readingsPollTick();
    EXPECT_FALSE(pollTimerNeedsRearm());
    setFault(SimFault::Silent);
    readingsPollTick();
    readingsPollTick();
    EXPECT_FALSE(pollTimerNeedsRearm());
    readingsPollTick();  // third missing answer
    EXPECT_EQ(LinkStateKind::Down, LinkState);
    ASSERT_TRUE(pollTimerNeedsRearm());
    setArmedInterval(PollInterval);
    EXPECT_EQ(1000, armedInterval);

    setFault(SimFault::None);
    readingsPollTick();
    EXPECT_EQ(LinkStateKind::Up, LinkState);
    EXPECT_TRUE(pollTimerNeedsRearm());
    EXPECT_EQ(50, PollInterval);
}

TEST_F(DashboardLink, LearnCommandGoesOutOnlyOnGasWithALiveSupportedController) {
    readingsPollTick();  // link up, generation 1
    simClearLog();

    readingsPageData().readingsState.gasOnShown = 0;
    EXPECT_EQ(LearnPress::Ignored, learnButtonDecision(LinkState, ControllerGeneration,
                                                       readingsPageData().readingsState));
    EXPECT_TRUE(framesReceived().empty());

    readingsPageData().readingsState.gasOnShown = 1;
    ASSERT_EQ(LearnPress::Requested, learnButtonDecision(LinkState, ControllerGeneration,
                                                         readingsPageData().readingsState));
    EXPECT_EQ(1, readingsState.learnRequested);
    sendLearnCommand();
    EXPECT_EQ((std::vector<std::vector<uint8_t>>{{0x65, 0x1E, 0x32, 0xB5}}), framesReceived());

    EXPECT_EQ(LearnPress::Ignored,
              learnButtonDecision(LinkStateKind::Down, 1, readingsPageData().readingsState));
    EXPECT_EQ(LearnPress::Ignored,
              learnButtonDecision(LinkStateKind::Up, 2, readingsPageData().readingsState));
}

TEST(DashboardLearn, PressDuringLearnModeAnswersAtOnceAndEndsTheRequest) {
    ReadingsPageState st{};
    st.gasOnShown = 1;
    st.learnActive = 1;
    st.learnRequested = 1;
    st.messageAge = 40;
    EXPECT_EQ(LearnPress::AlreadyActive, learnButtonDecision(LinkStateKind::Up, 3, st));
    EXPECT_EQ(0, st.learnRequested);
    EXPECT_EQ(0, st.messageAge);
}

// ---- layout ----

TEST(DashboardLayout, DesignPointsScaleEachAxisAndTruncate) {
    const struct {
        int size, x, y;
    } cases[] = {{1, 352, 61}, {2, 440, 80}, {3, 563, 105}, {5, 704, 144}};
    for (const auto& c : cases) {
        const WindowSize& w = windowSize(c.size);
        EXPECT_EQ(c.x, scaleCoord(440, w.sx)) << c.size;
        EXPECT_EQ(c.y, scaleCoord(80, w.sy)) << c.size;
    }
    EXPECT_EQ(640, windowSize(0).winW);
    EXPECT_EQ(994, windowSize(9).winH);
}

// Written out here rather than read from the table, so that a changed row
// in the table shows up as a failure.
TEST(DashboardLayout, EverySizeRowHoldsItsNumbers) {
    const struct {
        int winW, winH;
        double sx, sy;
        int cell0, cell3, cellWidth, cellTop, cellBottom, lamp;
        ButtonPlace afterSize, onCreate;
        int largeH, largeW, smallH, smallW;
    } rows[5] = {
        {640,
         450,
         0.8,
         0.77,
         113,
         290,
         57,
         123,
         142,
         22,
         {540, 358, 71, 30},
         {540, 358, 71, 30},
         28,
         11,
         14,
         6},
        {800,
         570,
         1.0,
         1.0,
         140,
         362,
         72,
         160,
         185,
         30,
         {695, 465, 70, 40},
         {685, 465, 80, 40},
         36,
         14,
         18,
         8},
        {1024,
         738,
         1.28,
         1.32,
         180,
         462,
         92,
         211,
         243,
         40,
         {880, 610, 95, 60},
         {875, 610, 105, 60},
         49,
         18,
         18,
         8},
        {1280,
         930,
         1.6,
         1.69,
         225,
         579,
         115,
         268,
         313,
         50,
         {1100, 780, 120, 75},
         {1100, 780, 120, 75},
         62,
         23,
         24,
         12},
        {1280,
         994,
         1.6,
         1.81,
         225,
         579,
         115,
         288,
         335,
         55,
         {1100, 840, 120, 75},
         {1100, 840, 120, 75},
         65,
         23,
         24,
         12},
    };
    auto same = [](ButtonPlace a, ButtonPlace b) {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    };
    for (int size = 1; size <= 5; ++size) {
        SCOPED_TRACE(size);
        const auto& e = rows[size - 1];
        const WindowSize& w = windowSize(size);
        const ReadingsLayout& l = readingsLayout(size);
        EXPECT_EQ(w.winW, e.winW);
        EXPECT_EQ(w.winH, e.winH);
        EXPECT_EQ(w.sx, e.sx);
        EXPECT_EQ(w.sy, e.sy);
        EXPECT_EQ(l.cellLeft[0], e.cell0);
        EXPECT_EQ(l.cellLeft[3], e.cell3);
        // The cells are evenly spaced between the first and the last.
        EXPECT_EQ(l.cellLeft[1] - l.cellLeft[0], (e.cell3 - e.cell0) / 3);
        EXPECT_EQ(l.cellLeft[3] - l.cellLeft[2], (e.cell3 - e.cell0) / 3);
        EXPECT_EQ(l.cellWidth, e.cellWidth);
        EXPECT_EQ(l.cellTop, e.cellTop);
        EXPECT_EQ(l.cellBottom, e.cellBottom);
        EXPECT_EQ(l.lampDiameter, e.lamp);
        EXPECT_TRUE(same(l.learnAfterSize, e.afterSize));
        EXPECT_TRUE(same(l.learnOnCreate, e.onCreate));
        EXPECT_EQ(w.fontLargeH, e.largeH);
        EXPECT_EQ(w.fontLargeW, e.largeW);
        EXPECT_EQ(w.fontSmallH, e.smallH);
        EXPECT_EQ(w.fontSmallW, e.smallW);
    }
}

// The screen edges at which each larger size becomes available.
TEST(WindowSizes, LargestSizeThatFitsTheScreen) {
    const struct {
        long w, h;
        int size;
    } cases[] = {
        {1280, 1024, 5}, {1400, 1050, 5}, {1280, 1023, 4}, {1280, 1000, 4}, {1280, 960, 4},
        {1279, 1024, 3}, {1280, 959, 3},  {1024, 768, 3},  {1023, 768, 2},  {2000, 767, 2},
        {800, 600, 2},   {799, 600, 1},   {800, 599, 1},   {640, 480, 1},   {0, 0, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(c.size, largestSizeFor(c.w, c.h)) << c.w << "x" << c.h;
}

// ---- texts and positions ----

std::string shown(const FieldText& f) { return std::string(f.text, f.count); }

TEST(DashboardText, NumbersAreCutToTheirFixedWidth) {
    EXPECT_EQ("2.46", shown(voltsText(2.4696)));
    EXPECT_EQ("0.00", shown(voltsText(0)));
    EXPECT_EQ("5.12", shown(tpsInertText(255)));
    EXPECT_EQ("0.02", shown(tpsInertText(0)));
    EXPECT_EQ("0000", shown(fourDigits(0)));
    EXPECT_EQ("7500", shown(fourDigits(7500)));
    EXPECT_EQ("1500", shown(fourDigits(15000000)));  // a runaway period still fits
    const struct {
        uint8_t raw;
        const char* text;
    } temps[] = {
        {0, "000"}, {67, "000"}, {68, "000"}, {199, "051"}, {200, "051"}, {255, "110"},
    };
    for (const auto& t : temps)
        EXPECT_EQ(t.text, shown(threeDigits(temperatureFromRaw(t.raw)))) << int(t.raw);
}

TEST(DashboardText, SwitchOnTemperatureHasTwoDigitsAndCapsAtHundred) {
    const struct {
        uint8_t raw;
        const char* text;
    } cases[] = {
        {0, "00"}, {68, "00"}, {100, "12"}, {246, "100"}, {255, "100"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, shown(switchOnTempText(c.raw))) << int(c.raw);
}

TEST(DashboardProbeB, TextAndMarkerByProbeType) {
    const struct {
        uint8_t raw, type;
        const char* text;
        int marker;
    } cases[] = {
        {128, 0x00, "2.50", 255}, {128, 0x10, "2.50", 128}, {40, 0x00, "0.78", 200},
        {255, 0x30, "0.00", 255}, {0, 0x30, "5.00", 0},     {0, 0x40, "5.00", 0},
        {0, 0x00, "0.00", 0},     {255, 0x50, "4.99", 255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, shown(probeBText(c.raw, c.type))) << int(c.raw) << " " << int(c.type);
        EXPECT_EQ(c.marker, markerOffsetFor(c.raw, c.type)) << int(c.raw) << " " << int(c.type);
    }
}

TEST(DashboardProbeB, MarkerColourFromTheLowThreeBits) {
    EXPECT_EQ(MarkerColour::DarkGreen, markerColour(0x01));
    EXPECT_EQ(MarkerColour::Yellow, markerColour(0x02));
    EXPECT_EQ(MarkerColour::Red, markerColour(0xFC));
    EXPECT_EQ(MarkerColour::Yellow, markerColour(0x03));
    EXPECT_EQ(MarkerColour::Yellow, markerColour(0x00));
}

TEST(DashboardProbeA, FieldBySensorType) {
    const struct {
        uint8_t raw, type, flagsA;
        const char* text;
        int clear;
    } cases[] = {
        {0, 0x01, 0, "5.00", 0},     {255, 0x00, 0, "4.99", 0},   {128, 0x08, 0, "2.50", 0},
        {128, 0x02, 0, "_.__", 0},   {128, 0x33, 0, "_.__", 0},   {0, 0x06, 0x10, "OFF", 105},
        {0, 0x06, 0x00, " ON", 105}, {0, 0x47, 0xEF, " ON", 110}, {0, 0x07, 0x10, "OFF", 110},
        {51, 0x0F, 0, "0.99", 0},
    };
    for (const auto& c : cases) {
        const ProbeAField p = probeAField(c.raw, c.type, c.flagsA);
        EXPECT_EQ(c.text, shown(p.text)) << int(c.type);
        EXPECT_EQ(c.clear, p.silverClearRight) << int(c.type);
    }
}

TEST(DashboardCells, OneHotHighNibbleLightsACell) {
    const struct {
        uint8_t flagsA;
        int cell, lit;
    } cases[] = {
        {0x10, 0, 0}, {0x2F, 1, 1}, {0x40, 2, 1}, {0x80, 3, 1}, {0x30, -1, 0}, {0x00, -1, 0},
    };
    for (const auto& c : cases) {
        const StateCells s = stateCellsFor(c.flagsA);
        EXPECT_EQ(c.cell, s.litCell) << int(c.flagsA);
        EXPECT_EQ(c.lit, s.stateCellLit) << int(c.flagsA);
    }
}

TEST(DashboardBands, ClampedInsideTheBar) {
    const struct {
        uint8_t init, below, above;
        int left, right;
    } cases[] = {
        {250, 0, 20, 411, 418},    {100, 10, 20, 251, 281}, {0, 30, 5, 161, 166},
        {255, 255, 255, 161, 418}, {0, 0, 0, 161, 161},
    };
    for (const auto& c : cases) {
        const Band b = toleranceBand(c.init, c.below, c.above);
        EXPECT_EQ(c.left, b.left) << int(c.init);
        EXPECT_EQ(c.right, b.right) << int(c.init);
    }
}

TEST(DashboardJumpMarker, PositionAndVisibility) {
    EXPECT_EQ(255, jumpMarkerOffset(3, 200, 30));
    EXPECT_EQ(130, jumpMarkerOffset(3, 100, 30));
    EXPECT_EQ(30, jumpMarkerOffset(1, 200, 30));
    EXPECT_EQ(255, jumpMarkerOffset(3, 255, 100));
    for (int type : {2, 3, 6, 7})
        EXPECT_FALSE(jumpMarkerShown(static_cast<uint8_t>(type), 0x08)) << type;
    for (int type : {0, 1, 8, 15})
        EXPECT_TRUE(jumpMarkerShown(static_cast<uint8_t>(type), 0x08)) << type;
    EXPECT_FALSE(jumpMarkerShown(0x00, 0xF7));
}

// Before the first tick the page may be painted: its view must then hold
// what a tick would decide from the empty stores, not zeroes no tick makes
// (a band of 0..0 clears leftwards out of the bar).
TEST(DashboardView, StartsAsATickShowsEmptyStores) {
    resetLinkState();
    resetReadingsState();
    const ReadingsView start = readingsView;
    decideReadings();
    const ReadingsView& v = readingsView;
    auto sameText = [](const FieldText& a, const FieldText& b) {
        return a.count == b.count && strncmp(a.text, b.text, a.count) == 0;
    };
    EXPECT_TRUE(sameText(start.probeB, v.probeB));
    EXPECT_TRUE(sameText(start.probeA.text, v.probeA.text));
    EXPECT_TRUE(sameText(start.tpsInert, v.tpsInert));
    EXPECT_TRUE(sameText(start.switchOnTemp, v.switchOnTemp));
    EXPECT_EQ(v.markerOffset, start.markerOffset);
    EXPECT_EQ(v.probeA.silverClearRight, start.probeA.silverClearRight);
    EXPECT_EQ(v.cells.litCell, start.cells.litCell);
    const int bands[][2] = {{v.cyanBand.left, start.cyanBand.left},
                            {v.cyanBand.right, start.cyanBand.right},
                            {v.redBand.left, start.redBand.left},
                            {v.redBand.right, start.redBand.right}};
    for (const auto& b : bands) EXPECT_EQ(b[0], b[1]);
    EXPECT_EQ(v.jumpOffset, start.jumpOffset);
    EXPECT_EQ(v.temperature, start.temperature);
    EXPECT_FALSE(v.needleMoved || v.redZoneMoved || v.attInitMoved);
    resetReadingsState();
}

TEST(DashboardGauge, EngineSpeedAndRedZoneTicks) {
    LiveBlock live{};
    live.rpmPeriodHi = 0x07;
    live.rpmPeriodLo = 0xD0;
    EXPECT_EQ(7500, engineSpeedShown(live));
    live.rpmPeriodHi = 255;
    EXPECT_EQ(0, engineSpeedShown(live));
    live.rpmPeriodHi = live.rpmPeriodLo = 0;
    EXPECT_EQ(0, engineSpeedShown(live));

    EXPECT_FALSE(tickIsRed(0x40, 6000, 1000, 6));
    EXPECT_TRUE(tickIsRed(0x40, 6000, 1000, 7));
    EXPECT_FALSE(tickIsRed(0x40, 6000, 200, 30));
    EXPECT_TRUE(tickIsRed(0x40, 6000, 200, 31));
    EXPECT_FALSE(tickIsRed(0x00, 6000, 1000, 8));  // switch-off function off
}

// ---- status area ----

const int U = LineUntouched, B = LineBlank;

// A line a case expects written: its entry and colour.
struct Written {
    int line;
    int entry;
    bool red;
};

struct StatusCase {
    const char* name;
    LinkStateKind link;
    int generation;
    uint8_t flagsA, flagsB, emulType, options;
    int stateCellLit, learnRequested, gasOnBefore;
    std::vector<Written> written;
    int rest;  // what every other line holds: U (kept) or B (blanked)
    FuelBox fuel;
    int gasOnAfter, learnActiveAfter, learnRequestedAfter;
};

const LinkStateKind Up = LinkStateKind::Up, Down = LinkStateKind::Down;
const FuelBox Pet = FuelBox::Petrol, Gas = FuelBox::Gas, Keep = FuelBox::Unchanged;

TEST(DashboardStatus, DecisionTree) {
    const StatusCase cases[] = {
        {"link lost",
         Down,
         0,
         0,
         0,
         0,
         0,
         0,
         0,
         1,
         {{Line::Fuel, 30, true}, {Line::Reason, 31, false}},
         B,
         Pet,
         0,
         0,
         0},
        {"generation 2",
         Up,
         2,
         0x08,
         0x01,
         0x80,
         0,
         0,
         0,
         1,
         {{Line::Fuel, 29, true}},
         B,
         Keep,
         1,
         0,
         0},
        {"not ready",
         Up,
         1,
         0xF7,
         0x01,
         0x80,
         0,
         0,
         0,
         1,
         {{Line::Fuel, 12, false}, {Line::Reason, 28, true}},
         B,
         Pet,
         0,
         0,
         0},
        {"plain on gas",
         Up,
         3,
         0x08,
         0xFF,
         0x7F,
         0xFF,
         0,
         1,
         0,
         {{Line::Fuel, 13, false}},
         B,
         Gas,
         1,
         0,
         1},
        {"plain on petrol",
         Up,
         1,
         0x08,
         0xFE,
         0x00,
         0,
         0,
         0,
         1,
         {{Line::Fuel, 12, false}, {Line::Reason, 27, true}},
         B,
         Pet,
         0,
         0,
         0},
        {"learning, cell lit",
         Up,
         1,
         0x08,
         0x03,
         0x80,
         0,
         1,
         0,
         0,
         {{Line::Fuel, 13, false}, {Line::Reason, B, false}, {Line::Message, 16, false}},
         U,
         Gas,
         1,
         1,
         0},
        {"learning, no cell",
         Up,
         1,
         0x08,
         0x02,
         0x80,
         0,
         0,
         1,
         1,
         {{Line::Fuel, 12, false}, {Line::Reason, B, false}, {Line::Message, 17, true}},
         U,
         Pet,
         0,
         1,
         1},
        {"answer, bit 4 clear",
         Up,
         1,
         0x08,
         0x01,
         0x80,
         0,
         0,
         1,
         0,
         {{Line::Fuel, 13, false},
          {Line::Reason, 24, false},
          {Line::Detail, 22, true},
          {Line::Message, 18, true}},
         U,
         Gas,
         1,
         0,
         0},
        {"answer pending",
         Up,
         1,
         0x08,
         0x31,
         0x80,
         0,
         0,
         1,
         0,
         {{Line::Fuel, 13, false},
          {Line::Reason, 24, false},
          {Line::Detail, 22, true},
          {Line::Message, 19, true}},
         U,
         Gas,
         1,
         0,
         1},
        {"answer, bit 4 only",
         Up,
         1,
         0x08,
         0x11,
         0x80,
         0,
         0,
         1,
         0,
         {{Line::Fuel, 13, false},
          {Line::Reason, 24, false},
          {Line::Detail, 22, true},
          {Line::Message, 20, true}},
         U,
         Gas,
         1,
         0,
         0},
        {"gas off",
         Up,
         1,
         0x08,
         0x05,
         0x80,
         0,
         0,
         0,
         0,
         {{Line::Fuel, 13, false}, {Line::Reason, 21, true}, {Line::Detail, 22, true}},
         U,
         Gas,
         1,
         0,
         0},
        {"gas off, bit 7",
         Up,
         1,
         0x08,
         0x84,
         0x80,
         0,
         0,
         0,
         0,
         {{Line::Fuel, 12, false}, {Line::Reason, 21, true}, {Line::Detail, B, true}},
         U,
         Pet,
         0,
         0,
         0},
        {"cut-off",
         Up,
         1,
         0x08,
         0xC9,
         0x80,
         0,
         0,
         0,
         0,
         {{Line::Fuel, 13, false},
          {Line::Spare, B, false},
          {Line::Detail, B, false},
          {Line::Message, 23, true}},
         U,
         Gas,
         1,
         0,
         0},
        {"bits 7 and 6, young message",
         Up,
         3,
         0x08,
         0xC1,
         0x80,
         0,
         0,
         0,
         0,
         {{Line::Fuel, 13, false},
          {Line::Spare, B, false},
          {Line::Reason, B, false},
          {Line::Detail, B, false}},
         U,
         Gas,
         1,
         0,
         0},
        {"bit 7, speed by option",
         Up,
         1,
         0x08,
         0x81,
         0x80,
         0x10,
         0,
         0,
         0,
         {{Line::Fuel, 13, false}, {Line::Reason, 24, false}, {Line::Detail, 25, true}},
         U,
         Gas,
         1,
         0,
         0},
        {"bit 7, below switch-on",
         Up,
         1,
         0x08,
         0x81,
         0x80,
         0x00,
         0,
         0,
         0,
         {{Line::Fuel, 13, false}, {Line::Reason, 24, false}, {Line::Detail, 26, true}},
         U,
         Gas,
         1,
         0,
         0},
    };
    for (const StatusCase& c : cases) {
        LiveBlock live{};
        live.flagsA = c.flagsA;
        live.flagsB = c.flagsB;
        ConfigABlock a{};
        a.emulType = c.emulType;
        a.options = c.options;
        ConfigBBlock b{};
        b.lpgOnRpmHi = 0x1D;  // period 7500: switch-on at 2000 rpm
        b.lpgOnRpmLo = 0x4C;
        ReadingsPageState st{};
        st.stateCellLit = c.stateCellLit;
        st.learnRequested = c.learnRequested;
        st.gasOnShown = c.gasOnBefore;
        st.messageAge = 7;
        const StatusView v = decideStatus(c.link, c.generation, live, a, b, 2500, st);
        // Every line of the table, a new one included: written as the case
        // says, or else kept or blanked as the branch does with the rest.
        for (int i = 0; i < StatusLineCount; ++i) {
            Written want = {i, c.rest, false};
            for (const Written& w : c.written)
                if (w.line == i) want = w;
            EXPECT_EQ(want.entry, v.lines[i].entry) << c.name << " line " << i;
            if (v.lines[i].entry >= 0) {
                EXPECT_EQ(want.red, v.lines[i].red) << c.name << " line " << i;
            }
        }
        EXPECT_EQ(c.fuel, v.fuel) << c.name;
        EXPECT_EQ(c.gasOnAfter, st.gasOnShown) << c.name;
        EXPECT_EQ(c.learnActiveAfter, st.learnActive) << c.name;
        EXPECT_EQ(c.learnRequestedAfter, st.learnRequested) << c.name;
    }
}

TEST(DashboardStatus, SwitchOnSpeedAboveEngineSpeedShowsEntry25) {
    LiveBlock live{};
    live.flagsA = 0x08;
    live.flagsB = 0x81;
    ConfigABlock a{};
    a.emulType = 0x80;
    ConfigBBlock b{};
    b.lpgOnRpmHi = 0x1D;
    b.lpgOnRpmLo = 0x4C;  // 2000 rpm
    ReadingsPageState st{};
    EXPECT_EQ(25, decideStatus(Up, 1, live, a, b, 2000, st).lines[Line::Detail].entry);
    EXPECT_EQ(26, decideStatus(Up, 1, live, a, b, 2050, st).lines[Line::Detail].entry);
}

TEST(DashboardStatus, AnswerStaysSixtyTicksThenTheMessageLineIsBlank) {
    LiveBlock live{};
    live.flagsA = 0x08;
    live.flagsB = 0x01;  // answer with bit 4 clear
    ConfigABlock a{};
    a.emulType = 0x80;
    ConfigBBlock b{};
    ReadingsPageState st{};
    st.learnRequested = 1;
    st.messageAge = 99;
    EXPECT_EQ(18, decideStatus(Up, 1, live, a, b, 0, st).lines[Line::Message].entry);
    EXPECT_EQ(0, st.messageAge);

    live.flagsB = 0xC1;
    for (int tick = 1; tick <= 60; ++tick)
        ASSERT_EQ(LineUntouched, decideStatus(Up, 1, live, a, b, 0, st).lines[Line::Message].entry)
            << tick;
    for (int tick = 61; tick <= 64; ++tick)
        EXPECT_EQ(LineBlank, decideStatus(Up, 1, live, a, b, 0, st).lines[Line::Message].entry)
            << tick;
}

TEST(DashboardStatus, PlainViewNeverShowsTheDetailedMessages) {
    for (int flagsB = 0; flagsB < 256; ++flagsB)
        for (int flagsA : {0x08, 0xF8, 0x28})
            for (int requested : {0, 1}) {
                LiveBlock live{};
                live.flagsA = static_cast<uint8_t>(flagsA);
                live.flagsB = static_cast<uint8_t>(flagsB);
                ConfigABlock a{};
                a.emulType = 0x7F;
                ConfigBBlock b{};
                ReadingsPageState st{};
                st.learnRequested = requested;
                st.stateCellLit = 1;
                const StatusView v = decideStatus(Up, 3, live, a, b, 9000, st);
                for (const StatusLine& l : v.lines) {
                    EXPECT_NE(LineUntouched, l.entry) << flagsB;
                    EXPECT_FALSE(l.entry >= 16 && l.entry <= 26) << flagsB << " entry " << l.entry;
                }
            }
}

TEST(DashboardLamp, BlinksEverySecondTickWhileLearningWithALitCell) {
    LiveBlock live{};
    live.flagsA = 0x48;
    live.flagsB = 0x03;
    ConfigABlock a{};
    a.emulType = 0x80;
    ConfigBBlock b{};
    ReadingsPageState st{};
    st.stateCellLit = 1;
    std::string pattern;
    for (int i = 0; i < 8; ++i)
        pattern += decideStatus(Up, 1, live, a, b, 0, st).lamp == Lamp::Lit ? 'L' : 'd';
    EXPECT_EQ("dLLddLLd", pattern);

    st.stateCellLit = 0;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Lamp::Lit, decideStatus(Up, 1, live, a, b, 0, st).lamp);

    live.flagsB = 0x01;  // learn mode over
    EXPECT_EQ(Lamp::Dark, decideStatus(Up, 1, live, a, b, 0, st).lamp);
}

}  // namespace
