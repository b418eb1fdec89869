// The oscilloscope page's decisions, apart from the drawing: the four panes,
// the sample heights, the sweep, the trace points and the sample history,
// the value cursor, the values printed beside the panes and the poll cycle.
// Portable; every geometry is in design units unless it says pixels.
#ifndef ZUVELS_SCOPE_SCOPE_H
#define ZUVELS_SCOPE_SCOPE_H

#include <cstdint>

#include "link/blocks.h"
#include "shell/field_text.h"
#include "shell/sizes.h"

// ---- panes and traces ----

enum : int { PaneLeft = 198, PaneRight = 600, PaneCount = 4 };
struct Pane {
    int top, bottom;          // outline
    int bandTop, bandBottom;  // inside: erased by the sweep, crossed by the cursor
    int baseline;             // y of a zero sample
};
extern const Pane Panes[PaneCount];

// The five traces; the second trace of pane 2 is the start position.
enum Trace : int { TraceLambda, TracePosition, TraceStart, TraceSpeed, TraceTps, TraceCount };
int paneOf(Trace t);
// Full redraws lay the traces down in this order, the start position under
// the position.
extern const Trace RedrawOrder[TraceCount];

// Heights above the pane's baseline.
enum : int { PaneHeightCap = 80 };
int lambdaHeight(uint8_t voltageB, uint8_t lambdaType);
int positionHeight(uint8_t position);  // also the start position
int speedHeight(int rpm);
int tpsHeight(uint8_t voltageA, uint8_t lambdaType);
void sampleHeights(const LiveBlock& live, const ConfigABlock& configA, int out[TraceCount]);

// ---- trace points, history and the sweep ----

enum : int {
    PointCount = 400,
    FirstPointX = 201,  // point j stands at x = 201 + j
    RedrawFirst = 1,    // full redraws draw points 1..396
    RedrawLast = 396,
    SweepStart = 202,    // column on page creation
    SweepRestart = 201,  // column after the wrap
    SweepLastColumn = 595,
    FlatStartColumn = 203,  // the first sample after a (re)start joins nothing
    CursorMin = 2,
    CursorMax = 395,
    CursorPage = 10,
};

struct TracePoint {
    int x, y;  // pixels
};

// What was acquired for one column; the cursor shows it again.
struct ScopeHistoryEntry {
    int voltageB, position, attInit, rpm, voltageA;
    uint8_t lambdaType;
    uint8_t switchOff;  // Live.flagsA & FlagsA::SwitchOff
    uint8_t flagsB;
};

struct ScopeState {
    TracePoint points[TraceCount][PointCount];
    ScopeHistoryEntry history[PointCount];
    int previousY[TraceCount];  // pixels: where each trace's last segment ended
    int column;                 // sweep column
    int cursor;                 // cursor position, CursorMin..CursorMax
    int cursorDrawn;            // position the cursor was last drawn at, 0 before
    bool cursorMode;
    bool secondTrace;        // the start position is drawn in pane 2
    unsigned fetchedBlocks;  // PollBlock bits read valid since the link came up
};
// Program-wide: cursor mode and the second-trace flag outlive the page.
// Read-only view; the scope page writes through scopeState().
extern const ScopeState& scope;
ScopeState& scopeState();

// History to zero and every point onto its pane's baseline at the scale
// given; the sweep, the cursor and the flags are left alone.
void resetScopeTraces(double sx, double sy);
// Everything back to the start-up values (tests).
void resetScopeState();

// Point j of trace t as full redraws and the cursor's repairs show it:
// points 1..3 at the height of point 4, so that the left edge, where the
// sweep wraps, shows no stale values. The points themselves stay as acquired.
TracePoint shownPoint(int t, int j);

// Pixel columns [left, right) of a strip across a pane's band.
struct Span {
    int left, right;
};
// Size mode 1 moves the erasing one pixel right of the scaled columns.
int sweepNudge(int sizeMode);
Span sweepLine(int column, double sx);
Span sweepErase(int column, double sx, int nudge);
Span leftEdgeStrip(double sx, int nudge);  // erased on every sample after the first two
Span wrapEraseRight(double sx);            // the sweep line left at the right edge
Span wrapEraseLeft(double sx, int nudge);
Span cursorLine(int position, double sx);

struct Segment {
    int x1, y1, x2, y2;  // pixels
};
// One acquired sample, to be drawn in this order: the left edge strip, the
// sweep line with the strip before it, the segments, the wrap strips.
struct SamplePlan {
    int column;  // the column the sample was drawn at
    bool eraseLeftEdge;
    bool wrapped;  // the sweep goes back to the left edge after this sample
    Segment segments[TraceCount];
    bool drawn[TraceCount];
};
// Advances the sweep, computes the segments and stores the sample (points
// and history) from the stores given.
SamplePlan acquireSample(const LiveBlock& live, const ConfigABlock& configA, double sx, double sy);

// ---- value cursor ----

enum class CursorMove { LineLeft, LineRight, PageLeft, PageRight, Thumb, Other };
// New cursor position, kept within CursorMin..CursorMax.
int moveCursor(int position, CursorMove move, int thumb);
// First of the three points redrawn where the cursor was.
int restoreFirstPoint(int cursorDrawn);

// ---- values beside the panes ----

enum class TpsUnit { Volt, None, Blank };
struct ScopeValues {
    FieldText lambda, position, speed, tps;
    TpsUnit unit;
    bool onGas;
};
ScopeValues liveValues(const LiveBlock& live, const ConfigABlock& configA);
// The values an entry recorded; the lambda voltage is inverted by the probe
// type configured now, the throttle sensor shown by the type recorded.
ScopeValues historyValues(const ScopeHistoryEntry& e, uint8_t currentLambdaType);

// ---- static frame texts ----

enum { ProbeTypeTextCount = 14 };
// Probe type text by the high nibble of lambdaType; nullptr above type 5.
const char* probeTypeText(uint8_t lambdaType);
// Language entry naming the throttle sensor type.
int tpsTypeEntry(uint8_t lambdaType);

// ---- cursor bar and check box places, pixels ----

// False when the size keeps the template's place.
bool cursorBarPlace(int sizeMode, ButtonPlace* out);
bool cursorBoxPlace(int sizeMode, ButtonPlace* out);

// ---- poll cycle ----

enum : int { ScopeInterval = 20 };
enum class ScopeTick {
    Skipped,     // a service dialog is open: nothing at all this tick
    CursorView,  // no exchange: the cursor over the recorded traces
    Acquire,     // the link is up: one sample and the live values
    ValuesOnly,  // the link is down: the zeroed values, the sweep stands
};
// The exchanges of one tick, by the row ScopePoll: status, identity, the
// live block and, until it has been read once with a valid reply, block 3.
ScopeTick scopePollTick();
// Asks the link for this page's interval (given back on destroy); true
// when the timer must be re-armed with it.
bool scopeTimerNeedsRearm();
// The static frame reads block 3 only when a tick could.
bool frameMayReadConfig();

#endif
