// Options page: the dialog procedure. Decisions are in options_page.cpp;
// this reads the controls, calls them and applies the result.
#include "config/options_page_win.h"

#include "config/config_dialogs.h"
#include "config/options_page.h"
#include "config/page_controls_win.h"
#include "res/resource.h"
#include "shell/pages_win.h"

namespace {

void refresh(HWND page) {
    const int jumpItems =
        static_cast<int>(SendDlgItemMessageA(page, IDC_OPT_JUMP, CB_GETCOUNT, 0, 0));
    applyView(page, optionsRefreshView(currentStores(), jumpItems));
}

bool isBox(int control) {
    return control == IDC_OPT_START_POSITION_BOX || control == IDC_OPT_JUMP_BOX ||
           control == IDC_OPT_CUT_OFF_BOX || control == IDC_OPT_SWITCH_OFF_BOX ||
           control == IDC_OPT_MIN_TEMPERATURE_BOX;
}

void onCommand(HWND page, int control, int notification) {
    if (findList(OptionsLists, OptionsListCount, control)) {
        if (listSelectionChanged(notification))
            sendWrites(optionsListChange(control, listSelection(page, control), currentStores()));
    } else if (isBox(control)) {
        if (notification == BN_CLICKED)
            sendWrites(optionsBoxClick(control, boxChecked(page, control), currentStores()));
    } else if (control == IDC_OPT_CORRECTIONS) {
        openCorrectionsDialog(page);
    }
}

const PageHandlers Handlers = {optionsPageTick, refresh, onCommand};

}  // namespace

INT_PTR CALLBACK optionsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM) {
    return pageProc(page, msg, wp, Handlers);
}

void optionsPageFillLists(HWND page) { fillPageLists(page, OptionsLists, OptionsListCount); }

void optionsPageApplyTexts(HWND page) { applyControlTexts(page, OptionsTexts, OptionsTextCount); }

// ---- the page as the shell sees it ----

namespace {

void onCreated(HWND page, PageCreation) {
    optionsPageFillLists(page);
    optionsPageApplyTexts(page);
}

void onTimer(HWND page) { pageTick(page, Handlers); }

}  // namespace

extern const PageHooks optionsPage =
    makePageHooks({IDD_OPTIONS_1, IDD_OPTIONS_2, IDD_OPTIONS_3, IDD_OPTIONS_4, IDD_OPTIONS_5},
                  optionsPageProc, OnCreate{onCreated}, OnTick{onTimer});
