// The three configuration dialogs run modally over their page, and what they
// share.
#include "config/config_dialogs.h"
#include "config/config_dialogs_win.h"

#include "link/link.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/shell_win.h"

namespace {

void runModal(HWND parent, int templateId, DLGPROC proc, bool* pageFlag) {
    // The page sets its flag before it opens us; set it here as well, so the
    // page can never poll underneath an open dialog.
    *pageFlag = true;
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, proc, 0);
    // A template that fails to load must not leave the page suspended.
    if (result == -1 || result == 0) *pageFlag = false;
}

}  // namespace

void centreOnRecordedScreen(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    const long x = (lastScreenW - (r.right - r.left)) / 2;
    const long y = (lastScreenH - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void armDialogTimer(HWND dialog) {
    SetTimer(dialog, DialogTimerId, static_cast<UINT>(PollInterval), nullptr);
    armedInterval = PollInterval;
}

void rearmDialogTimerIfChanged(HWND dialog) {
    if (PollInterval != armedInterval) armDialogTimer(dialog);
}

void noteListNotification(int code) { dropDownOpen = code == CBN_DROPDOWN; }

void closeConfigDialog(HWND dialog, int id, bool* pageFlag) {
    EndDialog(dialog, id);
    KillTimer(dialog, DialogTimerId);
    *pageFlag = false;
}

void openCorrectionsDialog(HWND parent) {
    runModal(parent, IDD_CORRECTIONS, correctionsDialogProc, &optionsDialogOpen);
}

void openLevelSensorDialog(HWND parent) {
    runModal(parent, IDD_LEVEL_SENSOR, levelSensorDialogProc, &configDialogOpen);
}

void openLambdaEmulationDialog(HWND parent) {
    runModal(parent, IDD_LAMBDA_EMULATION, lambdaEmulationDialogProc, &configDialogOpen);
}
