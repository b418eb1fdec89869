#include "scope/scope.h"

#include <cstring>

#include "link/link.h"
#include "link/poll_plan.h"
#include "shell/app_state.h"
#include "shell/language_entries.h"

// Outline, band and baseline of each pane, top to bottom.
const Pane Panes[PaneCount] = {
    {40, 140, 43, 137, 130},
    {150, 250, 153, 247, 240},
    {260, 360, 263, 357, 350},
    {370, 470, 373, 467, 460},
};

const Trace RedrawOrder[TraceCount] = {TraceLambda, TraceStart, TracePosition, TraceSpeed,
                                       TraceTps};

namespace {

int capped(int h) { return h > PaneHeightCap ? PaneHeightCap : h; }

// One set of printed values, whichever moment they come from.
struct ValueSource {
    uint8_t voltageB, position;
    int rpm;
    uint8_t voltageA;
    uint8_t tpsLambdaType;    // chooses how the throttle sensor is shown
    uint8_t probeLambdaType;  // chooses 5 - V for the lambda voltage
    uint8_t switchOff;        // FlagsA::SwitchOff or 0
    bool onGas;
};

TpsUnit tpsUnit(uint8_t lambdaType) {
    switch (tpsType(lambdaType)) {
    case 2:
    case 3: return TpsUnit::None;  // no sensor value: "_.__" stands alone
    case 6:
    case 7: return TpsUnit::Blank;  // a switch reads ON or OFF
    default: return TpsUnit::Volt;
    }
}

ScopeValues valuesFrom(const ValueSource& s) {
    ScopeValues v;
    v.lambda = probeBText(s.voltageB, s.probeLambdaType);
    v.position = threeDigits(s.position);
    v.speed = fourDigits(s.rpm);
    v.tps = probeAField(s.voltageA, s.tpsLambdaType, s.switchOff).text;
    v.unit = tpsUnit(s.tpsLambdaType);
    v.onGas = s.onGas;
    return v;
}

ScopeState startState() {
    ScopeState s = {};
    s.column = SweepStart;
    s.cursor = CursorMin;
    s.secondTrace = true;
    return s;
}

}  // namespace

namespace {
ScopeState scopeOwned = startState();
}

const ScopeState& scope = scopeOwned;
ScopeState& scopeState() { return scopeOwned; }

int paneOf(Trace t) {
    static const int panes[TraceCount] = {0, 1, 1, 2, 3};
    return panes[t];
}

// ---- heights ----

int lambdaHeight(uint8_t voltageB, uint8_t lambdaType) {
    int h = voltageB * 15 / 10;
    // The 0-5 V probes swing five times as far as the 0-1 V one.
    if (probeType(lambdaType) != 0) h /= 5;
    return capped(h);
}

int positionHeight(uint8_t position) { return roundUpAboveHalf(position / 3); }

int speedHeight(int rpm) { return capped(roundUpAboveHalf(rpm / 100)); }

int tpsHeight(uint8_t voltageA, uint8_t lambdaType) {
    // Sensors of odd type read falling voltages; type 7 is a switch.
    const bool inverted = (lambdaType & 0x01) && (lambdaType & 0x07) != 0x07;
    const int e = inverted ? 255 - voltageA : voltageA;
    return roundUpAboveHalf(e / 3.1);
}

void sampleHeights(const LiveBlock& live, const ConfigABlock& configA, int out[TraceCount]) {
    out[TraceLambda] = lambdaHeight(live.voltageB, configA.lambdaType);
    out[TracePosition] = positionHeight(live.position);
    out[TraceStart] = positionHeight(live.attInit);
    out[TraceSpeed] = speedHeight(engineSpeedShown(live));
    out[TraceTps] = tpsHeight(live.voltageA, configA.lambdaType);
}

// ---- points, history, sweep ----

