// Configuration page: the dialog procedure. Decisions are in config_page.cpp;
// this reads the controls, calls them and applies the result.
#include "config/config_page_win.h"

#include "config/config_dialogs.h"
#include "config/config_page.h"
#include "config/page_controls_win.h"
#include "res/resource.h"

namespace {

void refresh(HWND page) { applyView(page, configRefreshView(currentStores())); }

void send(HWND page, const WritePlan& plan) {
    sendWrites(plan);
    if (plan.after == AfterWrite::LambdaEmulationDialog) openLambdaEmulationDialog(page);
}

void onCommand(HWND page, int control, int notification) {
    if (findList(ConfigLists, ConfigListCount, control)) {
        if (listSelectionChanged(notification))
            send(page, configListChange(control, listSelection(page, control), currentStores()));
    } else if (control == IDC_CFG_LOW_SIGNAL || control == IDC_CFG_EMERGENCY_START) {
        if (notification == BN_CLICKED)
            send(page, configBoxClick(control, boxChecked(page, control), currentStores()));
    } else if (control == IDC_CFG_LEVEL_SENSOR) {
        openLevelSensorDialog(page);
    }
}

const PageHandlers Handlers = {configPageTick, refresh, onCommand};

}  // namespace

INT_PTR CALLBACK configPageProc(HWND page, UINT msg, WPARAM wp, LPARAM) {
    return pageProc(page, msg, wp, Handlers);
}

void configPageFillLists(HWND page) {
    for (const PageList& l : ConfigLists) fillList(page, l.control, configSetUpKind(l));
}

void configPageApplyTexts(HWND page) { applyControlTexts(page, ConfigTexts, ConfigTextCount); }
