// The three configuration dialogs run modally over their page, and what they
// share.
#include "config/config_dialogs.h"
#include "config/config_dialogs_win.h"

#include "readings/dashboard.h"
#include "res/resource.h"
#include "shell/app_state.h"

namespace {

// The page's flag is set before the dialog opens, so the page can never poll
// underneath it.
void runModal(HWND parent, int templateId, DLGPROC proc, bool* pageFlag) {
    *pageFlag = true;
    runModalDialog(parent, templateId, proc, pageFlag);
}

}  // namespace

void armDialogTimer(HWND dialog) { armPollTimer(dialog, DialogTimerId); }

void rearmDialogTimerIfChanged(HWND dialog) {
    if (pollTimerNeedsRearm()) armDialogTimer(dialog);
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
