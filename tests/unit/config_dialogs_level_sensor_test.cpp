#include "config/level_sensor.h"

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

TEST(LevelSensorMode, IndexFromBitsZeroAndSeven) {
    const struct {
        uint8_t options;
        int index;
    } cases[] = {{0x01, 0}, {0x81, 0}, {0x80, 1}, {0xFE, 1}, {0x00, 2}, {0x7E, 2}};
    for (const auto& c : cases) EXPECT_EQ(c.index, levelModeIndex(c.options)) << int(c.options);
}

TEST(LevelSensorMode, WriteKeepsTheOtherOptionBits) {
    const uint8_t expected[3] = {0x7F, 0xFE, 0x7E};
    for (int k = 0; k < 3; ++k)
        for (int generation : {1, 3}) {
            const LevelModeWrite w = levelModeWrite(k, LinkStateKind::Up, generation, true, 0xFF);
            EXPECT_TRUE(w.send);
            EXPECT_EQ(expected[k], w.value) << k;
        }
}

TEST(LevelSensorMode, NothingIsWrittenFromOptionsNotRead) {
    EXPECT_FALSE(levelModeWrite(1, LinkStateKind::Down, 3, true, 0x02).send);
    EXPECT_FALSE(levelModeWrite(1, LinkStateKind::Up, 3, false, 0x02).send);
    EXPECT_FALSE(levelModeWrite(1, LinkStateKind::Up, 2, true, 0x02).send);
    EXPECT_FALSE(levelModeWrite(3, LinkStateKind::Up, 3, true, 0x02).send);
}

TEST(LevelSensorThresholds, EndOfAMovementWritesTheThresholdsAddress) {
    const uint8_t addresses[ThresholdCount] = {Addr::Prog1, Addr::Prog2, Addr::Prog3, Addr::Prog4};
    for (int t = 0; t < ThresholdCount; ++t) {
        const ThresholdWrite w = thresholdWrite(t, 200 + t, LinkStateKind::Up, 3, true);
        EXPECT_TRUE(w.send);
        EXPECT_EQ(addresses[t], w.address);
        EXPECT_EQ(200 + t, w.value);
    }
}

// Found by the link fuzz target: the working values are loaded from the
// Extended store on every tick, valid or not, so a movement from a store
// without a valid reply would write a threshold made of zeros or of another
// controller's values.
TEST(LevelSensorThresholds, NothingIsWrittenFromThresholdsNotRead) {
    EXPECT_FALSE(thresholdWrite(0, 1, LinkStateKind::Up, 3, false).send);
    EXPECT_FALSE(thresholdWrite(0, 1, LinkStateKind::Down, 3, true).send);
    EXPECT_FALSE(thresholdWrite(0, 1, LinkStateKind::Up, 1, true).send);
    EXPECT_FALSE(thresholdWrite(ThresholdCount, 1, LinkStateKind::Up, 3, true).send);
}

