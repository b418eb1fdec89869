// What a refresh of the configuration and options pages selects, checks,
// enables and shows for a handful of stores.
#include <gtest/gtest.h>

#include "config/config_page.h"
#include "config/options_page.h"
#include "config/page_view.h"
#include "res/resource.h"
#include "shell/language_entries.h"

namespace {

enum { Untouched = -100 };

// The value the last action of that step on that control leaves, or
// Untouched when the refresh leaves the control alone.
int last(const PageView& v, ViewStep step, int control) {
    int value = Untouched;
    for (int i = 0; i < v.count; ++i)
        if (v.actions[i].step == step && v.actions[i].control == control)
            value = v.actions[i].value;
    return value;
}
int selected(const PageView& v, int control) { return last(v, ViewStep::Select, control); }
int position(const PageView& v, ViewStep step, int control) {
    for (int i = 0; i < v.count; ++i)
        if (v.actions[i].step == step && v.actions[i].control == control) return i;
    return -1;
}

PageStores connected(int generation) {
    PageStores s = {};
    s.generation = generation;
    s.linkUp = s.configAValid = true;
    return s;
}

class ConfigRefresh : public testing::Test {
protected:
    void SetUp() override { neutralListType = 0; }
    void TearDown() override { neutralListType = 0; }
};

TEST_F(ConfigRefresh, AllZeroStoresShowTheFirstItems) {
    PageStores s = {};  // link down: generation decodes as 1
    s.generation = 1;
    const PageView v = configRefreshView(s);
    for (int list : {IDC_CFG_PROBE_TYPE, IDC_CFG_NEUTRAL_POINT, IDC_CFG_READING_DELAY,
                     IDC_CFG_EMULATION_TYPE, IDC_CFG_HIGH_TIME, IDC_CFG_LOW_TIME,
                     IDC_CFG_IGNITION_TYPE, IDC_CFG_SWITCH_SPEED, IDC_CFG_SWITCH_DIRECTION,
                     IDC_CFG_TPS_TYPE, IDC_CFG_TPS_INERT, IDC_CFG_OVERLAP, IDC_CFG_VALVE_OPENING})
        EXPECT_EQ(0, selected(v, list)) << list;
    EXPECT_EQ(Untouched, last(v, ViewStep::Refill, IDC_CFG_NEUTRAL_POINT));
    EXPECT_EQ(1, last(v, ViewStep::Enable, IDC_CFG_HIGH_TIME_UNIT));
    EXPECT_EQ(1, last(v, ViewStep::Enable, IDC_CFG_TPS_INERT_LABEL));
    EXPECT_EQ(EntrySensorMode1 + 2, last(v, ViewStep::Text, IDC_CFG_SENSOR_MODE));
    // Generation 1: both boxes disabled, their marks left as they are.
    EXPECT_EQ(0, last(v, ViewStep::Enable, IDC_CFG_LOW_SIGNAL));
    EXPECT_EQ(Untouched, last(v, ViewStep::Check, IDC_CFG_LOW_SIGNAL));
    EXPECT_EQ(0, last(v, ViewStep::Enable, IDC_CFG_EMERGENCY_START));
    EXPECT_EQ(Untouched, last(v, ViewStep::Check, IDC_CFG_EMERGENCY_START));
    EXPECT_EQ(0, last(v, ViewStep::Show, IDC_CFG_VALVE_OPENING));
}

TEST_F(ConfigRefresh, StoredValuesSelectTheirItems) {
    struct Case {
        int control;
        void (*set)(PageStores&);
        int index;
    };
    const Case cases[] = {
        {IDC_CFG_READING_DELAY, [](PageStores& s) { s.configA.lambdaDelay = 255; }, 254},
        {IDC_CFG_HIGH_TIME, [](PageStores& s) { s.configA.emulBjTimeHi = 40; }, 39},
        {IDC_CFG_LOW_TIME, [](PageStores& s) { s.configA.emulBjTimeLo = 1; }, 0},
        {IDC_CFG_IGNITION_TYPE, [](PageStores& s) { s.configB.ignitionType = 18; }, 17},
        {IDC_CFG_IGNITION_TYPE, [](PageStores& s) { s.configB.ignitionType = 19; }, NoItem},
        {IDC_CFG_TPS_INERT, [](PageStores& s) { s.configA.tpsInert = 19; }, 18},
        {IDC_CFG_TPS_INERT, [](PageStores& s) { s.configA.tpsInert = 20; }, NoItem},
        {IDC_CFG_OVERLAP, [](PageStores& s) { s.configA.injectDelay = 50; }, 49},
        {IDC_CFG_VALVE_OPENING, [](PageStores& s) { s.configA.emulDoTimeHi = 0x33; }, NoItem},
        {IDC_CFG_EMULATION_TYPE, [](PageStores& s) { s.configA.emulType = 0xF2; }, 2},
        {IDC_CFG_EMULATION_TYPE, [](PageStores& s) { s.configA.emulType = 0x03; }, NoItem},
        {IDC_CFG_SWITCH_DIRECTION, [](PageStores& s) { s.configA.options = 0x10; }, 1},
        {IDC_CFG_SWITCH_DIRECTION, [](PageStores& s) { s.configA.options = 0xEF; }, 0},
        // switch-over speed: 10000 -> 1500, 4285 -> 3500, below 1500 -> the first
        {IDC_CFG_SWITCH_SPEED,
         [](PageStores& s) { s.configB.lpgOnRpmHi = 0x27, s.configB.lpgOnRpmLo = 0x10; }, 0},
        {IDC_CFG_SWITCH_SPEED,
         [](PageStores& s) { s.configB.lpgOnRpmHi = 0x10, s.configB.lpgOnRpmLo = 0xBD; }, 20},
        {IDC_CFG_SWITCH_SPEED,
         [](PageStores& s) { s.configB.lpgOnRpmHi = 0x1D, s.configB.lpgOnRpmLo = 0x4C; }, 5},
        {IDC_CFG_SWITCH_SPEED,
         [](PageStores& s) { s.configB.lpgOnRpmHi = 0x3A, s.configB.lpgOnRpmLo = 0x98; }, 0},
        {IDC_CFG_SWITCH_SPEED,
         [](PageStores& s) { s.configB.lpgOnRpmHi = 0x0E, s.configB.lpgOnRpmLo = 0xA6; }, NoItem},
    };
    for (const Case& c : cases) {
        PageStores s = connected(3);
        c.set(s);
        EXPECT_EQ(c.index, selected(configRefreshView(s), c.control)) << c.control;
    }
}

TEST_F(ConfigRefresh, NeutralPointListIsRebuiltWhenTheProbeTypeChanges) {
    PageStores s = connected(1);
    s.configA.lambdaType = 0x50;
    s.configA.lambdaPoint = 60;
    PageView v = configRefreshView(s);
    EXPECT_EQ(static_cast<int>(ListKind::NeutralPointHigh),
              last(v, ViewStep::Refill, IDC_CFG_NEUTRAL_POINT));
    EXPECT_LT(position(v, ViewStep::Refill, IDC_CFG_NEUTRAL_POINT),
              position(v, ViewStep::Select, IDC_CFG_NEUTRAL_POINT));
    EXPECT_EQ(10, selected(v, IDC_CFG_NEUTRAL_POINT));  // 1,20 V
    EXPECT_EQ(5, selected(v, IDC_CFG_PROBE_TYPE));
    EXPECT_EQ(5, neutralListType);

    // Same type again: no rebuild.
    v = configRefreshView(s);
    EXPECT_EQ(Untouched, last(v, ViewStep::Refill, IDC_CFG_NEUTRAL_POINT));
}

TEST_F(ConfigRefresh, NeutralPointBelowOrPastItsList) {
    const struct {
        uint8_t lambdaType, point;
        int probeIndex, pointIndex;
    } cases[] = {
        {0x00, 31, 0, NoItem},                           // 0,62 V is past the 0-1 V list
        {0x00, 10, 0, 0},                                // below the first item
        {0x00, 22, 0, 2},       {0x20, 127, 2, 27},      // 2,54 V
        {0x20, 151, 2, NoItem}, {0x60, 100, NoItem, 0},  // an unknown probe type uses the wide list
    };
    for (const auto& c : cases) {
        PageStores s = connected(1);
        s.configA.lambdaType = c.lambdaType;
        s.configA.lambdaPoint = c.point;
        const PageView v = configRefreshView(s);
        EXPECT_EQ(c.probeIndex, selected(v, IDC_CFG_PROBE_TYPE)) << int(c.lambdaType);
        EXPECT_EQ(c.pointIndex, selected(v, IDC_CFG_NEUTRAL_POINT)) << int(c.point);
    }
}

TEST_F(ConfigRefresh, TpsTypeAndItsInertia) {
    const struct {
        int code, index;
        bool inertia;
    } cases[] = {{0, 0, true}, {1, 1, true},   {2, 2, false}, {3, 2, false},
                 {4, 2, true}, {5, 2, true},   {6, 3, false}, {7, 4, false},
                 {8, 5, true}, {10, 5, false}, {15, 5, false}};
    for (const auto& c : cases) {
        PageStores s = connected(1);
        s.configA.lambdaType = static_cast<uint8_t>(0x30 | c.code);
        const PageView v = configRefreshView(s);
        EXPECT_EQ(c.index, selected(v, IDC_CFG_TPS_TYPE)) << c.code;
        for (int control : {IDC_CFG_TPS_INERT, IDC_CFG_TPS_INERT_LABEL, IDC_CFG_TPS_INERT_UNIT})
            EXPECT_EQ(c.inertia, last(v, ViewStep::Enable, control) == 1) << c.code;
    }
}

TEST_F(ConfigRefresh, EmulationTimesOnlyForTheConstructedEmulation) {
    for (int type = 0; type < 4; ++type) {
        PageStores s = connected(1);
        s.configA.emulType = static_cast<uint8_t>(0xFC | type);
        const PageView v = configRefreshView(s);
        for (int control : {IDC_CFG_HIGH_TIME, IDC_CFG_LOW_TIME, IDC_CFG_HIGH_TIME_LABEL,
                            IDC_CFG_LOW_TIME_LABEL, IDC_CFG_HIGH_TIME_UNIT, IDC_CFG_LOW_TIME_UNIT})
            EXPECT_EQ(type == 0 ? 1 : 0, last(v, ViewStep::Enable, control)) << type;
    }
}

TEST_F(ConfigRefresh, Generation3BoxesFollowTheirBits) {
    const struct {
        uint8_t emulType;
        int lowSignal, emergency;
    } cases[] = {{0x00, 0, 0}, {0x04, 1, 0}, {0x08, 0, 1}, {0xFF, 1, 1}};
    for (const auto& c : cases) {
        PageStores s = connected(3);
        s.configA.emulType = c.emulType;
        const PageView v = configRefreshView(s);
        EXPECT_EQ(1, last(v, ViewStep::Enable, IDC_CFG_LOW_SIGNAL));
        EXPECT_EQ(c.lowSignal, last(v, ViewStep::Check, IDC_CFG_LOW_SIGNAL));
        EXPECT_EQ(1, last(v, ViewStep::Enable, IDC_CFG_EMERGENCY_START));
        EXPECT_EQ(c.emergency, last(v, ViewStep::Check, IDC_CFG_EMERGENCY_START));
        for (int control :
             {IDC_CFG_VALVE_OPENING_LABEL, IDC_CFG_VALVE_OPENING, IDC_CFG_VALVE_OPENING_UNIT})
            EXPECT_EQ(c.emergency, last(v, ViewStep::Show, control));
    }
}

TEST_F(ConfigRefresh, OtherGenerationsShowNothingOfTheGeneration3Bits) {
    for (int generation : {1, 2}) {
        PageStores s = connected(generation);
        s.configA.emulType = 0xFF;  // emergency start and low signal level set
        s.configA.emulDoTimeHi = 5;
        const PageView v = configRefreshView(s);
        for (int box : {IDC_CFG_EMERGENCY_START, IDC_CFG_LOW_SIGNAL}) {
            EXPECT_EQ(0, last(v, ViewStep::Enable, box)) << generation << " " << box;
            EXPECT_EQ(Untouched, last(v, ViewStep::Check, box)) << generation << " " << box;
        }
        for (int control :
             {IDC_CFG_VALVE_OPENING_LABEL, IDC_CFG_VALVE_OPENING, IDC_CFG_VALVE_OPENING_UNIT})
            EXPECT_EQ(0, last(v, ViewStep::Show, control)) << generation << " " << control;
    }
}

TEST_F(ConfigRefresh, GasLevelSensorModeText) {
    const struct {
        uint8_t options;
        int entry;
    } cases[] = {{0x00, 183}, {0x01, 181}, {0x80, 182}, {0x81, 181}, {0x7E, 183}};
    for (const auto& c : cases) {
        PageStores s = connected(1);
        s.configA.options = c.options;
        EXPECT_EQ(c.entry, last(configRefreshView(s), ViewStep::Text, IDC_CFG_SENSOR_MODE));
    }
}

// ---- options page ----

const int JumpGroup[] = {IDC_OPT_JUMP,           IDC_OPT_TPS_JUMP,  IDC_OPT_JUMP_LABEL,
                         IDC_OPT_TPS_JUMP_LABEL, IDC_OPT_JUMP_UNIT, IDC_OPT_TPS_JUMP_UNIT};

TEST(OptionsRefresh, AllZeroStoresShowOnlyTheStartPosition) {
    PageStores s = {};
    s.generation = 1;
    const PageView v = optionsRefreshView(s, 256);
    EXPECT_EQ(1, last(v, ViewStep::Check, IDC_OPT_START_POSITION_BOX));
    EXPECT_EQ(1, last(v, ViewStep::Show, IDC_OPT_START_POSITION));
    EXPECT_EQ(1, last(v, ViewStep::Show, IDC_OPT_START_POSITION_UNIT));
    EXPECT_EQ(0, selected(v, IDC_OPT_START_POSITION));
    for (int box : {IDC_OPT_JUMP_BOX, IDC_OPT_CUT_OFF_BOX, IDC_OPT_SWITCH_OFF_BOX,
                    IDC_OPT_MIN_TEMPERATURE_BOX})
        EXPECT_EQ(0, last(v, ViewStep::Check, box)) << box;
    for (int control : {IDC_OPT_JUMP, IDC_OPT_CUT_OFF_SPEED, IDC_OPT_CUT_OFF_STEP_LABEL,
                        IDC_OPT_SWITCH_OFF_SPEED, IDC_OPT_MIN_TEMPERATURE_UNIT})
        EXPECT_EQ(0, last(v, ViewStep::Show, control)) << control;
    EXPECT_EQ(0, selected(v, IDC_OPT_MODE));
    EXPECT_EQ(0, selected(v, IDC_OPT_MIN_TEMPERATURE));
    EXPECT_EQ(0, selected(v, IDC_OPT_CUT_OFF_SPEED));
    EXPECT_EQ(0, selected(v, IDC_OPT_SWITCH_OFF_SPEED));
}

TEST(OptionsRefresh, BoxesShowTheirGroups) {
    PageStores s = connected(1);
    s.configA.options = 0xFF & ~0x04;  // everything on, start position offered
    const PageView v = optionsRefreshView(s, 256);
    for (int box : {IDC_OPT_START_POSITION_BOX, IDC_OPT_JUMP_BOX, IDC_OPT_CUT_OFF_BOX,
                    IDC_OPT_SWITCH_OFF_BOX, IDC_OPT_MIN_TEMPERATURE_BOX})
        EXPECT_EQ(1, last(v, ViewStep::Check, box)) << box;
    for (int control : JumpGroup) EXPECT_EQ(1, last(v, ViewStep::Show, control)) << control;
    for (int control :
         {IDC_OPT_CUT_OFF_SPEED, IDC_OPT_CUT_OFF_SPEED_UNIT, IDC_OPT_CUT_OFF_STEP_UNIT,
          IDC_OPT_CUT_OFF_SPEED_LABEL, IDC_OPT_CUT_OFF_STEP_LABEL, IDC_OPT_CUT_OFF_STEP,
          IDC_OPT_SWITCH_OFF_SPEED, IDC_OPT_SWITCH_OFF_SPEED_UNIT, IDC_OPT_MIN_TEMPERATURE,
          IDC_OPT_MIN_TEMPERATURE_UNIT})
        EXPECT_EQ(1, last(v, ViewStep::Show, control)) << control;

    EXPECT_LT(v.count, static_cast<int>(PageView::Capacity));  // nothing dropped

    s.configA.options = 0x04;  // the start position set by the controller
    const PageView hidden = optionsRefreshView(s, 256);
    EXPECT_EQ(0, last(hidden, ViewStep::Check, IDC_OPT_START_POSITION_BOX));
    EXPECT_EQ(0, last(hidden, ViewStep::Show, IDC_OPT_START_POSITION));
}

TEST(OptionsRefresh, SensorsWithoutJumpsDisableAndClearTheJumpBox) {
    for (int code = 0; code < 16; ++code) {
        PageStores s = connected(1);
        s.configA.options = Options::JumpFunctions;
        s.configA.lambdaType = static_cast<uint8_t>(code);
        const PageView v = optionsRefreshView(s, 256);
        const bool noJumps = code == 2 || code == 3 || code == 6 || code == 7;
        EXPECT_EQ(noJumps ? 0 : 1, last(v, ViewStep::Enable, IDC_OPT_JUMP_BOX)) << code;
        EXPECT_EQ(noJumps ? 0 : 1, last(v, ViewStep::Check, IDC_OPT_JUMP_BOX)) << code;
        for (int control : JumpGroup)
            EXPECT_EQ(noJumps ? 0 : 1, last(v, ViewStep::Show, control)) << code;
    }
}

TEST(OptionsRefresh, JumpListFollowsTheGeneration) {
    const struct {
        int generation, itemsNow;
        uint8_t attJump;
        int refill, index, unit, label;
    } cases[] = {
        {3, 50, 20, Untouched, 9, EntryPercentUnit, EntryJumpSizeLabel},
        {3, 50, 1, Untouched, 0, EntryPercentUnit, EntryJumpSizeLabel},
        {3, 50, 102, Untouched, NoItem, EntryPercentUnit, EntryJumpSizeLabel},
        {3, 256, 100, static_cast<int>(ListKind::EvenPercent), 49, EntryPercentUnit,
         EntryJumpSizeLabel},
        {1, 50, 200, static_cast<int>(ListKind::Plain256), 200, EntryJumpPositionUnit,
         EntryJumpPositionLabel},
        {1, 256, 7, Untouched, 7, EntryJumpPositionUnit, EntryJumpPositionLabel},
    };
    for (const auto& c : cases) {
        PageStores s = connected(c.generation);
        s.configB.attJump = c.attJump;
        const PageView v = optionsRefreshView(s, c.itemsNow);
        EXPECT_EQ(c.refill, last(v, ViewStep::Refill, IDC_OPT_JUMP)) << int(c.attJump);
        EXPECT_EQ(c.index, selected(v, IDC_OPT_JUMP)) << int(c.attJump);
        EXPECT_EQ(c.unit, last(v, ViewStep::Text, IDC_OPT_JUMP_UNIT));
        EXPECT_EQ(c.label, last(v, ViewStep::Text, IDC_OPT_JUMP_LABEL));
    }
}

TEST(OptionsRefresh, StoredValuesSelectTheirItems) {
    struct Case {
        int control;
        void (*set)(PageStores&);
        int index;
    };
    const Case cases[] = {
        {IDC_OPT_START_POSITION, [](PageStores& s) { s.live.attInit = 255; }, 255},
        {IDC_OPT_IDLE_UPPER, [](PageStores& s) { s.configB.attMaxBj = 12; }, 12},
        {IDC_OPT_IDLE_LOWER, [](PageStores& s) { s.configB.attMinBj = 13; }, 13},
        {IDC_OPT_LOAD_UPPER, [](PageStores& s) { s.configB.attMax = 14; }, 14},
        {IDC_OPT_LOAD_LOWER, [](PageStores& s) { s.configB.attMin = 15; }, 15},
        // TPS jump: 5 units a step; stored as 250 - v for sensor code 1
        {IDC_OPT_TPS_JUMP, [](PageStores& s) { s.configB.tpsJump = 54; }, 10},
        {IDC_OPT_TPS_JUMP, [](PageStores& s) { s.configB.tpsJump = 255; }, NoItem},
        {IDC_OPT_TPS_JUMP, [](PageStores& s) { s.configA.lambdaType = 1, s.configB.tpsJump = 250; },
         0},
        {IDC_OPT_TPS_JUMP, [](PageStores& s) { s.configA.lambdaType = 1, s.configB.tpsJump = 0; },
         50},
        {IDC_OPT_TPS_JUMP, [](PageStores& s) { s.configA.lambdaType = 1, s.configB.tpsJump = 251; },
         0},
        {IDC_OPT_TPS_JUMP, [](PageStores& s) { s.configA.lambdaType = 1, s.configB.tpsJump = 255; },
         NoItem},
        // speeds: 6000 -> 2500, below the first item -> the first, 1875 -> 8000
        {IDC_OPT_CUT_OFF_SPEED,
         [](PageStores& s) { s.configB.cutOffRpmHi = 0x17, s.configB.cutOffRpmLo = 0x70; }, 15},
        {IDC_OPT_CUT_OFF_SPEED,
         [](PageStores& s) { s.configB.cutOffRpmHi = 0xFF, s.configB.cutOffRpmLo = 0xFF; }, 0},
        {IDC_OPT_CUT_OFF_SPEED,
         [](PageStores& s) { s.configB.cutOffRpmHi = 0x0E, s.configB.cutOffRpmLo = 0xA6; }, NoItem},
        {IDC_OPT_SWITCH_OFF_SPEED,
         [](PageStores& s) { s.configB.lpgOffRpmHi = 0x07, s.configB.lpgOffRpmLo = 0x53; }, 40},
        {IDC_OPT_SWITCH_OFF_SPEED,
         [](PageStores& s) { s.configB.lpgOffRpmHi = 0x17, s.configB.lpgOffRpmLo = 0x70; }, 0},
        {IDC_OPT_CUT_OFF_STEP, [](PageStores& s) { s.configB.cutOffSteps = 1; }, 0},
        {IDC_OPT_CUT_OFF_STEP, [](PageStores& s) { s.configB.cutOffSteps = 100; }, 49},
        {IDC_OPT_CUT_OFF_STEP, [](PageStores& s) { s.configB.cutOffSteps = 255; }, NoItem},
        // temperature: raw 67 reads 0 degrees and shows 10; raw 208 is 60
        {IDC_OPT_MIN_TEMPERATURE, [](PageStores& s) { s.configA.lpgOnTemp = 67; }, 0},
        {IDC_OPT_MIN_TEMPERATURE, [](PageStores& s) { s.configA.lpgOnTemp = 145; }, 10},
        {IDC_OPT_MIN_TEMPERATURE, [](PageStores& s) { s.configA.lpgOnTemp = 208; }, 25},
        {IDC_OPT_MIN_TEMPERATURE, [](PageStores& s) { s.configA.lpgOnTemp = 230; }, NoItem},
        {IDC_OPT_MODE, [](PageStores& s) { s.configA.emulType = 0xAF; }, 2},
        {IDC_OPT_MODE, [](PageStores& s) { s.configA.emulType = 0x30; }, NoItem},
    };
    for (const Case& c : cases) {
        PageStores s = connected(1);
        c.set(s);
        EXPECT_EQ(c.index, selected(optionsRefreshView(s, 256), c.control)) << c.control;
    }
}

}  // namespace
