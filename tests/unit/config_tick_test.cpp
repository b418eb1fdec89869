// The poll ticks of the configuration and options pages against the
// simulated controller: which flags pause or suspend them, and what they read.
#include <vector>

#include <gtest/gtest.h>

#include "config/config_page.h"
#include "config/options_page.h"
#include "link/blocks.h"
#include "link/link.h"
#include "shell/app_state.h"
#include "sim/sim.h"

namespace {

// Command bytes of the frames the controller accepted since the last call.
std::vector<int> takeCommands() {
    std::vector<int> commands;
    for (const SimFrame& f : simFrameLog())
        if (f.dir == '>' && f.bytes[0] == 0x65) commands.push_back(f.bytes[1]);
    simClearLog();
    return commands;
}

class PageTicks : public testing::Test {
protected:
    void SetUp() override {
        resetLinkState();
        LinkPort = &simPortOps;
        simPortUseRealTime(false);
        SimConfig c;
        c.generation = 3;
        simPortSetup(c);
        clearFlags();
    }
    void TearDown() override {
        clearFlags();
        resetLinkState();
        simPortUseRealTime(true);
    }
    static void clearFlags() {
        serviceDialogOpen = dropDownOpen = configDialogOpen = optionsDialogOpen = false;
    }
};

TEST_F(PageTicks, EachTickReadsStatusLiveAndBothConfigurationBlocks) {
    for (TickOutcome (*tick)() : {configPageTick, optionsPageTick}) {
        EXPECT_EQ(TickOutcome::Polled, tick());
        EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), takeCommands());
        EXPECT_TRUE(ConfigAValid);
        EXPECT_TRUE(ConfigBValid);
    }
}

TEST_F(PageTicks, FlagsPauseOrSuspendEachPageAsItsOwn) {
    struct Case {
        bool* flag;
        TickOutcome config, options;
    };
    const Case cases[] = {
        {&serviceDialogOpen, TickOutcome::Suspended, TickOutcome::Suspended},
        {&dropDownOpen, TickOutcome::Paused, TickOutcome::Paused},
        // A page's own dialog: the configuration page still checks its
        // interval, the options page does nothing at all.
        {&configDialogOpen, TickOutcome::Paused, TickOutcome::Polled},
        {&optionsDialogOpen, TickOutcome::Polled, TickOutcome::Suspended},
    };
    for (const Case& c : cases) {
        *c.flag = true;
        EXPECT_EQ(c.config, configPageTick());
        EXPECT_EQ(c.config == TickOutcome::Polled, !takeCommands().empty());
        EXPECT_EQ(c.options, optionsPageTick());
        EXPECT_EQ(c.options == TickOutcome::Polled, !takeCommands().empty());
        *c.flag = false;
    }
}

TEST_F(PageTicks, LinkDownReadsOnlyTheStatusAndLeavesTheStoresZero) {
    configPageTick();
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) configPageTick();
    ASSERT_EQ(LinkStateKind::Down, LinkState);
    EXPECT_FALSE(ConfigAValid);
    EXPECT_EQ(0, ConfigA.options);
    takeCommands();
    EXPECT_EQ(TickOutcome::Polled, configPageTick());  // refreshes the zeroed stores
    EXPECT_EQ((std::vector<int>{1}), takeCommands());
}

}  // namespace
