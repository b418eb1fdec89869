// Small helpers for the Windows tools, benchmarks and tests that run the
// program's windows in-process under Wine.
#ifndef ZUVELS_TOOLS_WIN_RUN_H
#define ZUVELS_TOOLS_WIN_RUN_H

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/wide_path_win.h"

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

// GDI objects of this process. Windows counts them with GetGuiResources;
// Wine answers 0 there, so the count is read off Wine's handle table
// instead: whatever can't be created any more is in use. The table size is
// Wine's (64 Ki entries less 32 reserved); differences between two counts
// are exact whatever the size. For leak tests only: it makes and frees some
// 65000 pens.
inline long gdiObjectCount() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted) return static_cast<long>(counted);
    const long TableSize = 65536 - 32;
    static HPEN pens[65536];
    long made = 0;
    while (made < TableSize) {
        pens[made] = CreatePen(PS_SOLID, 1, RGB(made & 0xFF, 0, 0));
        if (!pens[made]) break;
        ++made;
    }
    for (long i = 0; i < made; ++i) DeleteObject(pens[i]);
    return TableSize - made;
}

inline BOOL CALLBACK findShownDialog(HWND w, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (!IsWindowVisible(w) || strcmp(cls, "#32770") != 0 || !GetWindow(w, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

// The modal dialog this thread shows now (an owned dialog; pages are
// children), or null. A modal dialog shows once its loop first finds the
// queue empty, so a timer that looks for it may have to look again.
inline HWND modalDialog() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findShownDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

// Every dialog this thread has, shown or not, is asked to close: what is
// left of a dialog that never showed, so no modal loop outlives its helper.
inline BOOL CALLBACK cancelThreadDialog(HWND w, LPARAM) {
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !GetWindow(w, GW_OWNER)) return TRUE;
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageA(w, WM_CLOSE, 0, 0);
    return TRUE;
}

// One modal dialog awaited at a time: timer callbacks carry no context.
struct ModalWatch {
    std::function<void(HWND)> onShown;
    DWORD started, deadlineMs;
    bool shown, gaveUp;
    UINT_PTR timer;
};
inline ModalWatch*& activeModalWatch() {
    static ModalWatch* watch = nullptr;
    return watch;
}

inline void CALLBACK lookForModal(HWND, UINT, UINT_PTR timer, DWORD) {
    ModalWatch* w = activeModalWatch();
    if (!w || w->timer != timer) return;  // an outer watch waits for its own dialog
    if (w->shown || w->gaveUp) return;
    if (HWND dialog = modalDialog()) {
        KillTimer(nullptr, timer);
        w->shown = true;
        w->onShown(dialog);
    } else if (GetTickCount() - w->started >= w->deadlineMs) {
        KillTimer(nullptr, timer);
        w->gaveUp = true;
        EnumThreadWindows(GetCurrentThreadId(), cancelThreadDialog, 0);
    }
}

// Calls open(), which runs a modal dialog, and hands that dialog to onShown
// from inside its loop; onShown must close it. A modal dialog shows only once
// its loop first finds the queue empty, so it is looked for every 20 ms
// until deadlineMs; then whatever dialog there is gets cancelled. True when
// the dialog showed.
inline bool whileModal(const std::function<void()>& open, const std::function<void(HWND)>& onShown,
                       DWORD deadlineMs = 10000) {
    ModalWatch watch{onShown, GetTickCount(), deadlineMs, false, false, 0};
    ModalWatch* outer = activeModalWatch();
    activeModalWatch() = &watch;
    watch.timer = SetTimer(nullptr, 0, 20, lookForModal);
    open();
    KillTimer(nullptr, watch.timer);
    activeModalWatch() = outer;
    return watch.shown;
}

// Closes a dialog the way its Cancel button would.
inline void cancelDialog(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// A Unix path as Wine shows it: the Unix root is drive Z:.
inline std::string wineDrivePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// One line of lpgsim's frame log: when (ms), '>' for what it received or '<'
// for what it sent, and the bytes.
struct LoggedFrame {
    unsigned long ms;
    char direction;
    std::vector<uint8_t> bytes;
};

// lpgsim's frame log, given by its Unix path; empty when it can't be read.
inline std::vector<LoggedFrame> readFrameLog(const std::string& unixPath) {
    std::vector<LoggedFrame> frames;
    FILE* f = openFile(wineDrivePath(unixPath).c_str(), "r");
    if (!f) return frames;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        LoggedFrame fr{0, 0, {}};
        int used = 0;
        if (std::sscanf(line, "%lu %c%n", &fr.ms, &fr.direction, &used) != 2) continue;
        const char* p = line + used;
        unsigned byte;
        int n;
        while (std::sscanf(p, "%2x%n", &byte, &n) == 1) {
            fr.bytes.push_back(static_cast<uint8_t>(byte));
            p += n;
        }
        frames.push_back(fr);
    }
    std::fclose(f);
    return frames;
}

#endif
