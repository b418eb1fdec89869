// Small helpers for the Windows tools, benchmarks and tests that run the
// program's windows in-process under Wine.
#ifndef ZUVELS_TOOLS_WIN_RUN_H
#define ZUVELS_TOOLS_WIN_RUN_H

#include <windows.h>

#include <string>

// Dispatches messages for ms milliseconds, so timers tick and windows paint.
inline void pumpMessagesFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

// A Unix path as Wine shows it: the Unix root is drive Z:.
inline std::string wineDrivePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

#endif
