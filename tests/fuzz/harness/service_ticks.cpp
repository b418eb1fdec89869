// The oscilloscope page, the factory reset page and the device information
// dialog: their ticks, presses and clicks, with what the drawing would use
// checked and every write watched.
#include <cstring>

#include "link/blocks.h"
#include "link/parameters.h"
#include "link/link.h"
#include "shell/sizes.h"
#include "scope/scope.h"
#include "service/device_info.h"
#include "service/reset.h"
#include "shell/app_state.h"
#include "tests/fuzz/harness/page_parts.h"
#include "tests/fuzz/harness/write_watch.h"

namespace {

// ---- oscilloscope ----

void checkValues(const ScopeValues& v) {
    checkText(v.lambda);
    checkText(v.position);
    checkText(v.speed);
    checkText(v.tps);
    FUZZ_CHECK(v.unit == TpsUnit::Volt || v.unit == TpsUnit::None || v.unit == TpsUnit::Blank);
}

void checkSpan(Span s) { FUZZ_CHECK(s.left <= s.right); }

// The labels the static frame draws from block 3; it reads that block first
// when the page starts or changes size.
void staticFrame(bool read) {
    if (read) {
        WriteWatch quiet(WatchMode::Exchanges, NoWriteAllowed);
        if (frameMayReadConfig()) readConfigABlock();
    }
    if (const char* probe = probeTypeText(ConfigA.lambdaType))
        FUZZ_CHECK(strnlen(probe, ProbeTypeTextCount) > 0);
    checkEntry(tpsTypeEntry(ConfigA.lambdaType));
}

// A full redraw: points RedrawFirst..RedrawLast of every trace.
void redrawTraces() {
    FUZZ_CHECK(RedrawFirst >= 1 && RedrawLast < PointCount);
    for (int t = 0; t < TraceCount; ++t)
        FUZZ_CHECK(shownPoint(t, RedrawFirst).y == shownPoint(t, 4).y);
}

// Each trace's new point inside its pane's band, the sweep inside the panes.
void checkSample(const SamplePlan& plan) {
    const double sx = dashboardScale.sx, sy = dashboardScale.sy;
    FUZZ_CHECK(plan.column > SweepRestart && plan.column <= SweepLastColumn + 1);
    FUZZ_CHECK(scope.column >= SweepRestart && scope.column <= SweepLastColumn);
    for (int t = 0; t < TraceCount; ++t) {
        const Pane& p = Panes[paneOf(static_cast<Trace>(t))];
        const Segment& s = plan.segments[t];
        FUZZ_CHECK(s.y2 >= scaleCoord(p.bandTop, sy) && s.y2 <= scaleCoord(p.baseline, sy));
        FUZZ_CHECK(s.x1 >= scaleCoord(PaneLeft, sx) && s.x2 <= scaleCoord(PaneRight, sx));
    }
    const int nudge = sweepNudge(shownSize);
    checkSpan(sweepLine(plan.column, sx));
    FUZZ_CHECK(sweepLine(plan.column, sx).right <= scaleCoord(PaneRight, sx));
    checkSpan(sweepErase(plan.column, sx, nudge));
    checkSpan(leftEdgeStrip(sx, nudge));
    if (plan.wrapped) {
        checkSpan(wrapEraseRight(sx));
        checkSpan(wrapEraseLeft(sx, nudge));
    }
}

void cursorView() {
    const int p = scope.cursor;
    FUZZ_CHECK(p >= CursorMin && p <= CursorMax);
    checkSpan(cursorLine(p, dashboardScale.sx));
    if (p != scope.cursorDrawn) {
        // Three points are drawn again where the cursor stood.
        const int first = restoreFirstPoint(scope.cursorDrawn);
        FUZZ_CHECK(first >= 1 && first + 2 < PointCount);
        scopeState().cursorDrawn = p;
    }
    checkValues(historyValues(scope.history[p], ConfigA.lambdaType));
}

void scopePaint() {
    setArmedInterval(PollInterval);
    staticFrame(false);
    redrawTraces();
    checkValues(scope.cursorMode ? historyValues(scope.history[scope.cursor], ConfigA.lambdaType)
                                 : liveValues(Live, ConfigA));
}

// The page was started and its static frame is still to be drawn.
bool framePending = false;
// Shown since the last reset; the program starts with the state reset.
bool scopeUsed = true;

void drawPendingFrame() {
    if (!framePending) return;
    framePending = false;
    staticFrame(true);
    redrawTraces();
}

const CursorMove Moves[] = {CursorMove::LineLeft,  CursorMove::LineRight, CursorMove::PageLeft,
                            CursorMove::PageRight, CursorMove::Thumb,     CursorMove::Other};

// The shell re-creates the page at the new size.
void scopeResize(int sizeMode) {
    scopeHide();
    appState().shownSize = sizeMode;
    appState().dashboardScale.sx = windowSize(sizeMode).sx;
    appState().dashboardScale.sy = windowSize(sizeMode).sy;
    ButtonPlace place;
    if (cursorBarPlace(sizeMode, &place)) FUZZ_CHECK(place.w > 0 && place.h > 0);
    if (cursorBoxPlace(sizeMode, &place)) FUZZ_CHECK(place.w > 0 && place.h > 0);
    scopeShow();
}

// ---- factory reset ----

int lastProgress;
int progressReports;

// 0 at the start, then each confirmed restore write's position in turn.
void progress(int position) {
    FUZZ_CHECK(position >= 0 && position <= ResetProgressMax);
    if (progressReports > 0) FUZZ_CHECK(position == lastProgress + (progressReports > 1));
    lastProgress = position;
    ++progressReports;
}

// The command needs the refusal to have looked at a live block; the
// restore writes back what the four blocks hold.
unsigned resetSources(int address) {
    if (address == Addr::Command) return FromLive;
    return FromLive | FromConfigA | FromConfigB | FromExtended;
}

// ---- device information ----

bool textFits(const char* s) { return strnlen(s, InfoTextSize) < InfoTextSize; }

void checkInfoView(const DeviceInfoView& v) {
    if (v.versionEntry != -1) checkEntry(v.versionEntry);
    FUZZ_CHECK(textFits(v.version) && textFits(v.timeOnGas) && textFits(v.date) &&
               textFits(v.registration));
    checkEntry(v.registrationButtonEntry);
    checkEntry(v.dateButtonEntry);
    // An armed edit belongs to a generation-3 controller that answers.
    if (v.mode != InfoMode::Generation3) FUZZ_CHECK(!registrationEditing && !dateEditing);
    FUZZ_CHECK(!v.dateListsShown || dateEditing);
}

// Days of month m (0..11) in year index y (2000 + y); every fourth year of
// the lists' range is a leap year.
int daysIn(int m, int y) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 1 && y % 4 == 0 ? 29 : days[m];
}

