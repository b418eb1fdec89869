#include "scope/scope.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "shell/app_state.h"
#include "shell/language_entries.h"
#include "sim/sim.h"
#include "tests/unit/sim_link_fixture.h"

namespace {

using simframes::takeCommands;

// ---- sample heights ----

TEST(ScopeHeights, LambdaPaneScalesByProbeTypeAndCapsAt80) {
    const struct {
        uint8_t voltageB, lambdaType;
        int height;
    } cases[] = {
        {0, 0x00, 0},    {50, 0x00, 75},  {53, 0x00, 79},
        {54, 0x00, 80},  {255, 0x00, 80},  // 382 drawn as 80
        {255, 0x10, 76},                   // 0-5 V probe: a fifth of 382
        {100, 0x36, 30}, {255, 0x50, 76}, {3, 0x20, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.height, lambdaHeight(c.voltageB, c.lambdaType))
            << int(c.voltageB) << " type " << int(c.lambdaType);
}

TEST(ScopeHeights, PositionAndStartPositionAreAThirdRoundedDown) {
    const int cases[][2] = {{0, 0}, {2, 0}, {3, 1}, {5, 1}, {128, 42}, {254, 84}, {255, 85}};
    for (const auto& c : cases) EXPECT_EQ(c[1], positionHeight(uint8_t(c[0]))) << c[0];
}

TEST(ScopeHeights, SpeedPaneIsHundredsOfRpmCappedAt80) {
    const int cases[][2] = {{0, 0}, {99, 0}, {150, 1}, {7999, 79}, {8000, 80}, {12000, 80}};
    for (const auto& c : cases) EXPECT_EQ(c[1], speedHeight(c[0])) << c[0];

    LiveBlock live = {};
    ConfigABlock configA = {};
    live.rpmPeriodHi = 255;  // engine stopped, whatever the low byte says
    live.rpmPeriodLo = 0x10;
    int h[TraceCount];
    sampleHeights(live, configA, h);
    EXPECT_EQ(0, h[TraceSpeed]);
    live.rpmPeriodHi = 0x07;
    live.rpmPeriodLo = 0xD0;  // 7500 rpm
    sampleHeights(live, configA, h);
    EXPECT_EQ(75, h[TraceSpeed]);
}

TEST(ScopeHeights, ThrottlePaneInvertsFallingSensorsAndIsNotCapped) {
    const struct {
        uint8_t voltageA, lambdaType;
        int height;
    } cases[] = {
        {31, 0x00, 10},  {31, 0x01, 72},  // 224 / 3.1 = 72.26
        {31, 0x03, 72},  {31, 0x05, 72}, {31, 0x09, 72},
        {31, 0x07, 10},  // low three bits all set: a switch, not inverted
        {31, 0x0F, 10},  {31, 0x06, 10}, {31, 0x41, 72},  // the probe nibble plays no part
        {2, 0x00, 1},                                     // 0.645: fraction above one half
        {8, 0x00, 3},                                     // 2.58
        {255, 0x00, 82}, {0, 0x01, 82},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.height, tpsHeight(c.voltageA, c.lambdaType))
            << int(c.voltageA) << " type " << int(c.lambdaType);
}

// ---- sweep, points and history ----

class ScopeSweep : public ::testing::Test {
protected:
    LiveBlock live = {};
    ConfigABlock configA = {};
    double sx = 1.28, sy = 1.32;

    void SetUp() override {
        resetScopeState();
        resetScopeTraces(sx, sy);
    }
    int y(Trace t, int h) const { return scaleCoord(Panes[paneOf(t)].baseline - h, sy); }
};

TEST_F(ScopeSweep, ColumnsRunFrom203To596ThenWrapTo202WithoutAJoiningLine) {
    std::vector<int> columns;
    int wrappedAt = 0, wraps = 0;
    for (int i = 0; i < 396; ++i) {
        live.voltageA = uint8_t(i);  // a new height every sample
        const SamplePlan p = acquireSample(live, configA, sx, sy);
        columns.push_back(p.column);
        EXPECT_EQ(p.column > 203, p.eraseLeftEdge) << p.column;
        if (p.wrapped) wrappedAt = p.column, ++wraps;
    }
    EXPECT_EQ(203, columns.front());
    EXPECT_EQ(596, columns[393]);
    EXPECT_EQ(202, columns[394]);
    EXPECT_EQ(203, columns[395]);
    for (size_t i = 1; i < 394; ++i) EXPECT_EQ(columns[i - 1] + 1, columns[i]);
    EXPECT_EQ(1, wraps);
    EXPECT_EQ(596, wrappedAt);

    // Next sample after the wrap: starts at column 201, not at the right edge.
    resetScopeState();
    resetScopeTraces(sx, sy);
    scopeState().column = 595;
    live.voltageA = 100;
    acquireSample(live, configA, sx, sy);  // column 596, then the wrap
    EXPECT_EQ(201, scope.column);
    live.voltageA = 10;
    const SamplePlan next = acquireSample(live, configA, sx, sy);
    EXPECT_EQ(scaleCoord(201, sx), next.segments[TraceTps].x1);
    EXPECT_EQ(scaleCoord(202, sx), next.segments[TraceTps].x2);
    // Column 203 joins nothing on its left, whatever came before.
    live.voltageA = 200;
    const SamplePlan flat = acquireSample(live, configA, sx, sy);
    EXPECT_EQ(flat.segments[TraceTps].y1, flat.segments[TraceTps].y2);
    EXPECT_EQ(y(TraceTps, tpsHeight(200, 0)), flat.segments[TraceTps].y2);
}

TEST_F(ScopeSweep, SegmentsJoinTheLastSampleToThisOne) {
    scopeState().column = 250;
    live.position = 30;
    acquireSample(live, configA, sx, sy);
    live.position = 90;
    const SamplePlan p = acquireSample(live, configA, sx, sy);
    EXPECT_EQ(252, p.column);
    const Segment& s = p.segments[TracePosition];
    EXPECT_EQ(scaleCoord(251, sx), s.x1);
    EXPECT_EQ(y(TracePosition, 10), s.y1);
    EXPECT_EQ(scaleCoord(252, sx), s.x2);
    EXPECT_EQ(y(TracePosition, 30), s.y2);
}

TEST_F(ScopeSweep, EachSampleIsStoredAsPointsAndHistoryOneColumnOn) {
    live.voltageB = 40;
    live.position = 99;
    live.attInit = 128;
    live.rpmPeriodHi = 0x13;
    live.rpmPeriodLo = 0x88;  // period 5000: 3000 rpm
    live.voltageA = 77;
    live.flagsA = 0xFF;
    live.flagsB = 0x85;
    configA.lambdaType = 0x31;
    scopeState().column = 299;
    acquireSample(live, configA, sx, sy);  // column 300, index 100

    const ScopeHistoryEntry& e = scope.history[100];
    EXPECT_EQ(40, e.voltageB);
    EXPECT_EQ(99, e.position);
    EXPECT_EQ(128, e.attInit);
    EXPECT_EQ(3000, e.rpm);
    EXPECT_EQ(77, e.voltageA);
    EXPECT_EQ(0x31, e.lambdaType);
    EXPECT_EQ(0x10, e.switchOff);  // only the switch bit of flagsA is kept
    EXPECT_EQ(0x85, e.flagsB);

    int h[TraceCount];
    sampleHeights(live, configA, h);
    for (int t = 0; t < TraceCount; ++t) {
        EXPECT_EQ(y(Trace(t), h[t]), scope.points[t][100].y) << t;
        EXPECT_EQ(scaleCoord(301, sx), scope.points[t][100].x) << t;
    }
    // The neighbours are untouched: still on their baselines.
    EXPECT_EQ(y(TraceTps, 0), scope.points[TraceTps][99].y);
    EXPECT_EQ(0, scope.history[101].position);
}

TEST_F(ScopeSweep, StoppedEngineIsRecordedAsZeroRpm) {
    live.rpmPeriodHi = 255;
    live.rpmPeriodLo = 3;
    acquireSample(live, configA, sx, sy);
    EXPECT_EQ(0, scope.history[3].rpm);
    EXPECT_EQ(y(TraceSpeed, 0), scope.points[TraceSpeed][3].y);
}

TEST_F(ScopeSweep, SecondTraceOffLeavesItsPointsAlone) {
    scopeState().secondTrace = false;
    live.attInit = 150;
    const SamplePlan p = acquireSample(live, configA, sx, sy);
    EXPECT_FALSE(p.drawn[TraceStart]);
    EXPECT_TRUE(p.drawn[TracePosition]);
    EXPECT_EQ(y(TraceStart, 0), scope.points[TraceStart][3].y);
    EXPECT_EQ(150, scope.history[3].attInit);
}

TEST_F(ScopeSweep, ResetClearsHistoryAndPointsButKeepsModeAndColumn) {
    scopeState().cursorMode = true;
    live.position = 200;
    acquireSample(live, configA, sx, sy);
    resetScopeTraces(0.8, 0.77);
    EXPECT_EQ(0, scope.history[3].position);
    EXPECT_EQ(scaleCoord(240, 0.77), scope.points[TracePosition][3].y);
    EXPECT_EQ(scaleCoord(204, 0.8), scope.points[TracePosition][3].x);
    EXPECT_TRUE(scope.cursorMode);
    EXPECT_EQ(203, scope.column);
}

// ---- cursor ----

TEST(ScopeCursor, MovesStayWithin2And395) {
    const struct {
        int from;
        CursorMove move;
        int thumb, to;
    } cases[] = {
        {100, CursorMove::LineRight, 0, 101}, {100, CursorMove::LineLeft, 0, 99},
        {100, CursorMove::PageRight, 0, 110}, {100, CursorMove::PageLeft, 0, 90},
        {100, CursorMove::Thumb, 250, 250},   {100, CursorMove::Other, 7, 100},
        {2, CursorMove::LineLeft, 0, 2},      {395, CursorMove::LineRight, 0, 395},
        {390, CursorMove::PageRight, 0, 395}, {5, CursorMove::PageLeft, 0, 2},
        {100, CursorMove::Thumb, 0, 2},       {100, CursorMove::Thumb, 399, 395},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.to, moveCursor(c.from, c.move, c.thumb))
            << c.from << " move " << int(c.move) << " thumb " << c.thumb;
}

// ---- printed values ----

std::string shown(const FieldText& f) { return std::string(f.text, size_t(f.count)); }

TEST(ScopeValues, LiveValuesFollowTheSensorTypes) {
    const struct {
        uint8_t lambdaType, voltageA, flagsA;
        const char* tps;
        TpsUnit unit;
    } cases[] = {
        {0x00, 128, 0, "2.50", TpsUnit::Volt}, {0x01, 128, 0, "2.49", TpsUnit::Volt},  // 5 - V
        {0x02, 128, 0, "_.__", TpsUnit::None}, {0x03, 128, 0, "_.__", TpsUnit::None},
        {0x06, 128, 0, " ON", TpsUnit::Blank}, {0x07, 128, 0x10, "OFF", TpsUnit::Blank},
        {0x08, 128, 0, "2.50", TpsUnit::Volt},
    };
    for (const auto& c : cases) {
        LiveBlock live = {};
        ConfigABlock configA = {};
        live.voltageA = c.voltageA;
        live.flagsA = c.flagsA;
        configA.lambdaType = c.lambdaType;
        const ScopeValues v = liveValues(live, configA);
        EXPECT_EQ(c.tps, shown(v.tps)) << int(c.lambdaType);
        EXPECT_EQ(c.unit, v.unit) << int(c.lambdaType);
    }
}

TEST(ScopeValues, LambdaIsInvertedForTheFiveToZeroProbesAndAStoppedEngineShowsZeros) {
    LiveBlock live = {};
    ConfigABlock configA = {};
    live.voltageB = 23;  // 0.4508 V
    live.position = 7;
    live.rpmPeriodHi = 255;
    live.rpmPeriodLo = 1;
    live.flagsB = 0x01;
    EXPECT_EQ("0.45", shown(liveValues(live, configA).lambda));
    configA.lambdaType = 0x30;
    EXPECT_EQ("4.54", shown(liveValues(live, configA).lambda));
    configA.lambdaType = 0x40;
    EXPECT_EQ("4.54", shown(liveValues(live, configA).lambda));
    configA.lambdaType = 0x50;
    const ScopeValues v = liveValues(live, configA);
    EXPECT_EQ("0.45", shown(v.lambda));
    EXPECT_EQ("007", shown(v.position));
    EXPECT_EQ("0000", shown(v.speed));
    EXPECT_TRUE(v.onGas);
}

TEST(ScopeValues, HistoryEntryShowsWhatItRecordedWithTodaysProbeType) {
    const ScopeHistoryEntry e = {23, 140, 128, 2750, 128, 0x06, 0x10, 0x00};
    const ScopeValues v = historyValues(e, 0x30);
    EXPECT_EQ("4.54", shown(v.lambda));  // probe type of now: 5 - V
    EXPECT_EQ("140", shown(v.position));
    EXPECT_EQ("2750", shown(v.speed));
    EXPECT_EQ("OFF", shown(v.tps));  // sensor type and switch bit as recorded
    EXPECT_EQ(TpsUnit::Blank, v.unit);
    EXPECT_FALSE(v.onGas);

    const ScopeHistoryEntry onGas = {0, 0, 0, 0, 0, 0x00, 0x00, 0x01};
    EXPECT_TRUE(historyValues(onGas, 0x00).onGas);
    EXPECT_EQ("0.00", shown(historyValues(onGas, 0x00).tps));
}

// ---- static frame texts ----

TEST(ScopeFrame, ProbeTextByTheHighNibbleAndSensorEntryByTheLowOne) {
    EXPECT_STREQ("0 - 1 V       ", probeTypeText(0x00));
    EXPECT_STREQ("5 - 0 V  '+'     ", probeTypeText(0x4F));
    EXPECT_STREQ("0,8 - 1,6 V   ", probeTypeText(0x50));
    EXPECT_EQ(nullptr, probeTypeText(0x60));
    EXPECT_EQ(nullptr, probeTypeText(0xF0));

    const int cases[][2] = {{0x00, 84}, {0x01, 85}, {0x02, 86}, {0x05, 86}, {0x06, 87},
                            {0x07, 88}, {0x08, 89}, {0x0F, 89}, {0x36, 87}, {0x41, 85}};
    for (const auto& c : cases) EXPECT_EQ(c[1], tpsTypeEntry(uint8_t(c[0]))) << c[0];
}

// ---- poll cycle against the simulated controller ----

class ScopeLink : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        start(3);
        resetScopeState();
        setServiceDialogOpen(false);
        setArmedInterval(50);
    }
    void TearDown() override {
        setServiceDialogOpen(false);
        resetScopeState();
        SimLinkTest::TearDown();
    }
};

