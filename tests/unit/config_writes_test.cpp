// The bytes each control of the configuration and options pages sends, and
// when it sends nothing.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_page.h"
#include "config/options_page.h"
#include "config/page_view.h"
#include "res/resource.h"

namespace {

// Writes as "address=value" pairs, readable in a failure message.
std::string text(const WritePlan& p) {
    if (p.withheld) return "withheld";
    std::string s;
    for (int i = 0; i < p.count; ++i) {
        if (i) s += " ";
        s += std::to_string(p.writes[i].address) + "=" + std::to_string(p.writes[i].value);
    }
    return s;
}

// A controller that answers, with the bit-field bytes given.
PageStores stores(int generation, uint8_t options, uint8_t lambdaType, uint8_t emulType) {
    PageStores s = {};
    s.generation = generation;
    s.linkUp = true;
    s.configAValid = true;
    s.configA.options = options;
    s.configA.lambdaType = lambdaType;
    s.configA.emulType = emulType;
    return s;
}

struct ListCase {
    int control, k;
    uint8_t options, lambdaType, emulType;
    const char* writes;
};

TEST(ConfigWrites, EveryListOfTheConfigurationPage) {
    neutralListType = 0;
    const ListCase cases[] = {
        // probe type: the high nibble with the sensor type kept, then the preset point
        {IDC_CFG_PROBE_TYPE, 5, 0, 0x16, 0, "6=86 7=60"},
        {IDC_CFG_PROBE_TYPE, 0, 0, 0x58, 0, "6=8 7=22"},
        {IDC_CFG_PROBE_TYPE, 3, 0, 0x01, 0, "6=49 7=127"},
        {IDC_CFG_NEUTRAL_POINT, 2, 0, 0, 0, "7=22"},
        {IDC_CFG_READING_DELAY, 0, 0, 0, 0, "8=1"},
        {IDC_CFG_READING_DELAY, 254, 0, 0, 0, "8=255"},
        // emulation type: bits 0-1, the rest sent back as read
        {IDC_CFG_EMULATION_TYPE, 2, 0, 0, 0x8D, "9=142"},
        {IDC_CFG_EMULATION_TYPE, 0, 0, 0, 0xFF, "9=252"},
        {IDC_CFG_HIGH_TIME, 3, 0, 0, 0, "10=4"},
        {IDC_CFG_LOW_TIME, 254, 0, 0, 0, "11=255"},
        {IDC_CFG_IGNITION_TYPE, 17, 0, 0, 0, "23=18"},
        // switch-over speed as a period, low byte first: 10000, 7500, 4285
        {IDC_CFG_SWITCH_SPEED, 0, 0, 0, 0, "21=16 22=39"},
        {IDC_CFG_SWITCH_SPEED, 5, 0, 0, 0, "21=76 22=29"},
        {IDC_CFG_SWITCH_SPEED, 20, 0, 0, 0, "21=189 22=16"},
        {IDC_CFG_SWITCH_DIRECTION, 1, 0x8B, 0, 0, "5=155"},
        {IDC_CFG_SWITCH_DIRECTION, 0, 0xFF, 0, 0, "5=239"},
        // TPS type: the low nibble by code, the probe type kept
        {IDC_CFG_TPS_TYPE, 3, 0, 0x51, 0, "6=86"},
        {IDC_CFG_TPS_TYPE, 4, 0, 0x20, 0, "6=39"},
        {IDC_CFG_TPS_TYPE, 5, 0, 0x3F, 0, "6=56"},
        {IDC_CFG_TPS_INERT, 18, 0, 0, 0, "29=19"},
        {IDC_CFG_OVERLAP, 49, 0, 0, 0, "14=50"},
        {IDC_CFG_VALVE_OPENING, 0, 0, 0, 0, "37=1"},
        // outside the list: nothing
        {IDC_CFG_PROBE_TYPE, 6, 0, 0, 0, "withheld"},
        {IDC_CFG_IGNITION_TYPE, -1, 0, 0, 0, "withheld"},
    };
    for (const ListCase& c : cases)
        EXPECT_EQ(c.writes, text(configListChange(c.control, c.k,
                                                  stores(1, c.options, c.lambdaType, c.emulType))))
            << c.control << " index " << c.k;
}

TEST(ConfigWrites, NeutralPointIsWrittenForTheTypeTheListWasBuiltFor) {
    const PageStores s = stores(1, 0, 0x00, 0);  // the stored type doesn't decide
    const struct {
        int listType, k;
        const char* writes;
    } cases[] = {
        {0, 0, "7=20"}, {0, 10, "7=30"}, {5, 10, "7=60"}, {2, 27, "7=127"}, {4, 50, "7=150"}};
    for (const auto& c : cases) {
        neutralListType = c.listType;
        EXPECT_EQ(c.writes, text(configListChange(IDC_CFG_NEUTRAL_POINT, c.k, s))) << c.listType;
    }
    neutralListType = 0;
}

TEST(ConfigWrites, OnlyTheConstructedEmulationOpensItsDialogWrittenOrNot) {
    PageStores notRead = stores(3, 0, 0, 0x02);
    notRead.configAValid = false;
    PageStores down = stores(3, 0, 0, 0x02);
    down.linkUp = false;
    const struct {
        const char* what;
        PageStores s;
        const char* writes;
    } cases[] = {
        {"answering", stores(3, 0, 0, 0x02), "9=0"},
        {"configuration not read", notRead, "withheld"},
        {"link down", down, "withheld"},
    };
    for (const auto& c : cases) {
        const WritePlan constructed = configListChange(IDC_CFG_EMULATION_TYPE, 0, c.s);
        EXPECT_EQ(c.writes, text(constructed)) << c.what;
        EXPECT_EQ(AfterWrite::LambdaEmulationDialog, constructed.after) << c.what;
        for (int k : {1, 2, -1, 3})
            EXPECT_EQ(AfterWrite::Nothing, configListChange(IDC_CFG_EMULATION_TYPE, k, c.s).after)
                << c.what << " index " << k;
    }
}

TEST(ConfigWrites, CheckBoxesWriteTheirBitOnGeneration3Only) {
    const struct {
        int generation, control;
        bool checked;
        uint8_t emulType;
        const char* writes;
    } cases[] = {
        {3, IDC_CFG_LOW_SIGNAL, true, 0x81, "9=133"},
        {3, IDC_CFG_LOW_SIGNAL, false, 0x8F, "9=139"},
        {3, IDC_CFG_EMERGENCY_START, true, 0x01, "9=9"},
        {3, IDC_CFG_EMERGENCY_START, false, 0x0F, "9=7"},
        {1, IDC_CFG_LOW_SIGNAL, true, 0x00, "withheld"},
        {1, IDC_CFG_EMERGENCY_START, true, 0x00, "withheld"},
        {2, IDC_CFG_EMERGENCY_START, false, 0x08, "withheld"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.writes, text(configBoxClick(c.control, c.checked,
                                                stores(c.generation, 0, 0, c.emulType))))
            << c.control << " generation " << c.generation;
}

TEST(ConfigWrites, EveryListOfTheOptionsPage) {
    const ListCase cases[] = {
        {IDC_OPT_START_POSITION, 200, 0, 0, 0, "18=200"},
        {IDC_OPT_IDLE_LOWER, 255, 0, 0, 0, "32=255"},
        {IDC_OPT_IDLE_UPPER, 7, 0, 0, 0, "31=7"},
        {IDC_OPT_LOAD_LOWER, 0, 0, 0, 0, "17=0"},
        {IDC_OPT_LOAD_UPPER, 40, 0, 0, 0, "16=40"},
        // TPS jump: 5 units a step, stored as 250 - v for sensor code 1
        {IDC_OPT_TPS_JUMP, 10, 0, 0x50, 0, "19=50"},
        {IDC_OPT_TPS_JUMP, 0, 0, 0x51, 0, "19=250"},
        {IDC_OPT_TPS_JUMP, 50, 0, 0x51, 0, "19=0"},
        // cut-off 1000 and 2500 rpm, gas off 4000 and 8000 rpm, low byte first
        {IDC_OPT_CUT_OFF_SPEED, 0, 0, 0, 0, "24=152 25=58"},
        {IDC_OPT_CUT_OFF_SPEED, 15, 0, 0, 0, "24=112 25=23"},
        {IDC_OPT_SWITCH_OFF_SPEED, 0, 0, 0, 0, "27=166 28=14"},
        {IDC_OPT_SWITCH_OFF_SPEED, 40, 0, 0, 0, "27=83 28=7"},
        {IDC_OPT_CUT_OFF_STEP, 0, 0, 0, 0, "26=2"},
        {IDC_OPT_CUT_OFF_STEP, 49, 0, 0, 0, "26=100"},
        // temperature by the inverse rule: 10, 20, 30, 40, 50, 52 and 60 degrees
        {IDC_OPT_MIN_TEMPERATURE, 0, 0, 0, 0, "15=94"},
        {IDC_OPT_MIN_TEMPERATURE, 5, 0, 0, 0, "15=120"},
        {IDC_OPT_MIN_TEMPERATURE, 10, 0, 0, 0, "15=145"},
        {IDC_OPT_MIN_TEMPERATURE, 15, 0, 0, 0, "15=171"},
        {IDC_OPT_MIN_TEMPERATURE, 20, 0, 0, 0, "15=197"},
        {IDC_OPT_MIN_TEMPERATURE, 21, 0, 0, 0, "15=201"},
        {IDC_OPT_MIN_TEMPERATURE, 25, 0, 0, 0, "15=208"},
        // mode: bits 4-5 of the emulation byte
        {IDC_OPT_MODE, 2, 0, 0, 0x8F, "9=175"},
        {IDC_OPT_MODE, 0, 0, 0, 0xFF, "9=207"},
        {IDC_OPT_MIN_TEMPERATURE, 26, 0, 0, 0, "withheld"},
    };
    for (const ListCase& c : cases)
        EXPECT_EQ(c.writes, text(optionsListChange(c.control, c.k,
                                                   stores(1, c.options, c.lambdaType, c.emulType))))
            << c.control << " index " << c.k;
}

TEST(ConfigWrites, JumpListWritesByGeneration) {
    const struct {
        int generation, k;
        const char* writes;
    } cases[] = {{1, 0, "20=0"},    {1, 255, "20=255"},  {3, 0, "20=2"},
                 {3, 49, "20=100"}, {3, 50, "withheld"}, {3, 255, "withheld"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.writes,
                  text(optionsListChange(IDC_OPT_JUMP, c.k, stores(c.generation, 0, 0, 0))))
            << "generation " << c.generation << " index " << c.k;
}

TEST(ConfigWrites, OptionsCheckBoxesSetTheirBitAndKeepTheOthers) {
    const struct {
        int control;
        bool checked;
        uint8_t options;
        const char* writes;
    } cases[] = {
        // the start-position box shows the inverse of its bit
        {IDC_OPT_START_POSITION_BOX, true, 0xFF, "5=251"},
        {IDC_OPT_START_POSITION_BOX, false, 0x00, "5=4"},
        {IDC_OPT_JUMP_BOX, true, 0x00, "5=8"},
        {IDC_OPT_JUMP_BOX, false, 0xFF, "5=247"},
        {IDC_OPT_CUT_OFF_BOX, true, 0x81, "5=161"},
        {IDC_OPT_CUT_OFF_BOX, false, 0xFF, "5=223"},
        {IDC_OPT_SWITCH_OFF_BOX, true, 0x01, "5=65"},
        {IDC_OPT_SWITCH_OFF_BOX, false, 0xFF, "5=191"},
        {IDC_OPT_MIN_TEMPERATURE_BOX, true, 0x80, "5=130"},
        {IDC_OPT_MIN_TEMPERATURE_BOX, false, 0xFF, "5=253"},
    };
    for (const auto& c : cases)
        for (int generation : {1, 2, 3})  // no generation rule on this page
            EXPECT_EQ(c.writes, text(optionsBoxClick(c.control, c.checked,
                                                     stores(generation, c.options, 0, 0))))
                << c.control << " generation " << generation;
}

// ---- no write built from bytes the program doesn't have ----

struct Change {
    bool options;  // page: options (true) or configuration
    bool box;
    int control, k;
};

WritePlan apply(const Change& c, const PageStores& s) {
    if (c.options)
        return c.box ? optionsBoxClick(c.control, c.k != 0, s)
                     : optionsListChange(c.control, c.k, s);
    return c.box ? configBoxClick(c.control, c.k != 0, s) : configListChange(c.control, c.k, s);
}

// Every control whose write is built from the stored ConfigA.
const Change FromConfigA[] = {
    {false, false, IDC_CFG_PROBE_TYPE, 1},        {false, false, IDC_CFG_EMULATION_TYPE, 0},
    {false, false, IDC_CFG_SWITCH_DIRECTION, 1},  {false, false, IDC_CFG_TPS_TYPE, 2},
    {false, true, IDC_CFG_LOW_SIGNAL, 1},         {false, true, IDC_CFG_EMERGENCY_START, 0},
    {true, false, IDC_OPT_TPS_JUMP, 3},           {true, false, IDC_OPT_MODE, 1},
    {true, true, IDC_OPT_START_POSITION_BOX, 1},  {true, true, IDC_OPT_JUMP_BOX, 1},
    {true, true, IDC_OPT_CUT_OFF_BOX, 0},         {true, true, IDC_OPT_SWITCH_OFF_BOX, 1},
    {true, true, IDC_OPT_MIN_TEMPERATURE_BOX, 0},
};
// Controls whose value depends on no stored byte.
const Change Plain[] = {
    {false, false, IDC_CFG_NEUTRAL_POINT, 1}, {false, false, IDC_CFG_READING_DELAY, 3},
    {false, false, IDC_CFG_SWITCH_SPEED, 2},  {false, false, IDC_CFG_VALVE_OPENING, 4},
    {true, false, IDC_OPT_START_POSITION, 9}, {true, false, IDC_OPT_JUMP, 9},
    {true, false, IDC_OPT_CUT_OFF_SPEED, 2},  {true, false, IDC_OPT_MIN_TEMPERATURE, 3},
};

TEST(ConfigWrites, NothingBuiltFromAConfigurationNotReadSinceTheLinkCameUp) {
    PageStores s = stores(3, 0x5A, 0x12, 0x8C);
    s.configAValid = false;
    for (const Change& c : FromConfigA) EXPECT_TRUE(apply(c, s).withheld) << c.control;
    // Writes that take nothing from the store still go out.
    for (const Change& c : Plain) EXPECT_FALSE(apply(c, s).withheld) << c.control;
    s.configAValid = true;
    for (const Change& c : FromConfigA) EXPECT_FALSE(apply(c, s).withheld) << c.control;
}

TEST(ConfigWrites, NothingWhileTheLinkIsDown) {
    PageStores s = stores(1, 0, 0, 0);  // the zeroed stores decode as generation 1
    s.linkUp = false;
    for (const Change& c : FromConfigA) EXPECT_TRUE(apply(c, s).withheld) << c.control;
    for (const Change& c : Plain) EXPECT_TRUE(apply(c, s).withheld) << c.control;
}

}  // namespace
