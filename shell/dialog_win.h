// What the pages' and dialogs' procedures share: the poll timer, the empty
// paint that lets a page be erased at once, and how modal dialogs are placed
// and run.
#ifndef ZUVELS_SHELL_DIALOG_WIN_H
#define ZUVELS_SHELL_DIALOG_WIN_H

#include <windows.h>

// Pages poll on timer 1; a modal dialog over a page polls on a timer of its own.
enum { PagePollTimerId = 1 };

// (Re)starts timer id with PollInterval, replacing a running one, and records
// the interval in armedInterval.
void armPollTimer(HWND window, UINT_PTR id);

// Begins and ends a paint at once: the dialog erases its background now and
// the update region is left empty.
void emptyPaint(HWND window);
// An empty paint, then the page sized to the main window at its own origin.
void paintPageArea(HWND page);

// Moves a dialog, keeping its size and z-order, to the middle of the screen
// the shell last recorded.
void centreOnRecordedScreen(HWND dialog);

// Runs a dialog modally over owner and returns its result. The flag that
// keeps polling off while the dialog is open (set through setPaused) is
// cleared when the template fails to load, so a dialog that never showed
// can't leave the pages suspended.
INT_PTR runModalDialog(HWND owner, int templateId, DLGPROC proc, void (*setPaused)(bool));

// The system's message box, as a plain function: the message box hooks that
// tests swap hold this, since the system's own is stdcall on 32-bit Windows.
int systemMessageBox(HWND owner, const char* text, const char* caption, UINT type);

#endif
