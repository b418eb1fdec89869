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
#include "tests/unit/sim_link_fixture.h"

namespace {

using simframes::takeCommands;

class PageTicks : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        start(3);
        clearFlags();
    }
    void TearDown() override {
        clearFlags();
        SimLinkTest::TearDown();
    }
    static void clearFlags() { clearPauseFlags(); }
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
        void (*set)(bool);
        TickOutcome config, options;
    };
    const Case cases[] = {
        {setServiceDialogOpen, TickOutcome::Suspended, TickOutcome::Suspended},
        {setDropDownOpen, TickOutcome::Paused, TickOutcome::Paused},
        // A page's own dialog: the configuration page still checks its
        // interval, the options page does nothing at all.
        {setConfigDialogOpen, TickOutcome::Paused, TickOutcome::Polled},
        {setOptionsDialogOpen, TickOutcome::Polled, TickOutcome::Suspended},
    };
    for (const Case& c : cases) {
        c.set(true);
        EXPECT_EQ(c.config, configPageTick());
        EXPECT_EQ(c.config == TickOutcome::Polled, !takeCommands().empty());
        EXPECT_EQ(c.options, optionsPageTick());
        EXPECT_EQ(c.options == TickOutcome::Polled, !takeCommands().empty());
        c.set(false);
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