TEST(LevelSensorLamps, PatternPerLevel) {
    const struct {
        int level;
        bool reserve, q1, q2, q3, q4;
    } cases[] = {
        {0, true, false, false, false, false},  {1, false, true, false, false, false},
        {3, false, true, true, true, false},    {4, false, true, true, true, true},
        {5, false, false, false, false, false}, {7, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        const Lamps l = lampsForLevel(c.level);
        EXPECT_EQ(c.reserve, l.reserve) << c.level;
        EXPECT_EQ(c.q1, l.quarter[0]) << c.level;
        EXPECT_EQ(c.q2, l.quarter[1]) << c.level;
        EXPECT_EQ(c.q3, l.quarter[2]) << c.level;
        EXPECT_EQ(c.q4, l.quarter[3]) << c.level;
    }
}

TEST(LevelSensorView, ThresholdsForGenerationThreeOutsideTheFirstMode) {
    const LevelSensorView on = levelSensorView(LinkStateKind::Up, 3, 0x80, 0);
    EXPECT_TRUE(on.thresholdsEnabled);
    EXPECT_TRUE(on.lamps.reserve);
    EXPECT_FALSE(levelSensorView(LinkStateKind::Up, 3, 0x01, 0).thresholdsEnabled);
    EXPECT_FALSE(levelSensorView(LinkStateKind::Up, 3, 0x01, 0).lamps.reserve);
    EXPECT_FALSE(levelSensorView(LinkStateKind::Up, 1, 0x00, 0).thresholdsEnabled);
    // Without the controller the lamps stay dark.
    const LevelSensorView down = levelSensorView(LinkStateKind::Down, 3, 0x00, 0);
    EXPECT_TRUE(down.thresholdsEnabled);
    EXPECT_FALSE(down.lamps.reserve);
}

TEST(LevelSensorScroll, StepsStayInRangeAndOnlyTheEndWrites) {
    const struct {
        int value, code, thumb, result;
        bool activeAfter, write;
    } cases[] = {
        {0, ScrollLineLeft, 0, 0, true, false},
        {255, ScrollLineRight, 0, 255, true, false},
        {7, ScrollLineRight, 0, 8, true, false},
        {250, ScrollPageRight, 0, 255, true, false},
        {5, ScrollPageLeft, 0, 0, true, false},
        {100, ScrollPageLeft, 0, 90, true, false},
        {100, ScrollThumbTrack, 17, 17, true, false},
        {100, ScrollThumbPosition, 17, 100, false, false},
        {100, ScrollToLeft, 0, 100, false, false},
        {100, ScrollToRight, 0, 100, false, false},
        {42, ScrollEnd, 0, 42, false, true},
    };
    for (const auto& c : cases) {
        bool active = false;
        const ScrollStep s = scrollThreshold(c.value, c.code, c.thumb, &active);
        EXPECT_EQ(c.result, s.value) << c.code << " from " << c.value;
        EXPECT_EQ(c.activeAfter, active) << c.code;
        EXPECT_EQ(c.write, s.write) << c.code;
    }
    bool active = true;
    EXPECT_TRUE(scrollThreshold(3, ScrollEnd, 0, &active).write);
    EXPECT_FALSE(active);
}

// ---- against the simulated controller ----

class LevelSensorTick : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        resetLevelSensorState();
        setDropDownOpen(false);
    }
    void TearDown() override {
        setDropDownOpen(false);
        resetLevelSensorState();
        SimLinkTest::TearDown();
    }
};

TEST_F(LevelSensorTick, GenerationThreeReadsLevelAndThresholds) {
    start(3);
    simState().extended.prog3 = 123;
    simPortAdvanceClock(25000);  // the tank is down to 2/4
    EXPECT_TRUE(levelSensorPollTick());
    EXPECT_EQ((std::vector<int>{1, 3, 5}), takeCommands());
    EXPECT_EQ(2, levelSensor.level);
    EXPECT_EQ(123, levelSensor.working[2]);
}

TEST_F(LevelSensorTick, OtherGenerationsReadConfigAOnlyAndALostLinkNothing) {
    start(1);
    levelSensorState().level = 3;
    EXPECT_TRUE(levelSensorPollTick());
    EXPECT_EQ((std::vector<int>{1, 3}), takeCommands());
    EXPECT_EQ(3, levelSensor.level);  // kept without a block 5

    start(3);
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) levelSensorPollTick();
    takeCommands();
    EXPECT_EQ(LinkStateKind::Down, LinkState);
    EXPECT_TRUE(levelSensorPollTick());
    // The unanswered status holds the ConfigA read: it would only wait out
    // its time-out.
    EXPECT_EQ((std::vector<int>{1}), takeCommands());
}

TEST_F(LevelSensorTick, MovingScrollBarOrOpenListSkipsTheTick) {
    start(3);
    levelSensorState().working[0] = 77;
    levelSensorState().scrollActive = true;
    EXPECT_FALSE(levelSensorPollTick());
    levelSensorState().scrollActive = false;
    setDropDownOpen(true);
    EXPECT_FALSE(levelSensorPollTick());
    EXPECT_TRUE(takeCommands().empty());
    EXPECT_EQ(77, levelSensor.working[0]);
}

TEST_F(LevelSensorTick, FactoryButtonDoesNothingMoreOnGenerationOne) {
    start(1);
    levelSensorFactoryPress();
    EXPECT_EQ((std::vector<int>{1}), takeCommands());
}

}  // namespace
