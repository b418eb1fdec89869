// The oscilloscope page: its dialog procedure and the drawing of panes,
// traces, sweep, cursor and values, straight onto the page with the shared
// pens and brushes. Each tick draws only what moved.
#include "scope/scope_page_win.h"

#include <cstdio>
#include <cstring>

#include <windows.h>
#include <mmsystem.h>

#include "link/blocks.h"
#include "link/link.h"
#include "res/resource.h"
#include "scope/scope.h"
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

const UINT FineTimerMs = 1;
// Whether this page holds the 1 ms resolution: given back only when it was
// granted. One page at a time, so one flag.
bool fineTimerHeld = false;

void holdFineTimer() {
    if (!fineTimerHeld) fineTimerHeld = scopeTimerResolution.begin(FineTimerMs) == TIMERR_NOERROR;
}

void releaseFineTimer() {
    if (fineTimerHeld) scopeTimerResolution.end(FineTimerMs);
    fineTimerHeld = false;
}

COLORREF buttonFace() { return GetSysColor(COLOR_BTNFACE); }

// The same pixel columns across the band of every pane.
void bands(Canvas& c, Span s) {
    for (const Pane& p : Panes)
        Rectangle(c.dc, s.left, c.py(p.bandTop), s.right, c.py(p.bandBottom));
}

// Pixels by which the widest-reaching digit of the current font passes its
// cell; measured once per font.
int digitOverhang(HDC dc) {
    static HGDIOBJ measured = nullptr;
    static int overhang = 0;
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    if (font == measured) return overhang;
    ABC abc[10];
    overhang = 0;
    if (GetCharABCWidthsA(dc, '0', '9', abc))
        for (const ABC& a : abc)
            if (-a.abcC > overhang) overhang = -a.abcC;
    measured = font;
    return overhang;
}

// A value on its white box. The box reaches past the text by as far as any
// digit's ink does, or a wider digit drawn before would leave a trace.
void value(Canvas& c, int x, int y, const FieldText& f) {
    SelectObject(c.dc, fontLarge);
    SetTextColor(c.dc, ColourBlack);
    SetBkColor(c.dc, ColourWhite);
    SetBkMode(c.dc, OPAQUE);
    const std::wstring digits = asciiWide(f.text).substr(0, static_cast<size_t>(f.count));
    SIZE size = {0, 0};
    GetTextExtentPoint32W(c.dc, digits.c_str(), static_cast<int>(digits.size()), &size);
    const RECT box = {c.px(x), c.py(y), c.px(x) + size.cx + digitOverhang(c.dc), c.py(y) + size.cy};
    drawText(c.dc, c.px(x), c.py(y), ETO_OPAQUE, &box, digits.c_str(),
             static_cast<int>(digits.size()));
}

// A language text, on the page's own face unless told otherwise.
void entry(Canvas& c, HFONT font, int x, int y, int textEntry, COLORREF ink,
           COLORREF paper = buttonFace()) {
    c.text(font, x, y, entryText(textEntry), ink, paper);
}

HPEN tracePen(int t) {
    const HPEN pens[TraceCount] = {palette.olive2, palette.green2, palette.darkGreen1,
                                   palette.blue2, palette.navy2};
    return pens[t];
}

bool traceShown(int t) { return t != TraceStart || scope.secondTrace; }

void drawPanes(Canvas& c) {
    c.use(palette.black1, palette.white);
    for (const Pane& p : Panes) c.rect(PaneLeft, p.top, PaneRight, p.bottom);
}

