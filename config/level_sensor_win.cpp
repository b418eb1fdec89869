// The gas level sensor dialog: mode list, four threshold scroll bars with
// their edit boxes, the factory button, and the lamp bar of the tank level
// drawn by its paint on a grey background behind the controls (the dialog
// clips its children, so they stay on top).
#include "config/level_sensor.h"

#include <cstdio>
#include <cstring>

#include "config/config_dialogs_win.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/canvas_win.h"
#include "shell/language.h"
#include "shell/palette_win.h"
#include "shell/text_win.h"

static_assert(ScrollLineLeft == SB_LINELEFT && ScrollLineRight == SB_LINERIGHT &&
                  ScrollPageLeft == SB_PAGELEFT && ScrollPageRight == SB_PAGERIGHT &&
                  ScrollThumbPosition == SB_THUMBPOSITION && ScrollThumbTrack == SB_THUMBTRACK &&
                  ScrollToLeft == SB_LEFT && ScrollToRight == SB_RIGHT && ScrollEnd == SB_ENDSCROLL,
              "scroll codes as the system numbers them");

namespace {

// Scroll bar and edit box of each threshold, lowest first.
const int BarIds[ThresholdCount] = {IDC_LEVEL_BAR1, IDC_LEVEL_BAR2, IDC_LEVEL_BAR3, IDC_LEVEL_BAR4};
const int EditIds[ThresholdCount] = {IDC_LEVEL_EDIT1, IDC_LEVEL_EDIT2, IDC_LEVEL_EDIT3,
                                     IDC_LEVEL_EDIT4};

int thresholdOfBar(int id) {
    for (int t = 0; t < ThresholdCount; ++t)
        if (BarIds[t] == id) return t;
    return -1;
}

void setEditNumber(HWND dialog, int id, int value) {
    char wanted[16];
    snprintf(wanted, sizeof wanted, "%d", value);
    setItemText(dialog, id, wanted);
}

void enableThresholds(HWND dialog, bool on) {
    for (int t = 0; t < ThresholdCount; ++t) {
        EnableWindow(GetDlgItem(dialog, BarIds[t]), on);
        EnableWindow(GetDlgItem(dialog, EditIds[t]), on);
    }
    EnableWindow(GetDlgItem(dialog, IDC_LEVEL_FACTORY), on);
}

void drawRect(HDC dc, const LampRect& r, HBRUSH fill) {
    SelectObject(dc, fill);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

// The lamps the dialog shows, kept with the dialog window as bits: the
// reserve lamp, then the quarters from 1/4 up.
LONG_PTR lampBits(const Lamps& lamps) {
    LONG_PTR bits = lamps.reserve ? 1 : 0;
    for (int q = 0; q < ThresholdCount; ++q)
        if (lamps.quarter[q]) bits |= LONG_PTR{2} << q;
    return bits;
}
Lamps shownLamps(HWND dialog) {
    const LONG_PTR bits = GetWindowLongPtrW(dialog, DWLP_USER);
    Lamps lamps = {};
    lamps.reserve = (bits & 1) != 0;
    for (int q = 0; q < ThresholdCount; ++q) lamps.quarter[q] = (bits & (LONG_PTR{2} << q)) != 0;
    return lamps;
}

void invalidateLamp(HWND dialog, const LampRect& r) {
    const RECT lamp = {r.left, r.top, r.right, r.bottom};
    InvalidateRect(dialog, &lamp, FALSE);
}

// A refresh's lamps: the ones that changed are painted again.
void showLamps(HWND dialog, const Lamps& lamps) {
    const Lamps before = shownLamps(dialog);
    SetWindowLongPtrW(dialog, DWLP_USER, lampBits(lamps));
    if (before.reserve != lamps.reserve) invalidateLamp(dialog, ReserveLamp);
    for (int q = 0; q < ThresholdCount; ++q)
        if (before.quarter[q] != lamps.quarter[q]) invalidateLamp(dialog, QuarterLamp[q]);
    UpdateWindow(dialog);
}

// The dialog's paint: the grey background (the controls clip it), then the
// reserve lamp and the quarters bottom to top; one-pixel black outlines.
void paintContent(HWND dialog, HDC dc) {
    const Lamps lamps = shownLamps(dialog);
    Canvas c(dc, palette.black1, palette.grey);
    drawRect(c.dc, LevelBackground, palette.grey);
    drawRect(c.dc, ReserveLamp, lamps.reserve ? palette.red : palette.brown);
    for (int q = 0; q < ThresholdCount; ++q)
        drawRect(c.dc, QuarterLamp[q], lamps.quarter[q] ? palette.green : palette.olive);
}

void setTexts(HWND dialog) {
    setEntryText(dialog, EntryGasLevelSensor);
    setItemEntryText(dialog, IDC_LEVEL_FACTORY, EntryFactorySettings);
    setItemEntryText(dialog, IDOK, EntryClose);
    setItemEntryText(dialog, IDC_LEVEL_MODE_LABEL, EntrySensorModeLabel);
    for (int m = 0; m < LevelModeCount; ++m)
        addListItem(GetDlgItem(dialog, IDC_LEVEL_MODE), entryText(EntrySensorMode1 + m));
}

void onInit(HWND dialog) {
    centreOnRecordedScreen(dialog);
    for (int t = 0; t < ThresholdCount; ++t) {
        SetScrollRange(GetDlgItem(dialog, BarIds[t]), SB_CTL, 0, ThresholdMax, FALSE);
        setItemText(dialog, EditIds[t], "0");
    }
    setTexts(dialog);
    // Every lamp dark and the threshold controls disabled until the first
    // refresh.
    SetWindowLongPtrW(dialog, DWLP_USER, lampBits(Lamps{}));
    enableThresholds(dialog, false);
    armDialogTimer(dialog);
}

void refresh(HWND dialog) {
    const LevelSensorView v =
        levelSensorView(LinkState, ControllerGeneration, ConfigA.options, levelSensor.level);
    SendDlgItemMessageA(dialog, IDC_LEVEL_MODE, CB_SETCURSEL, static_cast<WPARAM>(v.modeIndex), 0);
    enableThresholds(dialog, v.thresholdsEnabled);
    for (int t = 0; t < ThresholdCount; ++t) {
        const int shown = v.thresholdsEnabled ? levelSensor.working[t] : 0;
        if (v.thresholdsEnabled) SetScrollPos(GetDlgItem(dialog, BarIds[t]), SB_CTL, shown, TRUE);
        setEditNumber(dialog, EditIds[t], shown);
    }
    showLamps(dialog, v.lamps);
}

void onTimer(HWND dialog) {
    if (!levelSensorPollTick()) return;
    refresh(dialog);
    rearmDialogTimerIfChanged(dialog);
}

void onScroll(HWND dialog, HWND bar, int code, int thumb) {
    const int t = thresholdOfBar(GetDlgCtrlID(bar));
    if (t < 0) return;
    const ScrollStep s = scrollThreshold(levelSensorState().working[t], code, thumb,
                                         &levelSensorState().scrollActive);
    levelSensorState().working[t] = s.value;
    SetScrollPos(bar, SB_CTL, s.value, TRUE);
    if (!s.write) return;
    setEditNumber(dialog, EditIds[t], s.value);
    const ThresholdWrite w =
        thresholdWrite(t, s.value, LinkState, ControllerGeneration, ExtendedValid);
    if (w.send) writeParameter(w.address, w.value);
}

void onModeList(int code, HWND list) {
    if (code != CBN_SELCHANGE) return noteListNotification(code);
    const int k = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    const LevelModeWrite w =
        levelModeWrite(k, LinkState, ControllerGeneration, ConfigAValid, ConfigA.options);
    if (w.send) writeParameter(Addr::Options, w.value);
}

}  // namespace

INT_PTR CALLBACK levelSensorDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (paintMessage(dialog, msg, wp, paintContent)) return TRUE;
    switch (msg) {
    case WM_INITDIALOG:
        onInit(dialog);
        // With the threshold controls off, the default focus would be the
        // mode list, where a stray arrow key writes another mode to the
        // controller. The label takes it instead: no key does anything there.
        SetFocus(GetDlgItem(dialog, IDC_LEVEL_MODE_LABEL));
        return FALSE;
    case WM_TIMER:
        if (wp == DialogTimerId) onTimer(dialog);
        return TRUE;
    case WM_HSCROLL:
        onScroll(dialog, reinterpret_cast<HWND>(lp), LOWORD(wp), HIWORD(wp));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL: closeConfigDialog(dialog, LOWORD(wp), setConfigDialogOpen); return TRUE;
        case IDC_LEVEL_MODE: onModeList(HIWORD(wp), reinterpret_cast<HWND>(lp)); return TRUE;
        case IDC_LEVEL_FACTORY:
            if (HIWORD(wp) == BN_CLICKED) levelSensorFactoryPress();
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY: KillTimer(dialog, DialogTimerId); return FALSE;
    }
    return FALSE;
}
