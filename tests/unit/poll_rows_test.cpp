// What the ticks that take page state send to the simulated controller, in
// every situation a tick meets: the answering generations, a lost or garbled
// link, the pauses and the page's own hold. One table, read tick by tick.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/corrections.h"
#include "config/lambda_emulation.h"
#include "config/level_sensor.h"
#include "link/link.h"
#include "readings/dashboard.h"
#include "scope/scope.h"
#include "service/device_info.h"
#include "service/reset.h"
#include "shell/app_state.h"
#include "sim/sim.h"
#include "tests/unit/sim_link_fixture.h"

namespace {

using simframes::Frame;

// "1".."5" for a block read (1 the status), "w" for a write; a run of
// writes as "w*n", so the restore reads as one token.
std::string takeFrameText() {
    std::string text;
    int writes = 0;
    auto flushWrites = [&] {
        if (writes == 0) return;
        text += writes == 1 ? " w" : " w*" + std::to_string(writes);
        writes = 0;
    };
    for (const Frame& f : simframes::requestsReceived()) {
        bool read = false;
        for (int b = 1; b <= 5; ++b) read = read || f == simframes::readFrame(b);
        if (!read) {
            ++writes;
            continue;
        }
        flushWrites();
        text += " " + std::to_string(f[1]);
    }
    flushWrites();
    simClearLog();
    return text.empty() ? "-" : text.substr(1);
}

struct PageTick {
    const char* name;
    void (*tick)();
};
const PageTick Ticks[] = {
    {"level sensor", [] { levelSensorPollTick(); }},
    {"scope", [] { scopePollTick(); }},
    {"reset press", [] { runFactoryReset(nullptr); }},
    {"readings", [] { readingsPollTick(); }},
    {"lambda emulation", [] { lambdaEmulationPollTick(); }},
    {"corrections", [] { correctionsPollTick(); }},
    {"device information", [] { deviceInfoTick(); }},
};
enum { TickCount = sizeof Ticks / sizeof Ticks[0] };

struct Situation {
    const char* name;
    int generation;
    void (*arrange)();  // after the controller started
    void (*between)();  // after the first tick; may be null
};
void none() {}
const Situation Situations[] = {
    {"generation 3", 3, none, nullptr},
    {"generation 1", 1, none, nullptr},
    // Identity 0x80: generation 5.
    {"unserved generation", 3, [] { simState().status.identity = 0x80; }, nullptr},
    {"link lost", 3, none, [] { simSetFault(SimFault::Silent); }},
    {"garbled status", 3, [] { simSetFault(SimFault::BadSum); }, nullptr},
    {"third request unanswered once", 3, [] { simSetFault(SimFault::Drop, 2); },
     [] { simSetFault(SimFault::None); }},
    {"service dialog", 3, [] { setServiceDialogOpen(true); }, nullptr},
    {"list dropped down", 3, [] { setDropDownOpen(true); }, nullptr},
    {"page holds", 3,
     [] {
         levelSensorState().scrollActive = true;
         scopeState().cursorMode = true;
     },
     nullptr},
    {"link down, then back", 3, [] { simSetFault(SimFault::Silent); },
     [] { simSetFault(SimFault::None); }},
};
enum { SituationCount = sizeof Situations / sizeof Situations[0], TicksRun = 5 };

// What each page sent, tick by tick (" | " between ticks), a line per
// situation in the order above.
// A generation-3 reset: the press's reads, the command, the read-back and
// the restore.
#define PRESS3 "1 2 w 2 3 4 5 w*33"
const char* const Expected[TickCount][SituationCount] = {
    {
        // level sensor
        "1 3 5 | 1 3 5 | 1 3 5 | 1 3 5 | 1 3 5",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 3 5 | 1 | 1 | 1 | 1",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 3 5 | 1 3 5 | 1 3 5 | 1 3 5 | 1 3 5",
        "1 3 5 | 1 3 5 | 1 3 5 | 1 3 5 | 1 3 5",
        "- | - | - | - | -",
        "- | - | - | - | -",
        "1 | 1 3 5 | 1 3 5 | 1 3 5 | 1 3 5",
    },
    {
        // scope
        "1 2 3 | 1 2 | 1 2 | 1 2 | 1 2",
        "1 2 3 | 1 2 | 1 2 | 1 2 | 1 2",
        "1 | 1 | 1 | 1 | 1",
        "1 2 3 | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 2 3 | 1 2 3 | 1 2 | 1 2 | 1 2",
        "- | - | - | - | -",
        "1 2 3 | 1 2 | 1 2 | 1 2 | 1 2",
        "- | - | - | - | -",
        "1 | 1 2 3 | 1 2 | 1 2 | 1 2",
    },
    {
        // reset press
        PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3,
        "1 2 w | 1 2 w | 1 2 w | 1 2 w | 1 2 w",
        "1 2 | 1 2 | 1 2 | 1 2 | 1 2",
        PRESS3 " | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 2 w 2 | " PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3,
        PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3,
        PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3,
        PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3,
        "1 | " PRESS3 " | " PRESS3 " | " PRESS3 " | " PRESS3,
    },
    {
        // readings
        "1 2 | 1 2 | 1 2 | 1 2 3 4 | 1 2",
        "1 2 | 1 2 | 1 2 | 1 2 3 4 | 1 2",
        "1 | 1 | 1 | 1 | 1",
        "1 2 | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 2 | 1 2 | 1 2 | 1 2 3 4 | 1 2",
        "- | - | - | - | -",
        "- | - | - | - | -",
        "1 2 | 1 2 | 1 2 | 1 2 3 4 | 1 2",
        "1 | 1 2 | 1 2 | 1 2 | 1 2 3 4",
    },
    {
        // lambda emulation
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 | 1 | 1 | 1 | 1",
        "1 3 | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "- | - | - | - | -",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 | 1 3 | 1 3 | 1 3 | 1 3",
    },
    {
        // corrections
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 3 | 1 3 | 1 3 | 1 3 | 1 3",
        "1 | 1 | 1 | 1 | 1",
        "1 5 | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "- | - | - | - | -",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 | 1 5 | 1 5 | 1 5 | 1 5",
    },
    {
        // device information
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 5 | 1 | 1 | 1 | 1",
        "1 | 1 | 1 | 1 | 1",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 5 | 1 5 | 1 5 | 1 5 | 1 5",
        "1 | 1 5 | 1 5 | 1 5 | 1 5",
    },
};

class PollRows : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        clear();
    }
    void TearDown() override {
        clear();
        SimLinkTest::TearDown();
    }
    static void clear() {
        clearPauseFlags();
        resetLevelSensorState();
        resetScopeState();
        resetReadingsState();
    }
};

TEST_F(PollRows, EachTickSendsWhatItsPageSent) {
    for (int t = 0; t < TickCount; ++t) {
        for (int s = 0; s < SituationCount; ++s) {
            resetLinkState();
            clear();
            start(Situations[s].generation);
            Situations[s].arrange();
            std::string sent;
            for (int k = 0; k < TicksRun; ++k) {
                Ticks[t].tick();
                sent += (k ? " | " : "") + takeFrameText();
                if (k == 0 && Situations[s].between) Situations[s].between();
            }
            EXPECT_EQ(Expected[t][s], sent) << Ticks[t].name << ", " << Situations[s].name;
        }
    }
}

}  // namespace
