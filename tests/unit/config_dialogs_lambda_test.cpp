#include "config/lambda_emulation.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "shell/app_state.h"
#include "sim/sim.h"
#include "tests/unit/sim_link_fixture.h"

namespace {

using simframes::takeCommands;

std::string timeText(int index) {
    char text[EmulationTimeTextSize];
    emulationTimeText(index, text, sizeof text);
    return text;
}

TEST(LambdaEmulationLists, TimesInStepsOf25Milliseconds) {
    EXPECT_EQ("0,025", timeText(0));
    EXPECT_EQ("1,000", timeText(39));
    EXPECT_EQ("6,375", timeText(EmulationTimeItems - 1));
    EXPECT_EQ(0, emulationTimeIndex(0));
    EXPECT_EQ(0, emulationTimeIndex(1));
    EXPECT_EQ(254, emulationTimeIndex(255));
}

TEST(LambdaEmulationLists, ChoiceWritesItsStepsOnTheListsAddress) {
    for (int generation : {1, 3}) {
        const EmulationTimeWrite h = emulationTimeWrite(true, 39, LinkStateKind::Up, generation);
        EXPECT_TRUE(h.send);
        EXPECT_EQ(Addr::EmulBjTimeHi, h.address);
        EXPECT_EQ(40, h.value);
        const EmulationTimeWrite l =
            emulationTimeWrite(false, EmulationTimeItems - 1, LinkStateKind::Up, generation);
        EXPECT_TRUE(l.send);
        EXPECT_EQ(Addr::EmulBjTimeLo, l.address);
        EXPECT_EQ(255, l.value);
    }
}

// Found by the link fuzz target: with the link down the wire address would
// follow the generation of the zeroed Status store.
TEST(LambdaEmulationLists, NothingIsWrittenWithoutAControllerOrAnItem) {
    EXPECT_FALSE(emulationTimeWrite(true, 3, LinkStateKind::Down, 1).send);
    EXPECT_FALSE(emulationTimeWrite(false, 3, LinkStateKind::Down, 3).send);
    EXPECT_FALSE(emulationTimeWrite(true, 3, LinkStateKind::Up, 2).send);
    EXPECT_FALSE(emulationTimeWrite(true, -1, LinkStateKind::Up, 3).send);
    EXPECT_FALSE(emulationTimeWrite(true, EmulationTimeItems, LinkStateKind::Up, 3).send);
}

TEST(LambdaEmulationCaption, TwoLongestEntriesFitWhole) {
    // Unterminated slots stop at their table size.
    char16_t label[LanguageTextSize + 4], item[LanguageTextSize + 4];
    std::fill(std::begin(label), std::end(label), u'a');
    std::fill(std::begin(item), std::end(item), u'\u017e');
    EXPECT_TRUE(std::u16string(127, u'a') + u":   " + std::u16string(127, u'\u017e') ==
                emulationCaption(label, item));
    EXPECT_TRUE(u"Typ:   " == emulationCaption(u"Typ", u""));
}

std::vector<PlotPoint> wave(int high, int low) {
    std::vector<PlotPoint> pts(WaveMaxPoints);
    pts.resize(static_cast<size_t>(wavePoints(high, low, pts.data(), WaveMaxPoints)));
    return pts;
}

// Points per segment, after the start point.
std::vector<int> segmentLengths(const std::vector<PlotPoint>& pts) {
    std::vector<int> runs;
    for (size_t i = 1; i < pts.size(); ++i)
        if (runs.empty() || pts[i].y != pts[i - 1].y || i == 1)
            runs.push_back(1);
        else
            ++runs.back();
    return runs;
}

TEST(LambdaEmulationWave, SegmentsAreHalfTheTimePlusTwoPoints) {
    const struct {
        int high, low, firstHigh, firstLow;
    } cases[] = {{1, 1, 2, 2}, {0, 0, 2, 2}, {255, 1, 129, 2}, {40, 100, 22, 52}, {3, 254, 3, 129}};
    for (const auto& c : cases) {
        const std::vector<int> runs = segmentLengths(wave(c.high, c.low));
        ASSERT_GE(runs.size(), 2u);
        EXPECT_EQ(c.firstHigh, runs[0]) << c.high;
        EXPECT_EQ(c.firstLow, runs[1]) << c.low;
    }
    const std::vector<PlotPoint> start = wave(1, 1);
    EXPECT_EQ(WaveLeft, start[0].x);
    EXPECT_EQ(WaveHigh, start[0].y);
    EXPECT_EQ(WaveLow, start[3].y);
}

TEST(LambdaEmulationWave, EdgesAreVerticalAndNothingPassesTheLimit) {
    for (int high : {0, 1, 2, 37, 255})
        for (int low : {0, 1, 50, 255}) {
            const std::vector<PlotPoint> pts = wave(high, low);
            EXPECT_EQ(static_cast<size_t>(WaveMaxPoints), pts.size()) << high << "/" << low;
            for (size_t i = 1; i < pts.size(); ++i) EXPECT_LE(pts[i].x, WaveRightLimit);
            for (size_t i = 2; i < pts.size(); ++i) {
                const bool newLevel = pts[i].y != pts[i - 1].y;
                const bool afterFirst = i == 2 || pts[i - 2].y != pts[i - 1].y;
                // A new level starts straight under (or over) the last point;
                // its second point comes two columns after its first.
                const int step = newLevel ? 0 : afterFirst ? 2 : 1;
                EXPECT_EQ(pts[i - 1].x + step, pts[i].x) << high << "/" << low << " at " << i;
            }
            EXPECT_EQ(WaveRightLimit - 1, pts.back().x);
        }
}

TEST(LambdaEmulationWave, SmallBufferIsNeverOverrun) {
    PlotPoint pts[5];
    EXPECT_EQ(5, wavePoints(1, 1, pts, 5));
    EXPECT_EQ(0, wavePoints(1, 1, pts, 0));
}

TEST(LambdaEmulationWave, DrawnAgainOnlyAfterAPaintOrNewTimes) {
    resetLambdaEmulationState();
    EXPECT_FALSE(lambdaWaveNeedsDrawing(1, 1));
    lambdaEmulationState().redraw = true;
    EXPECT_TRUE(lambdaWaveNeedsDrawing(1, 1));
    EXPECT_FALSE(lambdaWaveNeedsDrawing(1, 1));
    EXPECT_TRUE(lambdaWaveNeedsDrawing(1, 2));
    EXPECT_FALSE(lambdaWaveNeedsDrawing(1, 2));
    EXPECT_TRUE(lambdaWaveNeedsDrawing(9, 2));
    resetLambdaEmulationState();
}

class LambdaEmulationTick : public SimLinkTest {
protected:
    void TearDown() override {
        setDropDownOpen(false);
        SimLinkTest::TearDown();
    }
};

TEST_F(LambdaEmulationTick, ReadsConfigAUnlessAListIsOpen) {
    start(3);
    EXPECT_TRUE(lambdaEmulationPollTick());
    EXPECT_EQ((std::vector<int>{1, 3}), takeCommands());
    setDropDownOpen(true);
    EXPECT_FALSE(lambdaEmulationPollTick());
    EXPECT_TRUE(takeCommands().empty());
}

}  // namespace
