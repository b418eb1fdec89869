// The modal dialogs the main window's menu opens, one line each, as the
// pages are in shell/page_list.h:
//   X(menu command, marks a service dialog open, show function)
// The show function runs the dialog modally with the current page as owner
// and is defined in the dialog's folder (service/dialogs_win.h). A dialog
// marked here has serviceDialogOpen set before it opens; the others set it
// themselves. Each clears it when it closes.
#ifndef ZUVELS_SHELL_MENU_DIALOGS_WIN_H
#define ZUVELS_SHELL_MENU_DIALOGS_WIN_H

#include <windows.h>

#include "res/resource.h"

// clang-format off
#define ZUVELS_MENU_DIALOGS(X)                          \
    X(IDM_ABOUT,       1, showAboutDialog)              \
    X(IDM_DEVICE_INFO, 1, showDeviceInfoDialog)         \
    X(IDM_AUTO_SCAN,   0, showPortSearchDialog)     \
    X(IDM_NETWORK,     0, showNetworkDialog)
// clang-format on

// Opens the menu dialog of command over owner; false when command is none.
bool openMenuDialog(int command, HWND owner);

#endif
