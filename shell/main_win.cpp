// Entry point: picks the serial backend (the real ports, the simulated
// controller in demo mode or a recorded drive), then runs the main window.
#include <string>
#include <windows.h>

#include "link/link.h"
#include "link/wide_path_win.h"
#include "shell/crash_report_win.h"
#include "shell/shell_win.h"
#include "shell/start_options.h"
#include "shell/text_win.h"

#ifdef ZUVELS_TEST_HOOKS
namespace {

// Only in the test build (ZuvelS_hooks.exe): ZUVELS_TEST_CRASH set makes the
// program fail once its window is up, for the crash report test.
void crashWhenAsked() {
    if (GetEnvironmentVariableW(L"ZUVELS_TEST_CRASH", nullptr, 0) == 0) return;
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

}  // namespace
#endif

// Wide, so a recording's name (--replay) reaches the program whole.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    installCrashReport();
    std::string error;
    const std::string options = utf8Path(commandLine ? commandLine : L"");
    if (!useStartBackend(readStartOptions(options.c_str()), &win32PortOps, &error)) {
        // No language is loaded yet: the reason as the file reader gave it.
        showMessageBox(nullptr, utf8Text(error.c_str()).c_str(), L"I/O Error",
                       MB_OK | MB_ICONERROR);
        return 1;
    }
    if (!createMainWindow(instance, showCommand)) return 0;
#ifdef ZUVELS_TEST_HOOKS
    crashWhenAsked();
#endif
    return runMessageLoop();
}
