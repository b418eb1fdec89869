// The three configuration dialogs run modally over their page, and what they
// share.
#include "config/config_dialogs.h"
#include "config/config_dialogs_win.h"

#include "res/resource.h"
#include "shell/app_state.h"

namespace {

// The page's flag is set before the dialog opens, so the page can never poll
// underneath it.
void runModal(HWND parent, int templateId, DLGPROC proc, void (*setPageFlag)(bool)) {
    setPageFlag(true);
    runModalDialog(parent, templateId, proc, setPageFlag);
}

}  // namespace

void armDialogTimer(HWND dialog) { armPollTimer(dialog, DialogTimerId); }

void rearmDialogTimerIfChanged(HWND dialog) {
    if (pollTimerNeedsRearm()) armDialogTimer(dialog);
}

void noteListNotification(int code) { setDropDownOpen(code == CBN_DROPDOWN); }

void closeConfigDialog(HWND dialog, int id, void (*setPageFlag)(bool)) {
    EndDialog(dialog, id);
    KillTimer(dialog, DialogTimerId);
    setPageFlag(false);
}

void openCorrectionsDialog(HWND parent) {
    runModal(parent, IDD_CORRECTIONS, correctionsDialogProc, setOptionsDialogOpen);
}

void openLevelSensorDialog(HWND parent) {
    runModal(parent, IDD_LEVEL_SENSOR, levelSensorDialogProc, setConfigDialogOpen);
}

void openLambdaEmulationDialog(HWND parent) {
    runModal(parent, IDD_LAMBDA_EMULATION, lambdaEmulationDialogProc, setConfigDialogOpen);
}
