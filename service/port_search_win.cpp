// Port search dialog: the manual port list, the automatic search over the
// ports the registry lists, Ok and Cancel. The search itself is in
// link/port_search.cpp; this file reads the controls, shows the results and
// holds the pages behind the dialog while the search says so.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "link/link.h"
#include "link/port_registry_win.h"
#include "link/port_search.h"
#include "res/resource.h"
#include "service/dialogs_win.h"
#include "shell/app_settings.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/language_win.h"

namespace {

// ---- the dialog ----

enum { LabelSize = LanguageTextSize + 16 };

HWND control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

// Entry text followed directly by the port number; the buffer holds the
// longest entry and number, and snprintf cuts anything beyond.
void showStatus(HWND dialog, int entry, uint32_t port) {
    char label[LabelSize];
    snprintf(label, sizeof label, "%s%lu", LanguageTable[entry], static_cast<unsigned long>(port));
    SetDlgItemTextA(dialog, IDC_PORT_STATUS, label);
    ShowWindow(control(dialog, IDC_PORT_STATUS), SW_SHOW);
}

void hideStatus(HWND dialog) {
    ShowWindow(control(dialog, IDC_PORT_STATUS), SW_HIDE);
    SetDlgItemTextA(dialog, IDC_PORT_STATUS, "");
}

void setProgress(HWND dialog, int position) {
    SendDlgItemMessageA(dialog, IDC_PORT_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void setProgressRange(HWND dialog, int size) {
    SendDlgItemMessageA(dialog, IDC_PORT_PROGRESS, PBM_SETRANGE32, 0, size);
}

void enableChoice(HWND dialog, bool enabled) {
    EnableWindow(control(dialog, IDC_PORT_LIST), enabled);
    EnableWindow(control(dialog, IDC_PORT_SEARCH), enabled);
}

void onInit(HWND dialog) {
    portSearchOpen();
    HWND list = control(dialog, IDC_PORT_LIST);
    char item[16];
    for (long n = 1; n <= HighestPortNumber; ++n) {
        snprintf(item, sizeof item, "COM %ld", n);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(CommPort - 1), 0);
    centreOnRecordedScreen(dialog);
    setProgressRange(dialog, portSearch.searchSize);
    setProgress(dialog, 0);
    ShowWindow(control(dialog, IDC_PORT_PROGRESS), SW_SHOW);
    hideStatus(dialog);
    SetDlgItemTextA(dialog, IDC_PORT_SEARCH, LanguageTable[EntrySearch]);
    SetDlgItemTextA(dialog, IDC_PORT_MANUAL_GROUP, LanguageTable[EntryManualGroup]);
    SetDlgItemTextA(dialog, IDC_PORT_AUTO_GROUP, LanguageTable[EntryAutomaticGroup]);
    SetDlgItemTextA(dialog, IDOK, "Ok");
    SetTimer(dialog, PortSearchTimerId, SearchTickMs, nullptr);
}

void onSearchButton(HWND dialog) {
    const int size = portSearchBegin(portSearchNames);
    if (size <= 0) {
        SetDlgItemTextA(dialog, IDC_PORT_STATUS, LanguageTable[EntryNoPorts]);
        ShowWindow(control(dialog, IDC_PORT_STATUS), SW_SHOW);
        setProgress(dialog, 0);
        return;
    }
    setProgressRange(dialog, size);
    // Restarted, so the first port is tried a whole tick from now.
    SetTimer(dialog, PortSearchTimerId, SearchTickMs, nullptr);
    enableChoice(dialog, false);
    ShowWindow(control(dialog, IDC_PORT_PROGRESS), SW_SHOW);
    ShowWindow(control(dialog, IDC_PORT_STATUS), SW_SHOW);
    setProgress(dialog, 0);
}

// The pages behind wait while ports are tried and poll again once one is
// chosen or found.
void followSearch() { setServiceDialogOpen(portSearch.holdsPages); }

void showFound(HWND dialog, uint32_t port) {
    markPortMenu(portMarkCodeFor(CommPort));
    showStatus(dialog, EntryFoundOnPort, port);
    SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_SETCURSEL, static_cast<WPARAM>(port - 1), 0);
    setProgress(dialog, 0);
    enableChoice(dialog, true);
}

void onTick(HWND dialog) {
    const SearchTry t = portSearchNext();
    if (t.step == SearchStep::Idle) return;
    followSearch();
    if (t.step == SearchStep::Exhausted) {
        enableChoice(dialog, true);
        ShowWindow(control(dialog, IDC_PORT_PROGRESS), SW_SHOW);
        SetDlgItemTextA(dialog, IDC_PORT_STATUS, LanguageTable[EntryNotFound]);
        setProgress(dialog, 0);
        return;
    }
    setProgress(dialog, t.progress);
    showStatus(dialog, EntryCheckingPort, t.port);
    // The probe blocks for up to a second: show which port it is on.
    UpdateWindow(dialog);
    if (!portSearchProbe(t.port)) return;
    followSearch();
    showFound(dialog, t.port);
}

// Ok keeps the list's port, Cancel the one of the dialog's start; either is
// saved.
void close(HWND dialog, int result) {
    if (result == IDOK)
        portSearchKeep(
            static_cast<int>(SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETCURSEL, 0, 0)));
    else
        portSearchCancel();
    followSearch();
    markPortMenu(portMarkCodeFor(CommPort));
    writeAppSettings(AppSettingsFileName);
    KillTimer(dialog, PortSearchTimerId);
    EndDialog(dialog, result);
}

bool onCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDC_PORT_LIST:
        if (code == CBN_DROPDOWN) setServiceDialogOpen(true);
        if (code == CBN_CLOSEUP) {
            hideStatus(dialog);
            portSearchChoose(
                static_cast<int>(SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETCURSEL, 0, 0)));
            followSearch();
        }
        return true;
    case IDC_PORT_SEARCH: onSearchButton(dialog); return true;
    case IDOK:
    case IDCANCEL: close(dialog, id); return true;
    }
    return false;
}

}  // namespace

PortNameSource portSearchNames = registryPortNames();

INT_PTR CALLBACK portSearchDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: onInit(dialog); return TRUE;
    case WM_TIMER:
        if (wp == PortSearchTimerId) onTick(dialog);
        return TRUE;
    case WM_COMMAND: return onCommand(dialog, LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    }
    return FALSE;
}

INT_PTR showPortSearchDialog(HWND owner) {
    setServiceDialogOpen(true);
    return runModalDialog(owner, IDD_PORT_SEARCH, portSearchDialogProc, setServiceDialogOpen);
}
