// The modal service dialogs the main window's menu opens: About, device
// information, port search and the network port.
#ifndef ZUVELS_SERVICE_DIALOGS_WIN_H
#define ZUVELS_SERVICE_DIALOGS_WIN_H

#include <string>
#include <windows.h>

#include "link/port_enum.h"
#include "shell/dialog_win.h"

// Each runs its dialog modally with owner (the current page) and returns the
// dialog's result. The shell sets serviceDialogOpen before the first two; the
// port search dialog sets it itself. Each clears it when it closes.
INT_PTR showAboutDialog(HWND owner);
INT_PTR showDeviceInfoDialog(HWND owner);
INT_PTR showPortSearchDialog(HWND owner);
// The network port's address; Connect uses it (useNetworkPort,
// shell/drives_win.h) once the dialog has closed.
INT_PTR showNetworkDialog(HWND owner);

// The program's version as the About box shows it ("5.02"), from the
// version resource; empty when that is missing. Also names crash reports.
std::string programVersionText();

// The dialog procedures, for hosts that create the dialogs themselves
// (tests, screenshots).
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK deviceInfoDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK portSearchDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK networkDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

// Timers of the two dialogs that poll.
enum { DeviceInfoTimerId = 2, PortSearchTimerId = 2 };

// Test seam: where the port search reads the system's port list, the
// registry's SERIALCOMM key unless a host gives another list.
extern PortNameSource portSearchNames;

#endif