void drawLabels(Canvas& c) {
    entry(c, fontSmall, 50, 60, EntryScopeLambda, ColourOlive);
    if (const char* probe = probeTypeText(ConfigA.lambdaType)) {
        const int n = static_cast<int>(strnlen(probe, ProbeTypeTextCount));
        c.text(fontSmall, 50, 90, probe, n, ColourBlack, buttonFace());
    }
    entry(c, fontSmall, 50, 420, tpsTypeEntry(ConfigA.lambdaType), ColourBlack);
    entry(c, fontSmall, 50, 190, EntryScopeAnd, ColourBlack);
    entry(c, fontSmall, 50, 320, EntryScopeSpeedScale, ColourBlack);
    entry(c, fontLarge, 700, 70, EntryScopeVoltUnit, ColourBlack);
    entry(c, fontSmall, 710, 190, EntryScopePositionUnit, ColourBlack);
    entry(c, fontSmall, 710, 300, EntryScopeSpeedUnit, ColourBlack);
    entry(c, fontSmall, 50, 170, EntryScopePosition, ColourGreen);
    entry(c, fontSmall, 50, 210, EntryScopeStartPosition, ColourDarkGreen);
    entry(c, fontSmall, 50, 300, EntryScopeSpeed, ColourBlue);
    entry(c, fontSmall, 50, 400, EntryScopeTps, ColourNavy);
}

// Seconds under the panes: a dot and a label every 46 columns.
void drawTimeAxis(Canvas& c) {
    entry(c, fontSmall, 130, 490, EntryScopeTimeAxis, ColourBlack);
    for (int i = 0; i <= 8; ++i) {
        char label[8];
        snprintf(label, sizeof label, "%02ld", 2L * i);
        c.text(fontSmall, 203 + 46 * i, 470, ".", 1, ColourBlack, buttonFace());
        c.text(fontSmall, 196 + 46 * i, 490, label, static_cast<int>(strlen(label)), ColourBlack,
               buttonFace());
    }
}

void showCursorBar(HWND page) {
    ShowWindow(GetDlgItem(page, IDC_SCOPE_CURSOR_BAR), scope.cursorMode ? SW_SHOW : SW_HIDE);
}

void setUpControls(HWND page) {
    CheckDlgButton(page, IDC_SCOPE_CURSOR, scope.cursorMode ? BST_CHECKED : BST_UNCHECKED);
    showCursorBar(page);
    HWND bar = GetDlgItem(page, IDC_SCOPE_CURSOR_BAR);
    SetScrollRange(bar, SB_CTL, CursorMin, CursorMax, FALSE);
    SetScrollPos(bar, SB_CTL, scope.cursor, TRUE);
}

// The panes, labels and time axis, under the traces.
void drawStaticFrame(Canvas& c) {
    drawPanes(c);
    drawLabels(c);
    drawTimeAxis(c);
}

POINT shownPixel(int t, int j) {
    const TracePoint p = shownPoint(t, j);
    return {p.x, p.y};
}

void redrawTraces(Canvas& c) {
    drawPanes(c);
    POINT pts[RedrawLast - RedrawFirst + 1];
    for (Trace t : RedrawOrder) {
        if (!traceShown(t)) continue;
        for (int j = RedrawFirst; j <= RedrawLast; ++j) pts[j - RedrawFirst] = shownPixel(t, j);
        SelectObject(c.dc, tracePen(t));
        Polyline(c.dc, pts, RedrawLast - RedrawFirst + 1);
    }
}

void drawSweepLine(Canvas& c, int column) {
    c.use(palette.red1, palette.red);
    bands(c, sweepLine(column, c.sx));
}

void drawSample(Canvas& c, const SamplePlan& plan) {
    const int nudge = sweepNudge(shownSize);
    c.use(palette.white1, palette.white);
    if (plan.eraseLeftEdge) bands(c, leftEdgeStrip(c.sx, nudge));
    drawSweepLine(c, plan.column);
    c.use(palette.white1, palette.white);
    bands(c, sweepErase(plan.column, c.sx, nudge));
    for (int t = 0; t < TraceCount; ++t) {
        if (!plan.drawn[t]) continue;
        const Segment& s = plan.segments[t];
        SelectObject(c.dc, tracePen(t));
        MoveToEx(c.dc, s.x1, s.y1, nullptr);
        LineTo(c.dc, s.x2, s.y2);
    }
    if (plan.wrapped) {
        c.use(palette.white1, palette.white);
        bands(c, wrapEraseRight(c.sx));
        bands(c, wrapEraseLeft(c.sx, nudge));
    }
}

