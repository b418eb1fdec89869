// The readings page: its dialog procedure, the static frame and the live
// dashboard, drawn with the shared pens and brushes. A paint (or a print)
// draws the frame and the view as the last tick left it; a tick decides and
// draws at once what it changed, on a DC of the page's own.
#include "readings/readings_win.h"

#include <cstring>

#include <windows.h>

#include "link/blocks.h"
#include "link/link.h"
#include "readings/dashboard.h"
#include "readings/gauge.h"
#include "readings/layout.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/canvas_win.h"
#include "shell/dialog_win.h"
#include "shell/fonts_win.h"
#include "shell/language.h"
#include "shell/pages_win.h"
#include "shell/palette_win.h"
#include "shell/scoped_win.h"
#include "shell/shell_win.h"
#include "shell/text_win.h"

namespace {

// Corners in pixels at every size.
void roundRect(Canvas& c, int x1, int y1, int x2, int y2) {
    RoundRect(c.dc, c.px(x1), c.py(y1), c.px(x2), c.py(y2), 20, 20);
}
void silverClear(Canvas& c, int x1, int y1, int x2, int y2) {
    c.use(palette.silver1, palette.silver);
    c.rect(x1, y1, x2, y2);
}

// The gauge scales both axes by sx so the dial stays round.
void gaugeLine(Canvas& c, ArcPoint from, ArcPoint to) {
    const ArcPoint a = gaugePixel(from, c.sx), b = gaugePixel(to, c.sx);
    const POINT pts[2] = {{a.x, a.y}, {b.x, b.y}};
    Polyline(c.dc, pts, 2);
}
void gaugeEllipse(Canvas& c, int x1, int y1, int x2, int y2) {
    const ArcPoint a = gaugeDesignPixel(x1, y1, c.sx), b = gaugeDesignPixel(x2, y2, c.sx);
    Ellipse(c.dc, a.x, a.y, b.x, b.y);
}
void gaugeText(Canvas& c, int x, int y, const char* s, COLORREF ink) {
    const ArcPoint a = gaugeDesignPixel(x, y, c.sx);
    SelectObject(c.dc, fontSmall);
    SetTextColor(c.dc, ink);
    SetBkColor(c.dc, ColourBlack);
    drawText(c.dc, a.x, a.y, ETO_OPAQUE, nullptr, s, static_cast<int>(strlen(s)));
}

// The four state cells: outline pen and lit brush per cell.
HPEN cellPen(int i) {
    const HPEN pens[4] = {palette.cyan1, palette.darkGreen1, palette.yellow1, palette.red1};
    return pens[i];
}
HBRUSH cellBrush(int i) {
    const HBRUSH brushes[4] = {palette.cyan, palette.darkGreen, palette.yellow, palette.red};
    return brushes[i];
}

void drawStateCells(Canvas& c, int litCell) {
    const ReadingsLayout& l = readingsLayout(shownSize);
    for (int i = 0; i < 4; ++i) {
        c.use(cellPen(i), i == litCell ? cellBrush(i) : palette.silver);
        Rectangle(c.dc, l.cellLeft[i], l.cellTop, l.cellLeft[i] + l.cellWidth, l.cellBottom);
    }
}

// The needle at the view's speed, the one at eraseIndex erased first.
void drawGauge(Canvas& c, const ReadingsView& v, int eraseIndex) {
    // The face is black, so a black needle erases the old one.
    c.use(palette.black4, palette.black);
    gaugeLine(c, needleBase[eraseIndex], needleTip[eraseIndex]);

    const int idx = gaugeIndex(v.rpm);
    c.use(palette.red4, palette.red);
    gaugeLine(c, needleBase[idx], needleTip[idx]);
    gaugeEllipse(c, 605, 150, 645, 190);

    for (int i = 0; i < MajorTickCount; ++i) {
        SelectObject(
            c.dc, tickIsRed(v.options, v.redZoneRpm, 1000, i) ? palette.red2 : palette.lightGrey2);
        gaugeLine(c, tickOuter[20 * i], majorTickInner[i]);
    }
    for (int i = 0; i < MinorTickCount; ++i) {
        SelectObject(
            c.dc, tickIsRed(v.options, v.redZoneRpm, 200, i) ? palette.red2 : palette.lightGrey2);
        gaugeLine(c, tickOuter[4 * i], minorTickInner[i]);
    }

    static const struct {
        int x, y;
        const char* s;
    } numbers[] = {
        {540, 205, "0"}, {525, 155, "1"}, {540, 110, "2"}, {570, 80, "3"},  {617, 65, "4"},
        {664, 80, "5"},  {699, 110, "6"}, {714, 155, "7"}, {699, 205, "8"},
    };
    for (const auto& n : numbers) gaugeText(c, n.x, n.y, n.s, ColourWhite);
    gaugeText(c, 575, 115, "RPM x 1000", ColourLightGrey);

    // Hub and needle once more, on top of the ticks and numbers.
    c.use(palette.red4, palette.red);
    gaugeEllipse(c, 605, 150, 645, 190);
    gaugeLine(c, needleBase[idx], needleTip[idx]);
}

// A status line is opaque over its whole rectangle; the text is not clipped.
void drawStatusLine(Canvas& c, int line, int entry, bool red) {
    const int top = StatusLineTop[line];
    RECT r = {c.px(StatusLineLeft), c.py(top), c.px(StatusLineRight), c.py(top + StatusLineHeight)};
    const wchar_t* s = entry >= 0 && entry < LanguageEntries ? entryText(entry) : L" ";
    SelectObject(c.dc, fontSmall);
    SetTextColor(c.dc, red ? ColourRed : ColourBlack);
    SetBkColor(c.dc, ColourWhite);
    drawText(c.dc, r.left, r.top, ETO_OPAQUE, &r, s, static_cast<int>(wcslen(s)));
}

// The lines and fuel box of v that are not LineUntouched or Unchanged, and
// the lamp.
void drawStatus(Canvas& c, const StatusView& v) {
    for (int i = 0; i < StatusLineCount; ++i)
        if (v.lines[i].entry != LineUntouched)
            drawStatusLine(c, i, v.lines[i].entry, v.lines[i].red);

    if (v.fuel != FuelBox::Unchanged) {
        const bool gas = v.fuel == FuelBox::Gas;
        c.use(palette.black1, gas ? palette.cyan : palette.green);
        c.rect(490, 465, 615, 505);
        if (gas)
            c.text(fontSmall, 535, 475, entryText(EntryGas), ColourBlack, ColourCyan);
        else
            c.text(fontSmall, 515, 475, entryText(EntryPetrol), ColourBlack, ColourGreen);
        SetBkColor(c.dc, ColourWhite);
    }

    const int d = readingsLayout(shownSize).lampDiameter;
    const int x = c.px(635), y = c.py(470);
    c.use(palette.black1, v.lamp == Lamp::Lit ? palette.yellow : palette.olive);
    Ellipse(c.dc, x, y, x + d, y + d);
}

COLORREF blackWhen(bool on) { return on ? ColourBlack : ColourGrey; }

// Probe B: value, then the marker with its bar cleared either side.
void drawProbeB(Canvas& c, const ReadingsView& v) {
    c.text(fontLarge, 40, 45, v.probeB, ColourBlack, ColourWhite);
    switch (v.marker) {
    case MarkerColour::DarkGreen: c.use(palette.darkGreen1, palette.darkGreen); break;
    case MarkerColour::Red: c.use(palette.red1, palette.red); break;
    default: c.use(palette.yellow1, palette.yellow); break;
    }
    const int mo = v.markerOffset;
    c.rect(mo + 140, 52, mo + 180, 73);
    silverClear(c, 140, 52, mo + 140, 73);
    silverClear(c, mo + 180, 52, 436, 73);
}

// Probe A with the state cells and the idle inertia.
void drawProbeA(Canvas& c, const ReadingsView& v) {
    drawStateCells(c, v.cells.litCell);
    const ProbeAField& a = v.probeA;
    if (a.silverClearRight) silverClear(c, 30, 155, a.silverClearRight, 195);
    c.text(fontLarge, 40, 155, a.text, ColourBlack, ColourWhite);
    c.text(fontSmall, 305, 196, v.tpsInert, ColourBlack, ColourWhite);
}

// The position bar, the start position marker, the two bands and the jump
// marker; a tick clears the marker's old place when it moved.
void drawPosition(Canvas& c, const ReadingsView& view, bool tick) {
    const int pos = view.position;
    c.text(fontLarge, 40, 265, threeDigits(pos), ColourBlack, ColourWhite);
    c.use(palette.navy1, palette.navy);
    c.rect(BarOrigin, 270, BarOrigin + pos, 290);
    silverClear(c, BarOrigin + pos, 270, BarRightEdge, 290);

    const int v = view.attInit;
    if (tick && view.attInitMoved) silverClear(c, 140, 316, 440, 360);
    c.text(fontSmall, v + 157, 315, "^", ColourBlack, ColourSilver);
    c.text(fontSmall, v + 144, 345, entryText(EntryStartMarker), ColourBlack, ColourSilver);
    c.text(fontSmall, v + 147, 326, threeDigits(v), ColourBlack, ColourWhite);

    const Band& cyan = view.cyanBand;
    const Band& red = view.redBand;
    c.use(palette.cyan1, palette.cyan);
    c.rect(cyan.left, 300, cyan.right, 305);
    c.use(palette.red1, palette.red);
    c.rect(red.left, 307, red.right, 312);
    silverClear(c, BarOrigin - 1, 300, cyan.left, 305);
    silverClear(c, cyan.right, 300, BandRightLimit, 305);
    silverClear(c, BarOrigin - 1, 307, red.left, 312);
    silverClear(c, red.right, 307, BandRightLimit, 312);

    const int j = view.jumpOffset;
    if (view.jumpShown) {
        c.use(palette.black1, palette.black);
        c.rect(j + 160, 293, j + 162, 298);
        silverClear(c, 150, 293, j + 160, 298);
        silverClear(c, j + 162, 293, 425, 298);
    } else {
        // The whole strip, so a marker switched off while shown goes too.
        silverClear(c, 150, 293, 425, 298);
    }
}

// Engine speed, the gauge when a tick moved it, the three speeds and the
// indicators.
void drawSpeeds(Canvas& c, const ReadingsView& v, bool tick) {
    c.text(fontLarge, 590, 210, fourDigits(v.rpm), ColourBlack, ColourWhite);
    const int needle = gaugeIndex(v.rpm);
    if (tick && v.needleMoved) drawGauge(c, v, v.needleBefore);

    c.text(fontSmall, 510, 265, fourDigits(v.cutOff), blackWhen(v.options & Options::CutOff),
           ColourWhite);
    c.text(fontSmall, 605, 265, fourDigits(v.switchOn), ColourBlack, ColourWhite);
    if (tick && v.redZoneMoved) {
        // New tick colours; the needle stays where it is.
        drawGauge(c, v, needle);
        drawGauge(c, v, needle);
    }
    c.text(fontSmall, 705, 265, fourDigits(v.redZoneRpm),
           blackWhen(v.options & Options::SwitchOffSpeed), ColourWhite);

    c.text(fontSmall, 590, 290, " LPG ON ", v.gasOnLit ? ColourDarkGreen : ColourBlack,
           ColourSilver);
    c.text(fontSmall, 685, 290, " LPG OFF ", v.gasOff ? ColourRed : ColourBlack, ColourSilver);
    c.text(fontSmall, 485, 290, " CUT-OFF ", v.cutOffActive ? ColourRed : ColourBlack,
           ColourSilver);
}

// Every live element of the view: a tick draws what it decided and what
// moved, a paint (over a fresh frame) every line as it stands.
void drawLive(Canvas& c, const ReadingsView& v, bool tick) {
    drawProbeB(c, v);
    drawProbeA(c, v);
    drawPosition(c, v, tick);
    drawSpeeds(c, v, tick);
    c.text(fontLarge, 490, 375, threeDigits(v.temperature), ColourBlack, ColourWhite);
    c.text(fontSmall, 705, 385, v.switchOnTemp, blackWhen(v.options & Options::SwitchOverTemp),
           ColourWhite);
    drawStatus(c, tick ? v.decided : v.status);
}

// The panel labels and units of the static frame.
void drawFrameLabels(Canvas& c) {
    static const struct {
        int x, y, entry;
        const char* s;
    } labels[] = {
        {170, 25, EntryLambdaPanel, nullptr},
        {270, 135, EntryTpsPanel, nullptr},
        {165, 245, EntryPositionPanel, nullptr},
        {135, 196, EntryTpsInertiaLabel, nullptr},
        {345, 196, -1, "V"},
        {630, 385, -1, "LPG ON:"},
        {730, 385, -1,
         "\xB0"
         "C"},
        {520, 345, EntryTemperaturePanel, nullptr},
        {150, 86, EntryLean, nullptr},
        {360, 86, EntryRich, nullptr},
    };
    for (const auto& l : labels) {
        if (l.s)
            c.text(fontSmall, l.x, l.y, l.s, ColourBlack, ColourSilver);
        else
            c.text(fontSmall, l.x, l.y, entryText(l.entry), ColourBlack, ColourSilver);
    }
    c.text(fontLarge, 110, 45, "V", ColourBlack, ColourSilver);
    c.text(fontLarge, 110, 155, "V", ColourBlack, ColourSilver);
    c.text(fontLarge, 550, 375,
           "\xB0"
           "C",
           ColourBlack, ColourSilver);
}

void drawFrameOnCanvas(Canvas& c) {
    c.use(palette.grey1, palette.grey);
    c.rect(0, 0, DesignWidth, DesignHeight);

    c.use(palette.black1, palette.silver);
    static const int panels[6][4] = {
        {20, 20, 450, 110},  {20, 130, 450, 220},  {20, 240, 450, 370},
        {20, 390, 450, 520}, {470, 340, 780, 430}, {470, 450, 780, 520},
    };
    for (const auto& p : panels) roundRect(c, p[0], p[1], p[2], p[3]);
    SelectObject(c.dc, palette.black);
    roundRect(c, 470, 20, 780, 320);  // gauge panel

    c.use(palette.black1, palette.silver);
    c.rect(135, 45, 440, 80);
    c.rect(135, 155, 440, 190);
    c.rect(135, 265, 440, 315);
    c.use(palette.grey1, palette.silver);
    c.rect(159, 268, 419, 292);
    c.use(palette.black1, palette.white);
    c.rect(29, StatusAreaTop, 442, StatusAreaBottom);

    drawStateCells(c, -1);

    drawFrameLabels(c);
    drawGauge(c, readingsView, gaugeIndex(readingsView.rpm));
}

// The controls that show part of the view: the hidden edit holds the raw
// temperature for whoever reads the page's controls.
void showViewInControls(HWND page) {
    SetDlgItemInt(page, IDC_TEMPERATURE_RAW, readingsView.temperatureRaw, FALSE);
}

void onTimer(HWND page) {
    if (!readingsPollTick()) return;
    drawReadingsOn(page);
    if (pollTimerNeedsRearm()) armPollTimer(page, PagePollTimerId);
}

void learnButtonPressed(HWND page) {
    const LearnPress press =
        learnButtonDecision(LinkState, ControllerGeneration, readingsPageData().readingsState);
    if (press == LearnPress::Ignored) return;
    if (press == LearnPress::AlreadyActive) {
        WindowDc dc(page);
        Canvas c = pageCanvas(dc.get(), palette.silver);
        const StatusLine& l = readingsView.status.lines[Line::Message];
        drawStatusLine(c, Line::Message, l.entry, l.red);
    }
    sendLearnCommand();
}

void paintContent(HWND, HDC dc) { paintReadings(dc); }

}  // namespace

