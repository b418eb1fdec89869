// The window on a recorded drive, as ZuvelS.exe --replay FILE opens it: the
// readings page shows what was recorded, tick by tick at the recorded times.
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "readings/dashboard.h"
#include "res/resource.h"
#include "shell/dialog_win.h"
#include "shell/start_options.h"
#include "shell_fixture.h"
#include "sim/replay.h"
#include "sim/sim.h"

namespace {

using shelltest::ShellTest;

// Drives the simulated controller as the readings page does for `ticks`
// ticks 50 ms apart, recording into path; returns each tick's temperature
// byte.
std::vector<int> recordDrive(const std::string& path, int ticks) {
    std::vector<int> temperatures;
    FILE* f = openFile(path.c_str(), "wb");
    if (!f) return temperatures;
    simPortUseRealTime(false);
    simPortSetup(SimConfig());
    recordingStart(&simPortOps, f, "demo", "test");
    useLinkBackend(&recordingPortOps);
    for (int tick = 0; tick < ticks; ++tick) {
        readingsPollTick();
        temperatures.push_back(Live.temperatureRaw);
        simPortAdvanceClock(50);
    }
    fclose(f);
    resetLinkState();
    resetReadingsState();
    // Back to the test runner's own clock (win_main.cpp): a real-time clock
    // left on would move the simulated engine in the tests after this one.
    simPortUseRealTime(false);
    return temperatures;
}

class ReplayWindow : public ShellTest {
protected:
    void TearDown() override {
        // Before the fixture removes the folder it lies in.
        shelltest::removeFile(recording());
        ShellTest::TearDown();
        replayUseRealTime(true);
    }
    std::string recording() const { return dir + "\\drive.rec"; }
};

}  // namespace

TEST_F(ReplayWindow, ReadingsPageShowsTheRecordedDrive) {
    // Long enough for the reducer to warm up, so the values move.
    const std::vector<int> recorded = recordDrive(recording(), 500);
    ASSERT_EQ(recorded.size(), 500u);
    ASSERT_NE(recorded.front(), recorded.back());

    std::string error;
    const StartOptions options = readStartOptions(("--replay \"" + recording() + "\"").c_str());
    ASSERT_TRUE(useStartBackend(options, &win32PortOps, &error)) << error;
    replayUseRealTime(false);
    start();
    KillTimer(currentPage, PagePollTimerId);  // ticked by hand, on the recording's times
    const HWND shown = GetDlgItem(currentPage, IDC_TEMPERATURE_RAW);
    for (int tick = 0; tick < 500; ++tick) {
        SendMessageA(currentPage, WM_TIMER, PagePollTimerId, 0);
        char text[16] = "";
        GetWindowTextA(shown, text, sizeof text);
        ASSERT_EQ(std::to_string(recorded[size_t(tick)]), text) << "tick " << tick;
        replayAdvanceClock(50);
    }
    EXPECT_EQ(LinkState, LinkStateKind::Up);
}