// Petrol or gas. Drawn every tick, so its inside is filled and lettered in
// one call and the legend never blinks.
void drawFuelBox(Canvas& c, bool onGas) {
    const RECT outer = {c.px(630), c.py(465), c.px(755), c.py(505)};
    const RECT inside = {outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
    const wchar_t* legend = entryText(onGas ? EntryGas : EntryPetrol);
    SelectObject(c.dc, fontSmall);
    SetTextColor(c.dc, ColourBlack);
    SetBkColor(c.dc, onGas ? ColourCyan : ColourGreen);
    drawText(c.dc, c.px(onGas ? 675 : 655), c.py(475), ETO_OPAQUE | ETO_CLIPPED, &inside, legend,
             static_cast<int>(wcslen(legend)));
    FrameRect(c.dc, &outer, palette.black);
}

// The values beside the panes and the fuel box.
void drawValues(Canvas& c, const ScopeValues& v, bool cursorView) {
    value(c, 630, 70, v.lambda);
    value(c, 630, 180, v.position);
    value(c, 630, 290, v.speed);
    value(c, 630, 400, v.tps);
    if (v.unit == TpsUnit::Volt) {
        c.text(fontLarge, 700, 400, "V", 1, ColourBlack, buttonFace());
    } else if (v.unit == TpsUnit::Blank) {
        c.use(palette.white1, palette.white);
        if (cursorView)
            c.rect(686, 400, 695, 436);
        else
            Rectangle(c.dc, c.px(676), c.py(400), c.px(698), roundUpAboveHalf(436 * c.sy));
    }

    drawFuelBox(c, v.onGas);
}

ScopeValues shownValues() {
    if (scope.cursorMode) return historyValues(scope.history[scope.cursor], ConfigA.lambdaType);
    return liveValues(Live, ConfigA);
}

// The cursor over the recorded traces, with the values recorded there.
void drawCursorView(Canvas& c) {
    const int p = scope.cursor;
    c.use(palette.black1, palette.white);
    bands(c, cursorLine(p, c.sx));
    if (p != scope.cursorDrawn) {
        c.use(palette.white1, palette.white);
        bands(c, cursorLine(scope.cursorDrawn, c.sx));
        const int first = restoreFirstPoint(scope.cursorDrawn);
        for (Trace t : RedrawOrder) {
            if (!traceShown(t)) continue;
            POINT pts[3];
            for (int k = 0; k < 3; ++k) pts[k] = shownPixel(t, first + k);
            SelectObject(c.dc, tracePen(t));
            Polyline(c.dc, pts, 3);
        }
        scopeState().cursorDrawn = p;
    }
    drawSweepLine(c, scope.column);
    drawValues(c, historyValues(scope.history[p], ConfigA.lambdaType), true);
}

void placeControls(HWND page) {
    ButtonPlace p;
    if (cursorBarPlace(shownSize, &p))
        MoveWindow(GetDlgItem(page, IDC_SCOPE_CURSOR_BAR), p.x, p.y, p.w, p.h, TRUE);
    if (cursorBoxPlace(shownSize, &p))
        MoveWindow(GetDlgItem(page, IDC_SCOPE_CURSOR), p.x, p.y, p.w, p.h, TRUE);
}

void onTimer(HWND page) {
    const ScopeTick tick = scopePollTick();
    if (tick == ScopeTick::Skipped) return;
    {
        WindowDc dc(page);
        Canvas c = pageCanvas(dc.get(), palette.white);
        if (tick == ScopeTick::CursorView) {
            drawCursorView(c);
        } else {
            if (tick == ScopeTick::Acquire) drawSample(c, acquireSample(Live, ConfigA, c.sx, c.sy));
            drawValues(c, liveValues(Live, ConfigA), false);
        }
    }
    showCursorBar(page);
    if (scopeTimerNeedsRearm()) armPollTimer(page, PagePollTimerId);
}

// The page's paint: frame, traces and the values shown now.
void paintContent(HWND, HDC dc) {
    Canvas c = pageCanvas(dc, palette.white);
    drawStaticFrame(c);
    redrawTraces(c);
    drawValues(c, shownValues(), scope.cursorMode);
}

void onCursorBox(HWND page) {
    scopeState().cursorMode = IsDlgButtonChecked(page, IDC_SCOPE_CURSOR) == BST_CHECKED;
    showCursorBar(page);
    // The whole page again at once: the cursor goes, the traces come back.
    InvalidateRect(page, nullptr, FALSE);
    UpdateWindow(page);
}

CursorMove cursorMove(int code) {
    switch (code) {
    case SB_LINELEFT: return CursorMove::LineLeft;
    case SB_LINERIGHT: return CursorMove::LineRight;
    case SB_PAGELEFT: return CursorMove::PageLeft;
    case SB_PAGERIGHT: return CursorMove::PageRight;
    case SB_THUMBTRACK: return CursorMove::Thumb;
    default: return CursorMove::Other;
    }
}

void onScroll(HWND bar, WPARAM wp) {
    scopeState().cursor = moveCursor(scopeState().cursor, cursorMove(LOWORD(wp)), HIWORD(wp));
    SetScrollPos(bar, SB_CTL, scope.cursor, TRUE);
}

}  // namespace

