// Test runner for the Windows tests: the program-wide set-up the entry point
// would make, with the simulated controller as the serial backend.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "link/link.h"
#include "readings/gauge.h"
#include "shell/fonts_win.h"
#include "shell/palette_win.h"
#include "sim/sim.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    InitCommonControls();
    createPalette();
    buildGaugeTables();
    createDashboardFonts();
    selectDashboardFonts(1, false);
    simPortUseRealTime(false);
    LinkPort = &simPortOps;
    return RUN_ALL_TESTS();
}
