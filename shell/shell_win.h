// Main window state that pages and dialogs reach for.
#ifndef ZUVELS_SHELL_SHELL_WIN_H
#define ZUVELS_SHELL_SHELL_WIN_H

#include <windows.h>

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HWND currentPage;     // the one page dialog now shown; null before the first
extern unsigned winW, winH;  // outer size of the main window for the SizeMode
// Right and bottom edge of the desktop rectangle when the shell last looked
// (creation and main-window paints); the modal dialogs centre on it.
extern long lastScreenW, lastScreenH;

// Where the desktop window's rectangle comes from (tests give their own
// screen); starts out as GetWindowRect of the desktop window.
extern void (*desktopRectProvider)(RECT* out);

// Registers the class and creates the main window (creation steps run inside).
// Returns the window or null.
HWND createMainWindow(HINSTANCE instance, int showCommand);
// Offers msg to accelerator table 3. Keys pressed anywhere in the main
// window or its page reach the main window procedure. True when translated.
bool translateShellAccelerator(MSG* msg);
// Runs the message loop with accelerator table 3; returns the quit code.
int runMessageLoop();

#endif
