#include "link/block_stores.h"
#include "config/corrections.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "shell/app_state.h"
#include "sim/sim.h"
#include "tests/unit/sim_link_fixture.h"

namespace {

using simframes::takeCommands;

std::string itemText(int row, int index) {
    char text[CorrectionTextSize];
    correctionItemText(row, index, text, sizeof text);
    return text;
}

TEST(CorrectionLists, ItemsRunInStepsOfTwoWithPlusOnPositives) {
    const struct {
        int row;
        const char *first, *last;
        int zeroNibble;
    } rows[] = {
        {0, "-12", "+18", 9},
        {1, "-10", "+20", 10},
        {2, "-20", "+10", 5},
        {3, "-16", "+14", 7},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.first, itemText(r.row, 0)) << r.row;
        EXPECT_EQ(r.last, itemText(r.row, CorrectionItems - 1)) << r.row;
        const int zero = correctionIndexForNibble(r.zeroNibble);
        EXPECT_EQ("0", itemText(r.row, zero)) << r.row;
        EXPECT_EQ("-2", itemText(r.row, zero - 1)) << r.row;
        EXPECT_EQ("+2", itemText(r.row, zero + 1)) << r.row;
    }
}

TEST(CorrectionLists, NibbleIsShownAtFifteenMinusIt) {
    for (int n = 0; n < 16; ++n) {
        EXPECT_EQ(15 - n, correctionIndexForNibble(n));
        EXPECT_EQ(n, correctionNibbleForIndex(correctionIndexForNibble(n)));
    }
}

class CorrectionStores : public ::testing::Test {
protected:
    void SetUp() override {
        resetLinkState();
        linkForTests().LinkState = LinkStateKind::Up;
        blockStores().ConfigA.emulDoTimeHi = 0x9F;
        blockStores().ConfigA.emulDoTimeLo = 0x3C;
        blockStores().Extended.zamOtwBj = 0x9F;
        blockStores().Extended.zamOtwDo = 0x3C;
        blockStores().ConfigAValid = blockStores().ExtendedValid = true;
    }
    void TearDown() override { resetLinkState(); }
};

TEST_F(CorrectionStores, ChoiceReplacesItsNibbleAndSendsTheOtherBack) {
    const struct {
        int row, index;
        uint8_t address, value;
    } cases[] = {
        {0, 6, 12, 0x99},                      // low nibble of A: 15 - 6 = 9
        {0, 15, 12, 0x90}, {1, 0, 12, 0xFF},   // high nibble of A
        {1, 15, 12, 0x0F}, {2, 10, 13, 0x35},  // low nibble of B
        {3, 8, 13, 0x7C},                      // high nibble of B
    };
    for (int generation : {1, 3})
        for (const auto& c : cases) {
            const CorrectionWrite w =
                correctionWrite(c.row, c.index, LinkStateKind::Up, generation);
            EXPECT_TRUE(w.send);
            EXPECT_EQ(c.address, w.address) << generation << " row " << c.row;
            EXPECT_EQ(c.value, w.value) << generation << " row " << c.row;
        }
}

TEST_F(CorrectionStores, EachGenerationReadsItsOwnBytes) {
    blockStores().Extended.zamOtwBj = 0x12;
    EXPECT_EQ(0x92, correctionWrite(0, 13, LinkStateKind::Up, 1).value);
    EXPECT_EQ(0x12, correctionWrite(0, 13, LinkStateKind::Up, 3).value);

    const CorrectionSelection one = correctionSelection(1);
    ASSERT_TRUE(one.shown);
    EXPECT_EQ(0, one.index[0]);  // nibble 15: -12
    EXPECT_EQ(6, one.index[1]);  // nibble 9: +2
    EXPECT_EQ(3, one.index[2]);
    EXPECT_EQ(12, one.index[3]);
    const CorrectionSelection three = correctionSelection(3);
    EXPECT_EQ(13, three.index[0]);
    EXPECT_EQ(14, three.index[1]);
    EXPECT_FALSE(correctionSelection(2).shown);
}

TEST_F(CorrectionStores, NothingIsWrittenFromBytesNotRead) {
    EXPECT_FALSE(correctionWrite(0, 6, LinkStateKind::Down, 1).send);
    EXPECT_FALSE(correctionWrite(0, 6, LinkStateKind::Up, 2).send);
    blockStores().ConfigAValid = false;
    EXPECT_FALSE(correctionWrite(0, 6, LinkStateKind::Up, 1).send);
    EXPECT_TRUE(correctionWrite(0, 6, LinkStateKind::Up, 3).send);
    blockStores().ExtendedValid = false;
    EXPECT_FALSE(correctionWrite(0, 6, LinkStateKind::Up, 3).send);
    EXPECT_FALSE(correctionWrite(0, 16, LinkStateKind::Up, 1).send);
}

// ---- the tick against the simulated controller ----

class CorrectionsTick : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        setDropDownOpen(false);
    }
    void TearDown() override {
        setDropDownOpen(false);
        SimLinkTest::TearDown();
    }
};

TEST_F(CorrectionsTick, ReadsTheBlockOfTheGeneration) {
    start(1);
    EXPECT_TRUE(correctionsPollTick());
    EXPECT_EQ((std::vector<int>{1, 3}), takeCommands());
    EXPECT_TRUE(ConfigAValid);
    start(3);
    EXPECT_TRUE(correctionsPollTick());
    EXPECT_EQ((std::vector<int>{1, 5}), takeCommands());
    EXPECT_EQ(simState().extended.zamOtwBj, Extended.zamOtwBj);
}

TEST_F(CorrectionsTick, OpenListOrLostLinkStopsTheReads) {
    start(3);
    setDropDownOpen(true);
    EXPECT_FALSE(correctionsPollTick());
    EXPECT_TRUE(takeCommands().empty());
    setDropDownOpen(false);
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) correctionsPollTick();
    takeCommands();
    EXPECT_TRUE(correctionsPollTick());  // still refreshes: the zeroed stores
    EXPECT_EQ((std::vector<int>{1}), takeCommands());
}

}  // namespace
