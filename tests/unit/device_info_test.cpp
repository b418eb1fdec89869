// Device information decisions and writes, against the simulated controller.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "service/device_info.h"
#include "shell/language_entries.h"
#include "sim/sim.h"
#include "tests/sim_frames.h"

using Bytes = std::vector<uint8_t>;

namespace {

// Requests the controller took, reads of blocks 1 and 5 left out.
std::vector<Bytes> writesSeen() {
    std::vector<Bytes> writes;
    for (const SimFrame& f : simFrameLog())
        if (f.dir == '>' && f.bytes[0] == 0x65 && !(f.bytes[1] == f.bytes[2] && f.bytes[1] <= 5))
            writes.push_back(f.bytes);
    return writes;
}

using simframes::writeFrame;

}  // namespace

class DeviceInfo : public ::testing::Test {
protected:
    const PortOps* savedPort = nullptr;

    void SetUp() override {
        savedPort = LinkPort;
        simPortUseRealTime(false);
        useLinkBackend(&simPortOps);
        resetLinkState();
        deviceInfoOpen({2016, 2, 29});
    }
    void TearDown() override {
        resetLinkState();
        simPortUseRealTime(true);
        useLinkBackend(savedPort);
    }

    void connect(int generation, int variant) {
        SimConfig c;
        c.generation = generation;
        c.variant = variant;
        simPortSetup(c);
        deviceInfoTick();
        simClearLog();
    }
};

