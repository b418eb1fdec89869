// The modal service dialogs the main window's menu opens.
#ifndef ZUVELS_SERVICE_DIALOGS_WIN_H
#define ZUVELS_SERVICE_DIALOGS_WIN_H

#include <windows.h>

// Each runs its dialog modally with owner (the current page) and returns the
// dialog's result. The shell sets serviceDialogOpen before the first two; the
// port search dialog sets it itself. Each clears it when it closes.
INT_PTR showAboutDialog(HWND owner);
INT_PTR showDeviceInfoDialog(HWND owner);
INT_PTR showPortSearchDialog(HWND owner);

#endif
