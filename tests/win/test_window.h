// What the Windows tests that host a page or dialog share: a parent window
// of their own, a pump for what is queued, pixels read back, and the modal
// dialog a control opened.
#ifndef ZUVELS_TESTS_WIN_TEST_WINDOW_H
#define ZUVELS_TESTS_WIN_TEST_WINDOW_H

#include <cstring>
#include <windows.h>

#include "tools/win_run.h"

namespace wintest {

inline LRESULT CALLBACK parentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, msg, wp, lp);
}

// A visible top-level window to hold a page or dialog; its background is
// painted white, or not at all.
inline HWND makeParent(int width, int height, bool whiteBackground = false) {
    const char* const className = whiteBackground ? "ZuvelsTestParentWhite" : "ZuvelsTestParent";
    static bool registered[2] = {false, false};
    if (!registered[whiteBackground]) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = parentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        if (whiteBackground) wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&wc);
        registered[whiteBackground] = true;
    }
    return CreateWindowExA(0, className, "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width,
                           height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Dispatches what is queued; the timer ticks of `quiet` are dropped, so that
// only the test ticks it.
inline void pump(HWND quiet = nullptr) {
    MSG msg;
    for (int i = 0; i < 2000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        if (!(quiet && msg.hwnd == quiet && msg.message == WM_TIMER)) DispatchMessageA(&msg);
}

// A pixel of a window as drawn, read back through a DC of its own.
inline COLORREF pixelOf(HWND w, int x, int y) {
    HDC dc = GetDC(w);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

// Moves a page away, has it paint itself and returns its rectangle then,
// relative to the client origin of its parent: a paint that moved nothing
// leaves it at (30, 30), 100 pixels square.
inline RECT rectAfterItsPaint(HWND page, HWND parent) {
    SetWindowPos(page, nullptr, 30, 30, 100, 100, SWP_NOZORDER);
    InvalidateRect(page, nullptr, FALSE);
    UpdateWindow(page);
    RECT r;
    GetWindowRect(page, &r);
    POINT origin = {0, 0};
    ClientToScreen(parent, &origin);
    OffsetRect(&r, -origin.x, -origin.y);
    return r;
}

using ::modalDialog;

}  // namespace wintest

#endif
