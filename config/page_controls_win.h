// What the configuration and options pages' dialog procedures share: filling
// lists, setting texts, applying a refresh, the poll timer and the page's
// paint.
#ifndef ZUVELS_CONFIG_PAGE_CONTROLS_WIN_H
#define ZUVELS_CONFIG_PAGE_CONTROLS_WIN_H

#include <windows.h>

#include "config/config_page.h"
#include "config/page_view.h"

enum { PagePollTimer = 1 };

void fillList(HWND page, int control, ListKind kind);
void fillPageLists(HWND page, const PageList* lists, int n);
void applyControlTexts(HWND page, const ControlText* texts, int n);
void applyView(HWND page, const PageView& view);

// Paint: (re)arm the poll timer, validate, cover the page area.
void paintPage(HWND page);
// After a tick's refresh (or pause): re-arm when the interval changed.
void checkPollInterval(HWND page);

// A list's notification: keeps dropDownOpen in step; true for a new selection.
bool listSelectionChanged(int notification);
int listSelection(HWND page, int control);
// A list of a page that is gone can't be open: polling must not wait for it.
void pageDestroyed();
bool boxChecked(HWND page, int control);

#endif