bool isListDate(const DatePick& p) {
    return p.yearIndex >= 0 && p.yearIndex < ListYears && p.monthIndex >= 0 &&
           p.monthIndex < ListMonths && p.dayIndex >= 0 &&
           p.dayIndex < daysIn(p.monthIndex, p.yearIndex);
}

struct InfoAction {
    int what;
    DatePick pick;
    char text[10];
    CalendarDate today;
};

InfoAction readInfoAction(FuzzInput& in, int a) {
    InfoAction x = {};
    x.what = (a - 1) % 5;
    x.pick = {pickIndex(in), pickIndex(in), pickIndex(in)};
    const size_t n = in.byte() % sizeof x.text;
    in.bytes(reinterpret_cast<uint8_t*>(x.text), n);
    x.text[sizeof x.text - 1] = '\0';
    x.today = {1990 + in.byte(), in.byte() % 14, in.byte() % 33};
    return x;
}

// The controls as the dialog's last tick left them: nothing else talks to
// the controller while it is open, so the view of now is that view.
bool infoControlsEnabled() { return deviceInfoView().controlsEnabled; }

void infoDateButton(const DatePick& pick) {
    if (!infoControlsEnabled()) return;
    if (!dateEditing) {
        const DateArming a = armDateEdit();
        FUZZ_CHECK(a.dayCount >= 28 && a.dayCount <= MaxDays);
        FUZZ_CHECK(isListDate(a.pick) && a.pick.dayIndex < a.dayCount);
        return;
    }
    WriteWatch watch(WatchMode::Writes, FromNothing);
    const bool sent = sendDateEdit(pick);
    FUZZ_CHECK(sent == isListDate(pick));
    FUZZ_CHECK(watch.writes() <= (sent ? 2 : 0));
}

void infoRegistrationButton(const char* text) {
    if (!infoControlsEnabled()) return;
    if (!registrationEditing) return armRegistrationEdit();
    WriteWatch watch(WatchMode::Writes, FromNothing);
    sendRegistrationEdit(text);
    FUZZ_CHECK(watch.writes() <= static_cast<int>(sizeof(ExtendedBlock::registration)));
}

void infoClear() {
    if (!infoControlsEnabled()) return;
    WriteWatch watch(WatchMode::Writes, FromNothing);
    clearTimeOnGas();
    FUZZ_CHECK(watch.writes() <= 3);
}

void infoReopen(CalendarDate today) {
    deviceInfoHide();
    deviceInfoOpen(today);
    setServiceDialogOpen(true);
    const CalendarDate d = deviceInfoToday();
    FUZZ_CHECK(d.year >= FirstListYear && d.year <= LastListYear);
    FUZZ_CHECK(isListDate({d.year - FirstListYear, d.month - 1, d.day - 1}));
}

}  // namespace

// ---- oscilloscope ----

void scopeReset() {
    framePending = false;
    // Its traces take a while to reset, and only a page shown changed them.
    if (!scopeUsed) return;
    resetScopeState();
    scopeUsed = false;
}

