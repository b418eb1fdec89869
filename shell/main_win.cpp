// Entry point: picks the serial backend (the real ports, or the simulated
// controller in demo mode), then runs the main window.
#include <cstring>
#include <windows.h>

#include "link/link.h"
#include "service/dialogs_win.h"
#include "shell/crash_report_win.h"
#include "shell/shell_win.h"
#include "sim/sim.h"

namespace {

bool endsWord(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '"'; }

// "--demo" runs against a generation-3 simulated controller, "--demo=1"
// against a generation-1 one; 0 means the real ports.
int demoGeneration(const char* commandLine) {
    const char* p = commandLine;
    while ((p = strstr(p, "--demo")) != nullptr) {
        const bool wordStart = p == commandLine || p[-1] == ' ' || p[-1] == '\t' || p[-1] == '"';
        const char* rest = p + 6;
        if (wordStart) {
            if (endsWord(*rest)) return 3;
            if (rest[0] == '=' && (rest[1] == '1' || rest[1] == '3') && endsWord(rest[2]))
                return rest[1] - '0';
        }
        p = rest;
    }
    return 0;
}

#ifdef ZUVELS_TEST_HOOKS
// Only in the test build (ZuvelS_hooks.exe): ZUVELS_TEST_CRASH set makes the
// program fail once its window is up, for the crash report test.
void crashWhenAsked() {
    if (GetEnvironmentVariableA("ZUVELS_TEST_CRASH", nullptr, 0) == 0) return;
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    installCrashReport(programVersionText().c_str());
    const int demo = demoGeneration(commandLine ? commandLine : "");
    if (demo) {
        SimConfig config;
        config.generation = demo;
        simPortUseRealTime(true);
        simPortSetup(config);
        LinkPort = &simPortOps;
    } else {
        LinkPort = &win32PortOps;
    }

    if (!createMainWindow(instance, showCommand)) return 0;
#ifdef ZUVELS_TEST_HOOKS
    crashWhenAsked();
#endif
    return runMessageLoop();
}
