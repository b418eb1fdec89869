// Native tests of the link and the pages' polls against the simulated
// controller behind the in-process port, on the simulator's virtual clock.
#ifndef ZUVELS_TESTS_UNIT_SIM_LINK_FIXTURE_H
#define ZUVELS_TESTS_UNIT_SIM_LINK_FIXTURE_H

#include <gtest/gtest.h>

#include "link/link.h"
#include "sim/sim.h"
#include "tests/sim_frames.h"

class SimLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLinkState();
        useLinkBackend(&simPortOps);
        simPortUseRealTime(false);
    }
    void TearDown() override {
        resetLinkState();
        simPortUseRealTime(true);
    }
    // A controller of this generation, started afresh.
    void start(int generation) {
        SimConfig c;
        c.generation = generation;
        simPortSetup(c);
    }
};

#endif
