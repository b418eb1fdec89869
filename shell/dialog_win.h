// What the pages' and dialogs' procedures share: the poll timer, the paint
// that draws through one function on a DC, and how modal dialogs are placed
// and run.
#ifndef ZUVELS_SHELL_DIALOG_WIN_H
#define ZUVELS_SHELL_DIALOG_WIN_H

#include <string>
#include <windows.h>

// Pages poll on timer 1; a modal dialog over a page polls on a timer of its own.
enum { PagePollTimerId = 1 };

// (Re)starts timer id with PollInterval, replacing a running one, and records
// the interval in armedInterval.
void armPollTimer(HWND window, UINT_PTR id);

// What a window draws of itself, on whatever DC it is given: its paint DC,
// or the DC of whoever asked it to print itself. Reads the window's view,
// changes nothing.
using PaintContent = void (*)(HWND window, HDC dc);
// WM_PAINT (between BeginPaint and EndPaint, on the paint DC) and
// WM_PRINTCLIENT (on the DC it brings) both run content; true when msg was
// one of them, so a dialog procedure returns it as handled.
bool paintMessage(HWND window, UINT msg, WPARAM wp, PaintContent content);

// Moves a dialog, keeping its size and z-order, to the middle of the screen
// the shell last recorded.
void centreOnRecordedScreen(HWND dialog);

// Runs a dialog modally over owner and returns its result. The flag that
// keeps polling off while the dialog is open (set through setPaused) is
// cleared when the template fails to load, so a dialog that never showed
// can't leave the pages suspended.
INT_PTR runModalDialog(HWND owner, int templateId, DLGPROC proc, void (*setPaused)(bool));

// The system's open or save dialog (filter: pairs of description and
// pattern, then the double terminator); false when the fitter cancels. The
// chosen name comes back as UTF-8, as the program's file calls take it; a
// name with no UTF-8 form (a lone surrogate) comes back empty.
bool askFileName(HWND owner, bool save, const wchar_t* title, const wchar_t* filter,
                 const wchar_t* defaultExt, DWORD flags, std::string* chosen);

#endif
