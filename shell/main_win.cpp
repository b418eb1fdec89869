// Entry point: picks the serial backend (the real ports, the simulated
// controller in demo mode or a recorded drive), then runs the main window.
#include <string>
#include <windows.h>

#include "link/link.h"
#include "shell/shell_win.h"
#include "shell/start_options.h"
#include "shell/text_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    std::string error;
    if (!useStartBackend(readStartOptions(commandLine ? commandLine : ""), &win32PortOps, &error)) {
        // No language is loaded yet: the reason as the file reader gave it.
        showMessageBox(nullptr, systemText(error.c_str()).c_str(), L"I/O Error",
                       MB_OK | MB_ICONERROR);
        return 1;
    }
    if (!createMainWindow(instance, showCommand)) return 0;
    return runMessageLoop();
}
