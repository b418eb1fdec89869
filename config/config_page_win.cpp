// Configuration page: the dialog procedure. Decisions are in config_page.cpp;
// this reads the controls, calls them and applies the result.
#include "config/config_page_win.h"

#include "config/config_dialogs.h"
#include "config/config_page.h"
#include "config/page_controls_win.h"
#include "res/resource.h"
#include "shell/pages_win.h"

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

// ---- the page as the shell sees it ----

namespace {

// A language change sets the texts before the lists, as the page always did.
void onCreated(HWND page, PageCreation how) {
    if (how == PageCreation::Relanguaged) {
        configPageApplyTexts(page);
        configPageFillLists(page);
    } else {
        configPageFillLists(page);
        configPageApplyTexts(page);
    }
}

void onTimer(HWND page) { pageTick(page, Handlers); }

}  // namespace

extern const PageHooks configPage =
    makePageHooks({IDD_CONFIG_1, IDD_CONFIG_2, IDD_CONFIG_3, IDD_CONFIG_4, IDD_CONFIG_5},
                  configPageProc, OnCreate{onCreated}, OnTick{onTimer});
