// Test runner for the Windows tests: the program-wide set-up the entry point
// would make, with the simulated controller as the serial backend.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "link/link.h"
#include "readings/gauge.h"
#include "shell/fonts_win.h"
#include "shell/palette_win.h"
#include "sim/sim.h"
#include "watchdog.h"

// Seconds a test may run before the watchdog fails it; scripts/test shortens
// it to check the watchdog itself.
static unsigned testLimitSeconds() {
    const char* s = std::getenv("ZUVELS_TEST_LIMIT_S");
    const long v = s ? std::strtol(s, nullptr, 10) : 0;
    return v > 0 && v < 3600 ? static_cast<unsigned>(v) : 60;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    installWatchdog(testing::UnitTest::GetInstance()->listeners(), testLimitSeconds(), 10);
    InitCommonControls();
    createPalette();
    buildGaugeTables();
    createDashboardFonts();
    selectDashboardFonts(1, false);
    simPortUseRealTime(false);
    useLinkBackend(&simPortOps);
    return RUN_ALL_TESTS();
}
