// Entry point: picks the serial backend (the real ports, the simulated
// controller in demo mode or a recorded drive), then runs the main window.
#include <string>
#include <windows.h>

#include "link/link.h"
#include "shell/crash_report_win.h"
#include "shell/shell_win.h"
#include "shell/start_options.h"
#include "shell/text_win.h"

#ifdef ZUVELS_TEST_HOOKS
namespace {

// Only in the test build (ZuvelS_hooks.exe): ZUVELS_TEST_CRASH set makes the
// program fail once its window is up, for the crash report test.
void crashWhenAsked() {
    if (GetEnvironmentVariableA("ZUVELS_TEST_CRASH", nullptr, 0) == 0) return;
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

}  // namespace
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    installCrashReport();
    std::string error;
    if (!useStartBackend(readStartOptions(commandLine ? commandLine : ""), &win32PortOps, &error)) {
        // No language is loaded yet: the reason as the file reader gave it.
        showMessageBox(nullptr, systemText(error.c_str()).c_str(), L"I/O Error",
                       MB_OK | MB_ICONERROR);
        return 1;
    }
    if (!createMainWindow(instance, showCommand)) return 0;
#ifdef ZUVELS_TEST_HOOKS
    crashWhenAsked();
#endif
    return runMessageLoop();
}
