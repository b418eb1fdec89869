// Main window state that pages and dialogs reach for.
#ifndef ZUVELS_SHELL_SHELL_WIN_H
#define ZUVELS_SHELL_SHELL_WIN_H

#include <string>
#include <windows.h>

#include "shell/seams_win.h"

// The main window's state, in one owner: the shell (and tests setting up a
// case) write it through shellWindow(); everyone else reads the views below
// and beside the functions that change them (shell/pages_win.h,
// shell/language_win.h).
struct ShellWindow {
    HINSTANCE appInstance;
    HWND mainWindow;
    HWND currentPage;     // the one page dialog now shown; null before the first
    unsigned winW, winH;  // outer size of the main window for the shownSize
    // Right and bottom edge of the desktop rectangle when the shell last looked
    // (creation and display changes); the modal dialogs centre on it.
    long lastScreenW, lastScreenH;
    int currentPageTemplate;
    int largestEnabledSize;
    std::string startDirectory;  // UTF-8; empty when unknown
    int portMarkCode;
};
ShellWindow& shellWindow();

extern const HINSTANCE& appInstance;
extern const HWND& mainWindow;
extern const HWND& currentPage;
extern const unsigned &winW, &winH;
extern const long &lastScreenW, &lastScreenH;

// The desktop rectangle comes from shellSeams.desktopRectProvider
// (shell/seams_win.h).

// Registers the class and creates the main window (creation steps run inside).
// Returns the window or null.
HWND createMainWindow(HINSTANCE instance, int showCommand);
// Offers msg to accelerator table 3. Keys pressed anywhere in the main
// window or its page reach the main window procedure. True when translated.
bool translateShellAccelerator(MSG* msg);
// Runs the message loop with accelerator table 3; returns the quit code.
int runMessageLoop();

#endif