// As the shell starts the page: empty traces, the static frame, the sweep
// from its first column. The frame's read of block 3
// waits for the first tick to have read its own bytes (page_ticks.h).
void scopeShow() {
    scopeUsed = true;
    resetScopeTraces(dashboardScale.sx, dashboardScale.sy);
    framePending = true;
    scopeState().column = SweepStart;
}

// The next page polls at the link's own rate.
void scopeHide() {
    releasePollInterval();
    FUZZ_CHECK(PollInterval == FastPollInterval || PollInterval == SlowPollInterval);
}

void scopeTimer() {
    drawPendingFrame();
    const int before = framesSent();
    ScopeTick t;
    {
        WriteWatch quiet(WatchMode::Exchanges, NoWriteAllowed);
        t = scopePollTick();
    }
    if (t == ScopeTick::Skipped || t == ScopeTick::CursorView) FUZZ_CHECK(framesSent() == before);
    if (t == ScopeTick::Skipped) return;
    if (t == ScopeTick::CursorView) {
        cursorView();
    } else {
        if (t == ScopeTick::Acquire)
            checkSample(acquireSample(Live, ConfigA, dashboardScale.sx, dashboardScale.sy));
        checkValues(liveValues(Live, ConfigA));
    }
    if (scopeTimerNeedsRearm()) setArmedInterval(PollInterval);
}

// Input: 0 for no action, else (modulo 5) the cursor box, a move of the
// cursor bar (code, thumb), a paint, a new size, or a while later: the sweep
// has moved on to a column of the two bytes' choosing (as many samples would
// take it there); the two bytes after the action byte are always read.
void scopeTick(FuzzInput& in) {
    const int a = in.byte();
    if (a != 0) {
        const uint8_t b1 = in.byte(), b2 = in.byte();
        drawPendingFrame();
        switch ((a - 1) % 5) {
        case 0:
            scopeState().cursorMode = !scopeState().cursorMode;
            redrawTraces();
            break;
        case 1: scopeState().cursor = moveCursor(scopeState().cursor, Moves[b1 % 6], b2 * 2); break;
        case 2: scopePaint(); break;
        case 3: scopeResize(1 + b1 % 5); break;
        case 4:
            scopeState().column =
                SweepRestart + (b1 << 8 | b2) % (SweepLastColumn - SweepRestart + 1);
            break;
        }
    }
    scopeTimer();
}

// ---- factory reset ----

// Input: 0 for no action, else the button is pressed. The page has no timer.
void resetPageTick(FuzzInput& in) {
    if (in.byte() == 0) return;
    lastProgress = 0;
    progressReports = 0;
    WriteWatch watch(WatchMode::Exchanges, resetSources);
    const ResetOutcome r = runFactoryReset(progress);
    FUZZ_CHECK(progressReports >= 1);
    if (r == ResetOutcome::Refused || r == ResetOutcome::NotServed) FUZZ_CHECK(watch.writes() == 0);
    if (r != ResetOutcome::Done) return;
    // Done means every write was answered, so every one reached the port.
    if (ControllerGeneration == 3) {
        FUZZ_CHECK(watch.writes() == 1 + RestoreCount);
        FUZZ_CHECK(lastProgress == ResetProgressMax);
    } else {
        FUZZ_CHECK(ControllerGeneration == 1 && watch.writes() == 1);
        FUZZ_CHECK(WriteReply.value == ResetConfirmed);
    }
}

// ---- device information ----

void deviceInfoReset() { deviceInfoOpen({FirstListYear, 1, 1}); }

void deviceInfoShow() {
    deviceInfoOpen({2024, 2, 29});
    setServiceDialogOpen(true);
}

void deviceInfoHide() { setServiceDialogOpen(false); }

void deviceInfoTimer() {
    DeviceInfoView v;
    {
        WriteWatch quiet(WatchMode::Exchanges, NoWriteAllowed);
        v = deviceInfoTick();
    }
    checkInfoView(v);
}

// Input: 0 for no action, else (modulo 5) the date button, the
// registration button, the clear button, the dialog opened again on another
// day, or a new year or month; then always the three date list selections,
// the registration text (a length, then its bytes) and the day of opening
// (year - 1990, month, day, taken as they come).
void deviceInfoTick(FuzzInput& in) {
    const int a = in.byte();
    if (a != 0) {
        const InfoAction x = readInfoAction(in, a);
        switch (x.what) {
        case 0: infoDateButton(x.pick); break;
        case 1: infoRegistrationButton(x.text); break;
        case 2: infoClear(); break;
        case 3: infoReopen(x.today); break;
        case 4: {
            const int days = monthLength(x.pick.monthIndex, x.pick.yearIndex);
            FUZZ_CHECK(days >= 28 && days <= MaxDays);
            break;
        }
        }
    }
    deviceInfoTimer();
}
