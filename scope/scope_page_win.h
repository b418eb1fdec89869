// The oscilloscope page as the shell sees it.
#ifndef ZUVELS_SCOPE_SCOPE_PAGE_WIN_H
#define ZUVELS_SCOPE_SCOPE_PAGE_WIN_H

#include <windows.h>

INT_PTR CALLBACK scopePageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

// The page's 20 ms timer ticks at the system timer's granularity, 15.6 ms by
// default, so 31 ms in fact: while the page exists it asks for 1 ms, and
// gives it back when the page goes (every way of leaving it destroys it,
// the program's end too; a process that dies holding it loses it anyway).
// The calls are swappable for tests.
struct TimerResolutionCalls {
    UINT(WINAPI* begin)(UINT ms);
    UINT(WINAPI* end)(UINT ms);
};
// Test seam: the system's timer calls unless a test replaced them.
extern TimerResolutionCalls scopeTimerResolution;
// Clears the sample history and puts every trace point on its baseline
// (start-up, and each time the page is created).
void scopeResetTraces();
// After the shell created the page: trace reset, the configuration read for
// the labels, the controls set and placed, sweep column back to its start.
// The page paints itself when it shows.
void scopePageStart(HWND page);

// One live sample and the values beside the panes, drawn from the stores as
// they are, without an exchange (measurements).
void drawScopeSampleOn(HWND page);

#endif
