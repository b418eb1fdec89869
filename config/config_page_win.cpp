// Configuration page: the dialog procedure. Decisions are in config_page.cpp;
// this reads the controls, calls them and applies the result.
#include "config/config_page_win.h"

#include "config/config_dialogs.h"
#include "config/config_page.h"
#include "config/page_controls_win.h"
#include "res/resource.h"
#include "shell/app_state.h"

namespace {

void refresh(HWND page) {
    const PageStores s = currentStores();
    applyView(page, configRefreshView(s));
}

void onTick(HWND page) {
    const TickOutcome t = configPageTick();
    if (t == TickOutcome::Suspended) return;
    if (t == TickOutcome::Polled) refresh(page);
    checkPollInterval(page);
}

void send(HWND page, const WritePlan& plan) {
    sendWrites(plan);
    if (plan.after == AfterWrite::LambdaEmulationDialog) {
        configDialogOpen = true;
        openLambdaEmulationDialog(page);
    }
}

bool isList(int control) {
    for (const PageList& l : ConfigLists)
        if (l.control == control) return true;
    return false;
}

void onCommand(HWND page, int control, int notification) {
    if (isList(control)) {
        if (listSelectionChanged(notification))
            send(page, configListChange(control, listSelection(page, control), currentStores()));
    } else if (control == IDC_CFG_LOW_SIGNAL || control == IDC_CFG_EMERGENCY_START) {
        if (notification == BN_CLICKED)
            send(page, configBoxClick(control, boxChecked(page, control), currentStores()));
    } else if (control == IDC_CFG_LEVEL_SENSOR) {
        configDialogOpen = true;
        openLevelSensorDialog(page);
    }
}

}  // namespace

INT_PTR CALLBACK configPageProc(HWND page, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_PAINT: paintPage(page); return FALSE;
    case WM_TIMER:
        if (wp == PagePollTimer) onTick(page);
        return FALSE;
    case WM_COMMAND: onCommand(page, LOWORD(wp), HIWORD(wp)); return FALSE;
    case WM_DESTROY: pageDestroyed(); return FALSE;
    }
    return FALSE;
}

void configPageFillLists(HWND page) {
    for (const PageList& l : ConfigLists) fillList(page, l.control, configSetUpKind(l));
}

void configPageApplyTexts(HWND page) { applyControlTexts(page, ConfigTexts, ConfigTextCount); }