void resetScopeTraces(double sx, double sy) {
    memset(scopeState().history, 0, sizeof scopeState().history);
    for (int t = 0; t < TraceCount; ++t) {
        const int base = scaleCoord(Panes[paneOf(static_cast<Trace>(t))].baseline, sy);
        for (int j = 0; j < PointCount; ++j)
            scopeState().points[t][j] = {scaleCoord(FirstPointX + j, sx), base};
        scopeState().previousY[t] = base;
    }
}

void resetScopeState() {
    scopeState().column = SweepStart;
    scopeState().cursor = CursorMin;
    scopeState().cursorDrawn = 0;
    scopeState().cursorMode = false;
    scopeState().secondTrace = true;
    scopeState().fetchedBlocks = 0;
    resetScopeTraces(dashboardScale.sx, dashboardScale.sy);
}

TracePoint shownPoint(int t, int j) {
    TracePoint p = scope.points[t][j];
    if (j >= 1 && j <= 3) p.y = scope.points[t][4].y;
    return p;
}

int sweepNudge(int sizeMode) { return sizeMode == 1 ? 1 : 0; }

// The sweep line runs two columns ahead of the sample, over the strip that
// the next samples will draw into.
Span sweepLine(int column, double sx) {
    const int x = scaleCoord(column + 2, sx);
    return {x, x + 1};
}

Span sweepErase(int column, double sx, int nudge) {
    return {scaleCoord(column + nudge, sx), scaleCoord(column + 2, sx)};
}

// Columns 199..203, right of the pane's outline, where the wrap ends.
Span leftEdgeStrip(double sx, int nudge) {
    return {scaleCoord(199 - nudge, sx) + nudge, scaleCoord(204, sx)};
}

// The sweep line drawn after the last sample, at column 598.
Span wrapEraseRight(double sx) { return {scaleCoord(598, sx), scaleCoord(599, sx)}; }

Span wrapEraseLeft(double sx, int nudge) {
    return {scaleCoord(199, sx) + nudge, scaleCoord(203, sx)};
}

Span cursorLine(int position, double sx) {
    const int x = scaleCoord(position + FirstPointX, sx);
    return {x, x + 1};
}

SamplePlan acquireSample(const LiveBlock& live, const ConfigABlock& configA, double sx, double sy) {
    SamplePlan plan;
    const int col = ++scopeState().column;
    plan.column = col;
    plan.eraseLeftEdge = col > FlatStartColumn;

    int h[TraceCount];
    sampleHeights(live, configA, h);
    int y[TraceCount];
    for (int t = 0; t < TraceCount; ++t) {
        y[t] = scaleCoord(Panes[paneOf(static_cast<Trace>(t))].baseline - h[t], sy);
        plan.drawn[t] = t != TraceStart || scope.secondTrace;
        // The first sample after a start or a wrap joins nothing on its left.
        if (col == FlatStartColumn) scopeState().previousY[t] = y[t];
        plan.segments[t] = {scaleCoord(col - 1, sx), scope.previousY[t], scaleCoord(col, sx), y[t]};
        if (plan.drawn[t]) scopeState().previousY[t] = y[t];
    }

    plan.wrapped = col > SweepLastColumn;
    if (plan.wrapped) scopeState().column = SweepRestart;

    const int j = scope.column - 200;
    for (int t = 0; t < TraceCount; ++t)
        if (plan.drawn[t]) scopeState().points[t][j].y = y[t];
    scopeState().history[j] = {live.voltageB,
                               live.position,
                               live.attInit,
                               engineSpeedShown(live),
                               live.voltageA,
                               configA.lambdaType,
                               static_cast<uint8_t>(live.flagsA & FlagsA::SwitchOff),
                               live.flagsB};
    return plan;
}

// ---- cursor ----

int moveCursor(int position, CursorMove move, int thumb) {
    int p = position;
    switch (move) {
    case CursorMove::LineLeft: p -= 1; break;
    case CursorMove::LineRight: p += 1; break;
    case CursorMove::PageLeft: p -= CursorPage; break;
    case CursorMove::PageRight: p += CursorPage; break;
    case CursorMove::Thumb: p = thumb; break;
    case CursorMove::Other: break;
    }
    if (p < CursorMin) p = CursorMin;
    if (p > CursorMax) p = CursorMax;
    return p;
}

