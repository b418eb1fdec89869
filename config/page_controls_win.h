// What the configuration and options pages' dialog procedures share: the
// procedure itself (poll timer, tick), filling lists, setting texts and
// applying a refresh.
#ifndef ZUVELS_CONFIG_PAGE_CONTROLS_WIN_H
#define ZUVELS_CONFIG_PAGE_CONTROLS_WIN_H

#include <windows.h>

#include "config/config_page.h"
#include "config/page_view.h"
#include "shell/dialog_win.h"

void fillList(HWND page, int control, ListKind kind);
void fillPageLists(HWND page, const PageList* lists, int n);
void applyControlTexts(HWND page, const ControlText* texts, int n);
void applyView(HWND page, const PageView& view);

// What one page does on its own: its poll tick, its refresh after a tick
// that polled, and its commands.
struct PageHandlers {
    TickOutcome (*tick)();
    void (*refresh)(HWND page);
    void (*command)(HWND page, int control, int notification);
};
// The pages' dialog procedure: the dialog manager paints the controls (the
// shell arms the poll timer when it creates the page); a tick runs the
// page's tick, refreshes when it polled and re-arms when the interval
// changed.
INT_PTR pageProc(HWND page, UINT msg, WPARAM wp, const PageHandlers& handlers);
// One tick of the poll timer: the page's tick, a refresh when it polled, a
// re-arm when the interval changed.
void pageTick(HWND page, const PageHandlers& handlers);

// A list's notification: keeps dropDownOpen in step; true for a new selection.
bool listSelectionChanged(int notification);
int listSelection(HWND page, int control);
bool boxChecked(HWND page, int control);

#endif
