// The readings page's decisions, apart from the drawing: its poll cycle,
// the texts of the instruments, bar and marker positions, the status area's
// decision tree and the learn button. Portable.
#ifndef ZUVELS_READINGS_DASHBOARD_H
#define ZUVELS_READINGS_DASHBOARD_H

#include <cstdint>

#include "link/blocks.h"
#include "link/link.h"
#include "shell/field_text.h"
#include "shell/language_entries.h"

// The status decisions carried from tick to tick; program-wide, so they
// outlive page re-creation.
struct ReadingsPageState {
    int gasOnShown, learnActive, learnRequested, messageAge, stateCellLit;
    int blinkPhase, blinkCounter;  // learn lamp
};
// Read-only view; the page writes through readingsPageData().
extern const ReadingsPageState& readingsState;

// Back to the start-up values (tests).
void resetReadingsState();

// ---- poll cycle ----

// One timer tick up to the drawing: status poll, identity, the live block
// every tick and both configuration blocks every fourth. False when the tick
// is skipped (a service dialog or a dropped-down list): then nothing else
// may happen on this tick, drawing and re-arming included.
bool readingsPollTick();

// ---- design-space geometry ----

// Dashboard design space: 800 x 570 units.
enum : int { DesignWidth = 800, DesignHeight = 570 };
// Scale of the bars: a value v stands at x = v + BarOrigin.
enum : int { BarOrigin = 161, BandRightLimit = 418, BarRightEdge = 417 };

// ---- instruments (their texts: shell/field_text.h) ----

// Probe B marker offset: raw, times 5 for the 0-1 V probe, at most 255.
int markerOffsetFor(uint8_t voltageB, uint8_t lambdaType);
enum class MarkerColour { DarkGreen, Yellow, Red };
MarkerColour markerColour(uint8_t flagsA);

// Lit state cell (-1 for none) and the flag the status area reads.
struct StateCells {
    int litCell;
    int stateCellLit;
};
StateCells stateCellsFor(uint8_t flagsA);

FieldText tpsInertText(uint8_t tpsInert);  // raw / 50 + 0.02 V
// Gas switch-on temperature: two digits, capped at 100 (then three).
FieldText switchOnTempText(uint8_t lpgOnTemp);

// Band around marker m = attInit + 161, kept inside 161..418.
struct Band {
    int left, right;
};
Band toleranceBand(uint8_t attInit, uint8_t below, uint8_t above);

// Jump marker offset: for generation 3 a percentage above attInit, capped.
int jumpMarkerOffset(int generation, uint8_t attInit, uint8_t attJump);
// The marker is drawn only with the jump functions on and a throttle sensor
// type that has jumps.
bool jumpMarkerShown(uint8_t lambdaType, uint8_t options);

// Tick colour: red above the switch-off speed when that function is on.
// rpmPerTick is 1000 for the major ticks and 200 for the minor ones.
bool tickIsRed(uint8_t options, int redZoneRpm, int rpmPerTick, int tick);

// ---- status area, fuel box, learn lamp ----

// The status area's lines, top to bottom, one row each and the only list of
// them (docs/architecture.md, "Adding a status line"): X(name, top of the
// line in design units). Every line is StatusLineHeight high, from x
// StatusLineLeft to StatusLineRight, opaque over its whole rectangle.
// clang-format off
#define ZUVELS_STATUS_LINES(X) \
    X(Fuel, 405)    /* petrol or gas; link lost; controller not served */ \
    X(Spare, 425)   /* only ever blanked */ \
    X(Reason, 445)  /* why not on gas; ready; gas switched off */ \
    X(Detail, 465)  /* what switching over still waits for */ \
    X(Message, 485) /* learning and its answers; cut-off */
// clang-format on

// The lines by name, the one numbering: lines[Line::Message].
namespace Line {
#define ZUVELS_STATUS_LINE_NAME(name, top) name,
enum : int { ZUVELS_STATUS_LINES(ZUVELS_STATUS_LINE_NAME) };
#undef ZUVELS_STATUS_LINE_NAME
}  // namespace Line
#define ZUVELS_STATUS_LINE_ONE(...) +1
enum { StatusLineCount = 0 ZUVELS_STATUS_LINES(ZUVELS_STATUS_LINE_ONE) };
#undef ZUVELS_STATUS_LINE_ONE