void placeLearnButton(HWND page, int sizeMode, bool created) {
    HWND button = page ? GetDlgItem(page, IDC_LEARN) : nullptr;
    if (!button) return;
    const ReadingsLayout& l = readingsLayout(sizeMode);
    const ButtonPlace& b = created ? l.learnOnCreate : l.learnAfterSize;
    MoveWindow(button, b.x, b.y, b.w, b.h, TRUE);
}

void drawReadingsFrame(HDC dc) {
    Canvas c = pageCanvas(dc, palette.silver);
    drawFrameOnCanvas(c);
}

void paintReadings(HDC dc) {
    Canvas c = pageCanvas(dc, palette.silver);
    drawFrameOnCanvas(c);
    drawLive(c, readingsView, false);
}

void drawReadingsOn(HWND page) {
    if (!page) return;
    decideReadings();
    showViewInControls(page);
    WindowDc dc(page);
    Canvas c = pageCanvas(dc.get(), palette.silver);
    drawLive(c, readingsView, true);
}

void drawReadings() { drawReadingsOn(currentPage); }

INT_PTR CALLBACK readingsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM) {
    if (paintMessage(page, msg, wp, paintContent)) return TRUE;
    switch (msg) {
    case WM_INITDIALOG:
        setItemEntryText(page, IDC_LEARN, EntryLearnCaption);
        showViewInControls(page);
        // The learn button, the page's only tab stop, is not given the
        // focus: a stray Space would send the learn command.
        return FALSE;
    case WM_TIMER:
        if (wp == PagePollTimerId) onTimer(page);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_LEARN) learnButtonPressed(page);
        return FALSE;
    }
    return FALSE;
}

// ---- the page as the shell sees it ----

namespace {

// The page stands a little up and left of the main window's client area, so
// its frame's edges fall outside; the learn button goes where the layout puts
// it for the size. The page paints itself when it shows.
void onCreated(HWND page, PageCreation) {
    SetWindowPos(page, nullptr, ReadingsPageX, ReadingsPageY, static_cast<int>(winW),
                 static_cast<int>(winH), SWP_NOZORDER | SWP_NOACTIVATE);
    placeLearnButton(page, shownSize, true);
}

bool onResize(HWND page) {
    // The button of the page as it stands; the page is re-created right
    // after, and the new one's button is placed at its creation.
    placeLearnButton(page, shownSize, false);
    return false;
}

}  // namespace

extern const PageHooks readingsPage = makePageHooks(
    {IDD_READINGS, IDD_READINGS, IDD_READINGS, IDD_READINGS, IDD_READINGS}, readingsPageProc,
    OnCreate{onCreated}, OnStart{buildGaugeTables}, OnTick{onTimer}, OnResize{onResize});