using Commands = std::vector<int>;

TEST_F(ScopeLink, FailedBlock3ReadIsTriedAgainUntilItSucceeds) {
    simSetFault(SimFault::Drop, 2);  // status and live answered, block 3 not
    EXPECT_EQ(ScopeTick::Acquire, scopePollTick());
    EXPECT_EQ((Commands{1, 2, 3}), takeCommands());
    EXPECT_EQ(0u, scope.fetchedBlocks);
    simSetFault(SimFault::None);
    scopePollTick();
    EXPECT_EQ((Commands{1, 2, 3}), takeCommands());
    EXPECT_NE(0, ConfigA.lead);
    scopePollTick();
    EXPECT_EQ((Commands{1, 2}), takeCommands());
}

TEST_F(ScopeLink, LinkLossStopsTheSweepAndBlock3IsReadAgainWhenItReturns) {
    scopePollTick();
    takeCommands();
    simSetFault(SimFault::Silent);
    scopePollTick();
    scopePollTick();
    EXPECT_EQ(ScopeTick::ValuesOnly, scopePollTick());  // third missing answer
    EXPECT_EQ(LinkStateKind::Down, LinkState);
    EXPECT_EQ(SlowPollInterval, PollInterval);
    // The page keeps its own interval, so every tick retries the link.
    EXPECT_TRUE(scopeTimerNeedsRearm());
    EXPECT_EQ(ScopeInterval, PollInterval);
    takeCommands();
    EXPECT_EQ(ScopeTick::ValuesOnly, scopePollTick());
    EXPECT_EQ(Commands{1}, takeCommands());

    simSetFault(SimFault::None);
    EXPECT_EQ(ScopeTick::Acquire, scopePollTick());
    EXPECT_EQ((Commands{1, 2, 3}), takeCommands());
}

