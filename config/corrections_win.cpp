// The actuator corrections dialog: four lists, polled on the dialog's own
// timer while the options page waits.
#include "config/corrections.h"

#include "config/config_dialogs_win.h"
#include "link/link.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/text_win.h"

namespace {

const int ListIds[CorrectionRows] = {IDC_CORRECTION_LIST1, IDC_CORRECTION_LIST2,
                                     IDC_CORRECTION_LIST3, IDC_CORRECTION_LIST4};
const int LabelIds[CorrectionRows] = {IDC_CORRECTION_LABEL1, IDC_CORRECTION_LABEL2,
                                      IDC_CORRECTION_LABEL3, IDC_CORRECTION_LABEL4};

int rowOfList(int id) {
    for (int row = 0; row < CorrectionRows; ++row)
        if (ListIds[row] == id) return row;
    return -1;
}

void setTexts(HWND dialog) {
    setEntryText(dialog, EntryCorrectionsCaption);
    for (int row = 0; row < CorrectionRows; ++row)
        setItemEntryText(dialog, LabelIds[row], EntryCorrectionRow1 + row);
    setItemEntryText(dialog, IDOK, EntryCorrectionsOk);
}

void fillLists(HWND dialog) {
    char text[CorrectionTextSize];
    for (int row = 0; row < CorrectionRows; ++row)
        for (int k = 0; k < CorrectionItems; ++k) {
            correctionItemText(row, k, text, sizeof text);
            addListItem(GetDlgItem(dialog, ListIds[row]), text);
        }
}

void refresh(HWND dialog) {
    const CorrectionSelection s = correctionSelection(ControllerGeneration);
    if (!s.shown) return;
    for (int row = 0; row < CorrectionRows; ++row)
        SendDlgItemMessageA(dialog, ListIds[row], CB_SETCURSEL, static_cast<WPARAM>(s.index[row]),
                            0);
}

void onTimer(HWND dialog) {
    if (correctionsPollTick()) refresh(dialog);
    // Also while a list is open, so a lost link slows this timer too.
    rearmDialogTimerIfChanged(dialog);
}

void onList(HWND dialog, int row, int code) {
    if (code != CBN_SELCHANGE) return noteListNotification(code);
    const int k = static_cast<int>(SendDlgItemMessageA(dialog, ListIds[row], CB_GETCURSEL, 0, 0));
    const CorrectionWrite w = correctionWrite(row, k, LinkState, ControllerGeneration);
    if (w.send) writeParameter(w.address, w.value);
}

}  // namespace

INT_PTR CALLBACK correctionsDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        setTexts(dialog);
        fillLists(dialog);
        centreOnRecordedScreen(dialog);
        armDialogTimer(dialog);
        return TRUE;
    case WM_TIMER:
        if (wp == DialogTimerId) onTimer(dialog);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id == IDOK || id == IDCANCEL) {
            closeConfigDialog(dialog, id, setOptionsDialogOpen);
            return TRUE;
        }
        const int row = rowOfList(id);
        if (row < 0) return FALSE;
        onList(dialog, row, HIWORD(wp));
        return TRUE;
    }
    case WM_DESTROY: KillTimer(dialog, DialogTimerId); return FALSE;
    }
    return FALSE;
}