int restoreFirstPoint(int cursorDrawn) { return cursorDrawn == 0 ? 1 : cursorDrawn; }

// ---- values ----

ScopeValues liveValues(const LiveBlock& live, const ConfigABlock& configA) {
    return valuesFrom({live.voltageB, live.position, engineSpeedShown(live), live.voltageA,
                       configA.lambdaType, configA.lambdaType,
                       static_cast<uint8_t>(live.flagsA & FlagsA::SwitchOff),
                       (live.flagsB & FlagsB::OnGas) != 0});
}

ScopeValues historyValues(const ScopeHistoryEntry& e, uint8_t currentLambdaType) {
    return valuesFrom({static_cast<uint8_t>(e.voltageB), static_cast<uint8_t>(e.position), e.rpm,
                       static_cast<uint8_t>(e.voltageA), e.lambdaType, currentLambdaType,
                       e.switchOff, (e.flagsB & FlagsB::OnGas) != 0});
}

// ---- static frame texts ----

const char* probeTypeText(uint8_t lambdaType) {
    static const char* const texts[6] = {
        "0 - 1 V       ",    "0 - 5 V  '-'     ", "0 - 5 V  '+'     ",
        "5 - 0 V  '-'     ", "5 - 0 V  '+'     ", "0,8 - 1,6 V   ",
    };
    const int type = probeType(lambdaType);
    return type < 6 ? texts[type] : nullptr;
}

int tpsTypeEntry(uint8_t lambdaType) {
    if (lambdaType & 0x08) return EntryTpsType1 + 5;
    const int n = tpsType(lambdaType);
    if (n >= 7) return EntryTpsType1 + 4;
    if (n == 6) return EntryTpsType1 + 3;
    if (n >= 2) return EntryTpsType1 + 2;
    return EntryTpsType1 + n;
}

// ---- control places ----

namespace {

// clang-format off
const ButtonPlace BarPlaces[SizeModeCount] = {
    {137, 0, 364, 20}, {180, 0, 440, 25}, {235, 0, 548, 30}, {300, 10, 677, 40}, {300, 15, 677, 45},
};
// Size 2 keeps the template's place (width 0 marks it).
const ButtonPlace BoxPlaces[SizeModeCount] = {
    {490, 20, 550, 40}, {0, 0, 0, 0}, {800, 0, 900, 25}, {1000, 0, 1100, 45}, {1000, 0, 1100, 50},
};
// clang-format on

int sizeIndex(int sizeMode) {
    return (sizeMode >= 1 && sizeMode <= SizeModeCount ? sizeMode : 1) - 1;
}

}  // namespace

bool cursorBarPlace(int sizeMode, ButtonPlace* out) {
    *out = BarPlaces[sizeIndex(sizeMode)];
    return true;
}

bool cursorBoxPlace(int sizeMode, ButtonPlace* out) {
    *out = BoxPlaces[sizeIndex(sizeMode)];
    return out->w != 0;
}

// ---- poll cycle ----

ScopeTick scopePollTick() {
    const unsigned hold = scope.cursorMode ? PausePageHold : 0u;
    if (!runPollPlan(ScopePoll, pollPausesNow() | hold, nullptr, &scopeState().fetchedBlocks))
        return serviceDialogOpen ? ScopeTick::Skipped : ScopeTick::CursorView;
    return LinkState == LinkStateKind::Up ? ScopeTick::Acquire : ScopeTick::ValuesOnly;
}

bool scopeTimerNeedsRearm() {
    requestPollInterval(ScopeInterval);
    return armedInterval != ScopeInterval;
}

bool frameMayReadConfig() {
    return !serviceDialogOpen && LinkState == LinkStateKind::Up &&
           generationServed(ControllerGeneration);
}