TEST_F(ScopeLink, NothingIsSentInCursorModeOrWhileAServiceDialogIsOpen) {
    scopeState().cursorMode = true;
    EXPECT_EQ(ScopeTick::CursorView, scopePollTick());
    scopeState().cursorMode = false;
    setServiceDialogOpen(true);
    EXPECT_EQ(ScopeTick::Skipped, scopePollTick());
    EXPECT_TRUE(simFrameLog().empty());
}

TEST_F(ScopeLink, UnsupportedGenerationGetsOnlyStatusRequests) {
    simState().status.identity = 0x80;  // generation 5
    for (int i = 0; i < 3; ++i) {
        scopePollTick();
        EXPECT_EQ(Commands{1}, takeCommands());
    }
    EXPECT_EQ(0u, scope.fetchedBlocks);
    EXPECT_FALSE(frameMayReadConfig());
}

TEST_F(ScopeLink, TheLinksOwnRateIsKeptForTheNextPage) {
    // Not answering yet, and the loss not yet declared: the link still polls fast.
    simSetFault(SimFault::Silent);
    scopePollTick();
    scopeTimerNeedsRearm();
    scopePollTick();
    scopeTimerNeedsRearm();
    EXPECT_EQ(FastPollInterval, Link.OwnPollInterval);
    scopePollTick();  // third missing answer
    scopeTimerNeedsRearm();
    EXPECT_EQ(ScopeInterval, PollInterval);
    releasePollInterval();  // the page goes
    EXPECT_EQ(SlowPollInterval, PollInterval);
    simSetFault(SimFault::None);
    scopePollTick();
    scopeTimerNeedsRearm();
    releasePollInterval();
    EXPECT_EQ(FastPollInterval, PollInterval);
}

TEST_F(ScopeLink, TheTimerIsReArmedOnlyWhenItRunsAtAnotherInterval) {
    scopePollTick();  // a good status sets the link's own 50 ms
    EXPECT_TRUE(scopeTimerNeedsRearm());
    EXPECT_EQ(ScopeInterval, PollInterval);
    setArmedInterval(ScopeInterval);
    scopePollTick();
    EXPECT_FALSE(scopeTimerNeedsRearm());
}

}  // namespace
