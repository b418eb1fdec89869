// What the three configuration dialogs share: their poll timer, their place
// on the screen, the drop-down flag and how they close.
#ifndef ZUVELS_CONFIG_CONFIG_DIALOGS_WIN_H
#define ZUVELS_CONFIG_CONFIG_DIALOGS_WIN_H

#include <windows.h>

#include "shell/dialog_win.h"

// Modal dialogs poll on timer 2; the page under them keeps timer 1.
enum { DialogTimerId = 2 };

// (Re)starts timer 2 with PollInterval and records it in armedInterval.
void armDialogTimer(HWND dialog);
// Re-arms timer 2 when the link changed PollInterval since.
void rearmDialogTimerIfChanged(HWND dialog);
// A list notification other than a selection change: a list dropping down
// stops every poll until it closes again.
void noteListNotification(int code);
// Ends the dialog with id, stops its timer and clears its page's flag.
void closeConfigDialog(HWND dialog, int id, void (*setPageFlag)(bool));

// The three dialog procedures (tests create them modeless).
INT_PTR CALLBACK correctionsDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK levelSensorDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK lambdaEmulationDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

#endif