TEST_F(DeviceInfo, EachTickShowsWhatTheGenerationOffers) {
    const struct {
        int generation, variant;
        bool linkDown;
        InfoMode mode;
        int versionEntry;
        const char* version;
        bool enabled, emptied;
        std::vector<int> commands;
    } cases[] = {
        {3, 2, false, InfoMode::Generation3, -1, "3.02", true, false, {1, 5}},
        {1, 0, false, InfoMode::Generation1, -1, "1.00", false, true, {1}},
        {3, 5, true, InfoMode::LinkDown, EntryNoConnection, "", false, true, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        resetLinkState();
        connect(c.generation, c.variant);
        if (c.linkDown) {
            simSetFault(SimFault::Silent);
            deviceInfoTick();
            deviceInfoTick();
            simClearLog();
        }
        const DeviceInfoView v = deviceInfoTick();
        EXPECT_EQ(v.mode, c.mode);
        EXPECT_EQ(v.versionEntry, c.versionEntry);
        EXPECT_STREQ(v.version, c.version);
        EXPECT_EQ(v.controlsEnabled, c.enabled);
        EXPECT_EQ(v.emptyFields, c.emptied);
        EXPECT_EQ(simframes::commandsReceived(), c.commands);
    }
}

TEST_F(DeviceInfo, GenerationThreeShowsTimeDateAndRegistration) {
    connect(3, 5);
    simState().extended.gasHoursLo = 0x2C;
    simState().extended.gasHoursHi = 0x01;
    simState().extended.gasMinutes = 7;
    const DeviceInfoView v = deviceInfoTick();
    EXPECT_STREQ(v.timeOnGas, "300h7'");
    EXPECT_STREQ(v.date, "2020-05-14");
    EXPECT_STREQ(v.registration, "SIM 001");
    EXPECT_EQ(v.registrationButtonEntry, EntryChange);
    EXPECT_EQ(v.dateButtonEntry, EntryChange);
    EXPECT_FALSE(v.dateListsShown);
    EXPECT_FALSE(v.registrationWritable);
}

TEST_F(DeviceInfo, AnotherGenerationShowsOnlyThatItIsUnsupported) {
    linkForTests().LinkState = LinkStateKind::Up;
    blockStores().Status.identity = 0x20;  // generation 2
    linkForTests().ControllerGeneration = 2;
    const DeviceInfoView v = deviceInfoView();
    EXPECT_EQ(v.mode, InfoMode::Unsupported);
    EXPECT_EQ(v.versionEntry, EntryUnsupportedController);
    EXPECT_FALSE(v.controlsEnabled);
    EXPECT_FALSE(v.emptyFields);
}

TEST_F(DeviceInfo, ArmedEditsKeepTheirFieldsAndOfferSave) {
    connect(3, 5);
    armRegistrationEdit();
    armDateEdit();
    const DeviceInfoView v = deviceInfoTick();
    EXPECT_TRUE(v.registrationWritable);
    EXPECT_STREQ(v.registration, "");  // the user's typing is left alone
    EXPECT_EQ(v.registrationButtonEntry, EntrySave);
    EXPECT_TRUE(v.dateListsShown);
    EXPECT_STREQ(v.date, "");
    EXPECT_EQ(v.dateButtonEntry, EntrySave);
}

TEST_F(DeviceInfo, ArmedEditsAreDroppedWhenTheLinkGoesOrAnotherGenerationAnswers) {
    for (int generation : {0, 1, 2}) {
        SCOPED_TRACE(generation);
        resetLinkState();
        connect(3, 5);
        armRegistrationEdit();
        armDateEdit();
        if (generation == 0) {
            simSetFault(SimFault::Silent);
            for (int i = 0; i < 3; ++i) deviceInfoTick();
        } else {
            linkForTests().LinkState = LinkStateKind::Up;
            blockStores().Status.identity = static_cast<uint8_t>((generation - 1) * 32);
            linkForTests().ControllerGeneration = generation;
            deviceInfoView();
        }
        EXPECT_FALSE(registrationEditing);
        EXPECT_FALSE(dateEditing);
        const DeviceInfoView v = deviceInfoView();
        EXPECT_FALSE(v.dateListsShown);
        EXPECT_EQ(v.registrationButtonEntry, EntryChange);
        EXPECT_EQ(v.dateButtonEntry, EntryChange);
    }
}

TEST_F(DeviceInfo, MonthLengths) {
    const int cases[][3] = {
        {0, 2015, 31}, {1, 2016, 29}, {1, 2017, 28},  {1, 2000, 29},  {1, 16, 29},   {1, 17, 28},
        {2, 2017, 31}, {3, 2017, 30}, {4, 2017, 31},  {5, 2017, 30},  {6, 2017, 31}, {7, 2017, 31},
        {8, 2017, 30}, {9, 2017, 31}, {10, 2017, 30}, {11, 2017, 31},
    };
    for (const auto& c : cases) EXPECT_EQ(monthLength(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST_F(DeviceInfo, ArmingTheDateOffersTodayWithinTheListsYears) {
    const struct {
        CalendarDate today;
        DatePick pick;
        int days;
    } cases[] = {
        {{2016, 2, 29}, {16, 1, 28}, 29},
        {{2017, 2, 28}, {17, 1, 27}, 28},
        {{2015, 12, 31}, {15, 11, 30}, 31},
        {{2100, 6, 15}, {62, 5, 14}, 30},  // past the list: its last year
        {{1999, 4, 30}, {0, 3, 29}, 30},
    };
    for (const auto& c : cases) {
        deviceInfoOpen(c.today);
        const DateArming a = armDateEdit();
        EXPECT_TRUE(dateEditing);
        EXPECT_EQ(a.pick.yearIndex, c.pick.yearIndex) << c.today.year;
        EXPECT_EQ(a.pick.monthIndex, c.pick.monthIndex) << c.today.year;
        EXPECT_EQ(a.pick.dayIndex, c.pick.dayIndex) << c.today.year;
        EXPECT_EQ(a.dayCount, c.days) << c.today.year;
    }
}

TEST_F(DeviceInfo, TheSecondDateClickWritesOnlyADate) {
    const struct {
        DatePick pick;
        bool sent;
    } cases[] = {
        {{15, 11, 30}, true},   // 2015-12-31
        {{16, 1, 28}, true},    // 2016-02-29
        {{17, 1, 28}, false},   // 2017-02-29
        {{-1, 11, 30}, false},  // a list without selection
        {{15, -1, 30}, false}, {{15, 11, -1}, false}, {{63, 0, 0}, false},
    };
    connect(3, 5);
    for (const auto& c : cases) {
        simClearLog();
        armDateEdit();
        EXPECT_EQ(sendDateEdit(c.pick), c.sent);
        EXPECT_FALSE(dateEditing);
        EXPECT_EQ(writesSeen().size(), c.sent ? 2u : 0u);
    }
}

TEST_F(DeviceInfo, TheSecondRegistrationClickSendsSevenCharactersAtMost) {
    connect(3, 5);
    armRegistrationEdit();
    sendRegistrationEdit("ABCDEFGHI");
    EXPECT_FALSE(registrationEditing);
    const std::vector<Bytes> writes = writesSeen();
    ASSERT_EQ(writes.size(), 7u);
    EXPECT_EQ(writes.front(), writeFrame(43, 'A'));
    EXPECT_EQ(writes.back(), writeFrame(49, 'G'));
}
