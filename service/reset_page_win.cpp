// Factory reset page: its texts and per-size placement, set when it is
// created and renewed on size and language changes, and the reset procedure behind its button with
// the progress bar and the three message boxes.
#include "service/reset_page_win.h"

#include <cstring>
#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "service/reset.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/language.h"
#include "shell/language_entries.h"
#include "shell/text_win.h"
#include "shell/pages_win.h"
#include "shell/shell_win.h"

int (*resetMessageBox)(HWND owner, const wchar_t* text, const wchar_t* caption,
                       UINT type) = showMessageBox;

namespace {

struct ResetLayout {
    int labelX, label1Y, label2Y, buttonX, buttonY, buttonW, buttonH, barY, barH;
};
const ResetLayout Layouts[SizeModeCount] = {
    {65, 90, 130, 85, 190, 450, 45, 250, 25},    {150, 130, 170, 120, 250, 550, 55, 320, 30},
    {250, 150, 200, 150, 300, 700, 65, 390, 40}, {360, 250, 300, 220, 400, 800, 75, 500, 50},
    {360, 300, 350, 220, 450, 800, 75, 550, 50},
};
const int LabelW = 800, LabelH = 40;

const ResetLayout* layoutFor(int sizeMode) {
    return sizeMode >= 1 && sizeMode <= SizeModeCount ? &Layouts[sizeMode - 1] : nullptr;
}

void place(HWND page, int id, int x, int y, int w, int h) {
    HWND control = GetDlgItem(page, id);
    if (control) SetWindowPos(control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The page whose bar the running procedure moves.
HWND runningPage;
void showProgress(int position) {
    HWND bar = GetDlgItem(runningPage, IDC_RESET_PROGRESS);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    // The procedure holds the message loop: draw the bar now, not afterwards.
    UpdateWindow(bar);
}

void showBox(HWND page, int entry, UINT icon) {
    resetMessageBox(page, entryText(entry), entryText(EntryResetCaption), MB_OK | icon);
}

void onResetPressed(HWND page) {
    runningPage = page;
    switch (runFactoryReset(showProgress)) {
    case ResetOutcome::Done: showBox(page, EntryResetDone, MB_ICONINFORMATION); break;
    case ResetOutcome::Failed: showBox(page, EntryResetFailed, MB_ICONWARNING); break;
    case ResetOutcome::Refused: showBox(page, EntryResetRefused, MB_ICONERROR); break;
    case ResetOutcome::NotServed: break;
    }
}

}  // namespace

INT_PTR CALLBACK resetPageProc(HWND page, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(page, IDC_RESET_PROGRESS, PBM_SETRANGE, 0,
                            MAKELPARAM(0, ResetProgressMax));
        // The default focus would be the reset button, the page's only tab
        // stop, and a stray Space would then wipe the controller's settings.
        // The heading takes the focus instead: no key does anything there.
        SetFocus(GetDlgItem(page, IDC_RESET_LABEL1));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_RESET_BUTTON && HIWORD(wp) == BN_CLICKED) onResetPressed(page);
        return TRUE;
    }
    return FALSE;
}

void resetPageApplyTexts(HWND page) {
    // An unchanged text is left alone: setting it again would only make the
    // control flicker.
    setItemEntryText(page, IDC_RESET_LABEL1, EntryResetLabel1);
    setItemEntryText(page, IDC_RESET_LABEL2, EntryResetLabel2);
    setItemEntryText(page, IDC_RESET_BUTTON, EntryResetButton);
}

void placeResetControls(HWND page, int sizeMode) {
    const ResetLayout* l = layoutFor(sizeMode);
    if (!l) return;
    place(page, IDC_RESET_LABEL1, l->labelX, l->label1Y, LabelW, LabelH);
    place(page, IDC_RESET_LABEL2, l->labelX, l->label2Y, LabelW, LabelH);
    place(page, IDC_RESET_BUTTON, l->buttonX, l->buttonY, l->buttonW, l->buttonH);
    place(page, IDC_RESET_PROGRESS, l->buttonX, l->barY, l->buttonW, l->barH);
}

// ---- the page as the shell sees it ----

namespace {

void onCreated(HWND page, PageCreation) {
    resetPageApplyTexts(page);
    placeResetControls(page, shownSize);
}

// The page stays through a size change: its controls move to the new
// size's places (the shell places the page).
bool onResize(HWND page) {
    placeResetControls(page, shownSize);
    return true;
}

}  // namespace

// A language change keeps the page and its title, and renews its three texts.
extern const PageHooks resetPage =
    makePageHooks({IDD_RESET, IDD_RESET, IDD_RESET, IDD_RESET, IDD_RESET}, resetPageProc,
                  OnCreate{onCreated}, OnResize{onResize}, OnLanguage{resetPageApplyTexts});
