// The lambda emulation dialog: the H and L time lists and the plot of the
// square wave the controller will produce, drawn on the dialog itself by its
// paint; a tick that finds new times has the plot painted again.
#include "config/lambda_emulation.h"

#include <cstring>

#include "config/config_dialogs_win.h"
#include "link/blocks.h"
#include "link/link.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/canvas_win.h"
#include "shell/dialog_win.h"
#include "shell/language.h"
#include "shell/palette_win.h"
#include "shell/text_win.h"

namespace {

void fillList(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_INITSTORAGE, EmulationTimeItems, EmulationTimeItems * 8);
    char text[EmulationTimeTextSize];
    for (int k = 0; k < EmulationTimeItems; ++k) {
        emulationTimeText(k, text, sizeof text);
        addListItem(list, text);
    }
}

void setTexts(HWND dialog) {
    setItemEntryText(dialog, IDOK, EntryClose);
    setItemEntryText(dialog, IDC_EMULATION_HIGH_LABEL, EntryHighTimeLabel);
    setItemEntryText(dialog, IDC_EMULATION_LOW_LABEL, EntryLowTimeLabel);
    setItemEntryText(dialog, IDC_EMULATION_HIGH_UNIT, EntryHighTimeUnit);
    setItemEntryText(dialog, IDC_EMULATION_LOW_UNIT, EntryLowTimeUnit);
    setText(dialog, wideText(emulationCaption(LanguageText[EntryEmulationTypeLabel],
                                              LanguageText[EntryEmulationType1])));
}

void line(HDC dc, const PlotPoint* pts, int n) {
    POINT p[3];
    for (int i = 0; i < n && i < 3; ++i) p[i] = POINT{pts[i].x, pts[i].y};
    Polyline(dc, p, n < 3 ? n : 3);
}

void text(HDC dc, int x, int y, const char* s) {
    drawText(dc, x, y, 0, nullptr, s, static_cast<int>(strlen(s)));
}

// Area, axes with their arrow heads, title, labels of the probe type, ticks.
void drawAxes(HDC dc, int probe) {
    SelectObject(dc, palette.black1);
    SelectObject(dc, palette.black);
    Rectangle(dc, PlotArea.left, PlotArea.top, PlotArea.right, PlotArea.bottom);
    SelectObject(dc, palette.grey1);
    line(dc, VerticalAxis, 2);
    line(dc, VerticalArrow, 3);
    line(dc, HorizontalAxis, 2);
    line(dc, HorizontalArrow, 3);
    SetTextColor(dc, ColourWhite);
    SetBkColor(dc, ColourBlack);
    SetBkMode(dc, OPAQUE);
    text(dc, AxisTitleAt.x, AxisTitleAt.y, "[ V ]");
    const AxisLabels labels = axisLabels(probe);
    for (int i = 0; i < labels.count; ++i)
        text(dc, labels.label[i].x, labels.label[i].y, labels.label[i].text);
    for (int y : TickY) {
        const PlotPoint tick[2] = {{TickLeft, y}, {TickRight, y}};
        line(dc, tick, 2);
    }
}

// The dialog's paint: the plot for the times the last tick decided, once it
// has decided them for this dialog.
void paintContent(HWND dialog, HDC dc) {
    if (lambdaEmulation.redraw) return;
    const int high = lambdaEmulation.drawnHigh, low = lambdaEmulation.drawnLow;
    // The dialog's own font: the plot's texts match its labels.
    Canvas c(dc, palette.black1, palette.black,
             reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    drawAxes(c.dc, probeType(ConfigA.lambdaType));

    PlotPoint pts[WaveMaxPoints];
    const int n = wavePoints(high, low, pts, WaveMaxPoints);
    POINT poly[WaveMaxPoints];
    for (int i = 0; i < n; ++i) poly[i] = POINT{pts[i].x, pts[i].y};
    SelectObject(c.dc, palette.yellow1);
    Polyline(c.dc, poly, n);
}

void onTimer(HWND dialog) {
    // A dropped-down list stops the tick entirely, re-arming included.
    if (!lambdaEmulationPollTick()) return;
    const int high = ConfigA.emulBjTimeHi, low = ConfigA.emulBjTimeLo;
    if (lambdaWaveNeedsDrawing(high, low)) {
        const RECT plot = {PlotArea.left, PlotArea.top, PlotArea.right, PlotArea.bottom};
        InvalidateRect(dialog, &plot, FALSE);
        UpdateWindow(dialog);
    }
    SendDlgItemMessageA(dialog, IDC_EMULATION_HIGH, CB_SETCURSEL,
                        static_cast<WPARAM>(emulationTimeIndex(ConfigA.emulBjTimeHi)), 0);
    SendDlgItemMessageA(dialog, IDC_EMULATION_LOW, CB_SETCURSEL,
                        static_cast<WPARAM>(emulationTimeIndex(ConfigA.emulBjTimeLo)), 0);
    rearmDialogTimerIfChanged(dialog);
}

void onList(HWND dialog, int id, int code) {
    if (code != CBN_SELCHANGE) return noteListNotification(code);
    const int k = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
    const EmulationTimeWrite w =
        emulationTimeWrite(id == IDC_EMULATION_HIGH, k, LinkState, ControllerGeneration);
    if (w.send) writeParameter(w.address, w.value);
}

}  // namespace

INT_PTR CALLBACK lambdaEmulationDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    if (paintMessage(dialog, msg, wp, paintContent)) return TRUE;
    switch (msg) {
    case WM_INITDIALOG:
        centreOnRecordedScreen(dialog);
        fillList(dialog, IDC_EMULATION_HIGH);
        fillList(dialog, IDC_EMULATION_LOW);
        setTexts(dialog);
        // The plot waits for the first tick's times.
        lambdaEmulationState().redraw = true;
        armDialogTimer(dialog);
        return TRUE;
    case WM_TIMER:
        if (wp == DialogTimerId) onTimer(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL: closeConfigDialog(dialog, LOWORD(wp), setConfigDialogOpen); return TRUE;
        case IDC_EMULATION_HIGH:
        case IDC_EMULATION_LOW: onList(dialog, LOWORD(wp), HIWORD(wp)); return TRUE;
        }
        return FALSE;
    case WM_DESTROY: KillTimer(dialog, DialogTimerId); return FALSE;
    }
    return FALSE;
}