enum : int { StatusLineHeight = 20, StatusLineLeft = 40, StatusLineRight = 440 };
#define ZUVELS_STATUS_LINE_TOP(name, top) top,
constexpr int StatusLineTop[StatusLineCount] = {ZUVELS_STATUS_LINES(ZUVELS_STATUS_LINE_TOP)};
#undef ZUVELS_STATUS_LINE_TOP
// The white status area holds the lines with a margin of 6 design units.
enum : int {
    StatusAreaTop = StatusLineTop[0] - 6,
    StatusAreaBottom = StatusLineTop[StatusLineCount - 1] + StatusLineHeight + 6
};

// The lines follow one another without gap or overlap: a line drawn opaque
// must not cover its neighbour.
constexpr bool statusLinesStacked() {
    for (int i = 1; i < StatusLineCount; ++i)
        if (StatusLineTop[i] != StatusLineTop[i - 1] + StatusLineHeight) return false;
    return true;
}
static_assert(statusLinesStacked(), "status lines follow one another");

enum : int { LineUntouched = -2, LineBlank = -1 };
struct StatusLine {
    int entry;  // language table entry, LineBlank (" ") or LineUntouched
    bool red;
};
enum class FuelBox { Unchanged, Petrol, Gas };
enum class Lamp { Dark, Lit };
struct StatusView {
    StatusLine lines[StatusLineCount];
    FuelBox fuel;
    Lamp lamp;
};

// The decision tree for one tick, then the lamp. Reads and updates the
// status flags of st (stateCellLit must already hold this tick's value).
StatusView decideStatus(LinkStateKind link, int generation, const LiveBlock& live,
                        const ConfigABlock& configA, const ConfigBBlock& configB, int rpmShown,
                        ReadingsPageState& st);

// ---- the page's view ----

// What the dashboard shows, as the last tick decided it. A tick draws what
// moved; a paint draws all of it again, from any message and as often as
// it comes, and changes nothing.
struct ReadingsView {
    int temperatureRaw;
    FieldText probeB;
    int markerOffset;
    MarkerColour marker;
    StateCells cells;
    ProbeAField probeA;
    FieldText tpsInert;
    int position, attInit;
    Band cyanBand, redBand;
    int jumpOffset;
    bool jumpShown;
    int rpm, redZoneRpm;
    uint8_t options;  // configuration A: tick colours and dimmed values
    int cutOff, switchOn;
    bool gasOnLit, gasOff, cutOffActive;
    int temperature;
    FieldText switchOnTemp;
    StatusView status;  // every line as it stands, the fuel box once decided
    // What this tick changed, for the tick's own drawing only.
    StatusView decided;  // lines not written this tick are LineUntouched
    int needleBefore;    // gauge index the needle left
    bool needleMoved, redZoneMoved, attInitMoved;
};
// Read-only view; the page writes through readingsPageData().
extern const ReadingsView& readingsView;

// The readings page's state and view, in one owner.
struct ReadingsPageData {
    ReadingsPageState readingsState;
    ReadingsView readingsView;
};
ReadingsPageData& readingsPageData();

// The tick's decisions from the stores, after its exchanges: a new view
// (compared with the one before for what moved), the status flags advanced.
void decideReadings();

enum class LearnPress {
    Ignored,        // not connected, unsupported controller or not on gas
    Requested,      // the answer is awaited in the status area
    AlreadyActive,  // show entry 32 in line 5 (red), then send anyway
};
// Bookkeeping of a press of the learn button; for AlreadyActive line 5 of
// the view holds entry 32 and the caller draws it; unless Ignored, the
// caller then calls sendLearnCommand.
LearnPress learnButtonDecision(LinkStateKind link, int generation, ReadingsPageState& st);
void sendLearnCommand();

#endif