TimerResolutionCalls scopeTimerResolution = {timeBeginPeriod, timeEndPeriod};

void scopeResetTraces() { resetScopeTraces(dashboardScale.sx, dashboardScale.sy); }

void scopePageStart(HWND page) {
    scopeResetTraces();
    // Block 3 is read first so that the probe and sensor texts are current.
    if (frameMayReadConfig()) readConfigABlock();
    setItemEntryText(page, IDC_SCOPE_CURSOR, EntryValueCursor);
    setUpControls(page);
    placeControls(page);
    scopeState().column = SweepStart;
}

void drawScopeSampleOn(HWND page) {
    WindowDc dc(page);
    Canvas c = pageCanvas(dc.get(), palette.white);
    drawSample(c, acquireSample(Live, ConfigA, c.sx, c.sy));
    drawValues(c, liveValues(Live, ConfigA), false);
}

INT_PTR CALLBACK scopePageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (paintMessage(page, msg, wp, paintContent)) return TRUE;
    switch (msg) {
    case WM_INITDIALOG: holdFineTimer(); return TRUE;
    case WM_TIMER:
        if (wp == PagePollTimerId) onTimer(page);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_SCOPE_CURSOR) onCursorBox(page);
        return FALSE;
    case WM_HSCROLL: {
        HWND bar = reinterpret_cast<HWND>(lp);
        if (bar && GetDlgCtrlID(bar) == IDC_SCOPE_CURSOR_BAR) onScroll(bar, wp);
        return FALSE;
    }
    case WM_DESTROY:
        // Also when the main window goes: its children are destroyed with it.
        releaseFineTimer();
        // The next page polls at the link's own rate.
        releasePollInterval();
        return FALSE;
    }
    return FALSE;
}

// ---- the page as the shell sees it ----

namespace {

void onCreated(HWND page, PageCreation) { scopePageStart(page); }

}  // namespace

extern const PageHooks scopePage =
    makePageHooks({IDD_SCOPE, IDD_SCOPE, IDD_SCOPE, IDD_SCOPE, IDD_SCOPE}, scopePageProc,
                  OnCreate{onCreated}, OnStart{scopeResetTraces}, OnTick{onTimer});
