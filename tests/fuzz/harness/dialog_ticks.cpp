// The three dialogs of the configuration and options pages: their own poll
// ticks and refreshes, and per tick a list choice, a scroll gesture, a press
// or a paint of the input's choosing. Where the dialog procedure itself
// calls writeParameter, this does what it does with the decision's result.
#include <cstring>

#include "config/corrections.h"
#include "config/lambda_emulation.h"
#include "config/level_sensor.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/language_entries.h"
#include "tests/fuzz/harness/page_parts.h"
#include "tests/fuzz/harness/write_watch.h"

namespace {

// A dialog tick up to its refresh; a tick that is skipped sends nothing.
bool watchedPoll(bool (*tick)()) {
    const int before = framesSent();
    bool polled;
    {
        WriteWatch quiet(WatchMode::Exchanges, NoWriteAllowed);
        polled = tick();
    }
    if (!polled) FUZZ_CHECK(framesSent() == before);
    return polled;
}

// ---- corrections ----

// A row's byte is ConfigA's on generation 1 and Extended's on generation 3;
// the other nibble goes back as read.
unsigned correctionSources(int) {
    if (ControllerGeneration == 1) return FromConfigA;
    if (ControllerGeneration == 3) return FromExtended;
    return NoWriteAllowed;
}

void correctionsChoice(int row, int k) {
    char text[CorrectionTextSize];
    correctionItemText(row, k, text, sizeof text);
    const CorrectionWrite w = correctionWrite(row, k, LinkState, ControllerGeneration);
    WriteWatch watch(WatchMode::Writes, correctionSources);
    if (w.send) writeParameter(w.address, w.value);
    FUZZ_CHECK(watch.writes() <= 1);
}

// ---- gas level sensor ----

LevelSensorView levelView() {
    return levelSensorView(LinkState, ControllerGeneration, ConfigA.options, levelSensor.level);
}

void checkLamps(const Lamps& l) {
    int lit = 0;
    for (int q = 0; q < ThresholdCount; ++q) {
        // The lit quarters are the lowest ones.
        if (q > 0 && l.quarter[q]) FUZZ_CHECK(l.quarter[q - 1]);
        lit += l.quarter[q] ? 1 : 0;
    }
    FUZZ_CHECK(!(l.reserve && lit > 0));
}

void levelModeChoice(int k) {
    const LevelModeWrite w =
        levelModeWrite(k, LinkState, ControllerGeneration, ConfigAValid, ConfigA.options);
    WriteWatch watch(WatchMode::Writes, FromConfigA);
    if (w.send) writeParameter(Addr::Options, w.value);
}

enum { MaxScrollSteps = 4 };
struct ScrollGesture {
    int bar, steps;
    int code[MaxScrollSteps], thumb[MaxScrollSteps];
    bool timerAfter[MaxScrollSteps];  // the timer fires inside the bar's tracking loop
};

ScrollGesture readGesture(FuzzInput& in) {
    ScrollGesture g;
    g.bar = in.byte() % ThresholdCount;
    g.steps = 1 + in.byte() % MaxScrollSteps;
    for (int i = 0; i < g.steps; ++i) {
        const uint8_t b = in.byte();
        g.code[i] = b % (ScrollEnd + 1);
        g.timerAfter[i] = (b & 0x80) != 0;
        g.thumb[i] = in.byte() * 2;  // beyond the bar's range too
    }
    return g;
}

// One scroll message as the dialog handles it: the working value moves, and
// the end of a movement writes it.
void scrollStep(int bar, int code, int thumb) {
    const ScrollStep s = scrollThreshold(levelSensorState().working[bar], code, thumb,
                                         &levelSensorState().scrollActive);
    FUZZ_CHECK(s.value >= 0 && s.value <= ThresholdMax);
    levelSensorState().working[bar] = s.value;
    if (!s.write) return;
    const ThresholdWrite w =
        thresholdWrite(bar, s.value, LinkState, ControllerGeneration, ExtendedValid);
    // The value started from the stored threshold.
    WriteWatch watch(WatchMode::Writes, FromExtended);
    if (w.send) writeParameter(w.address, w.value);
}

void levelScroll(const ScrollGesture& g) {
    if (!levelView().thresholdsEnabled) return;  // a disabled bar doesn't scroll
    for (int i = 0; i < g.steps; ++i) {
        scrollStep(g.bar, g.code[i], g.thumb[i]);
        if (g.timerAfter[i]) levelSensorTimer();
    }
    // Letting go of the bar always ends the movement.
    scrollStep(g.bar, ScrollEnd, 0);
    FUZZ_CHECK(!levelSensor.scrollActive);
}

// The command is a constant; the thresholds are copied out of the Extended
// block read after it.
unsigned factorySources(int address) {
    return address == Addr::Command ? FromNothing : FromExtended;
}

void levelFactoryPress() {
    if (!levelView().thresholdsEnabled) return;  // the button is disabled
    WriteWatch watch(WatchMode::Exchanges, factorySources);
    levelSensorFactoryPress();
    FUZZ_CHECK(watch.writes() <= 1 + ThresholdCount);
}

// ---- lambda emulation ----

void checkWave(int high, int low) {
    PlotPoint pts[WaveMaxPoints];
    const int n = wavePoints(high, low, pts, WaveMaxPoints);
    FUZZ_CHECK(n >= 1 && n <= WaveMaxPoints);
    FUZZ_CHECK(pts[0].x == WaveLeft && pts[0].y == WaveHigh);
    for (int i = 1; i < n; ++i) {
        FUZZ_CHECK(pts[i].x >= WaveLeft - 1 && pts[i].x <= WaveRightLimit);
        // A segment's first point stands one pixel back, under the point before.
        FUZZ_CHECK(pts[i].x >= pts[i - 1].x - 1 && pts[i].x <= pts[i - 1].x + 2);
        FUZZ_CHECK(pts[i].y == WaveHigh || pts[i].y == WaveLow);
    }
    // A smaller buffer is filled, never passed.
    PlotPoint few[8];
    FUZZ_CHECK(wavePoints(high, low, few, 1 + (high + low) % 8) <= 1 + (high + low) % 8);
}

void checkAxisLabels(int probe) {
    const AxisLabels labels = axisLabels(probe);
    FUZZ_CHECK(labels.count >= 0 && labels.count <= MaxAxisLabels);
    for (int i = 0; i < labels.count; ++i) FUZZ_CHECK(labels.label[i].text != nullptr);
}

void lambdaChoice(bool high, int k) {
    if (k >= 0 && k < EmulationTimeItems) {
        char text[EmulationTimeTextSize];
        emulationTimeText(k, text, sizeof text);
    }
    const EmulationTimeWrite w = emulationTimeWrite(high, k, LinkState, ControllerGeneration);
    WriteWatch watch(WatchMode::Writes, FromNothing);
    if (w.send) writeParameter(w.address, w.value);
}

}  // namespace

// ---- corrections ----

void correctionsShow() { setOptionsDialogOpen(true); }
void correctionsHide() { setOptionsDialogOpen(false); }

void correctionsTimer() {
    if (watchedPoll(correctionsPollTick)) {
        const CorrectionSelection s = correctionSelection(ControllerGeneration);
        for (int row = 0; s.shown && row < CorrectionRows; ++row)
            FUZZ_CHECK(s.index[row] >= 0 && s.index[row] < CorrectionItems);
    }
    // Also while a list is open, so a lost link slows this timer too.
    rearmTimer();
}

// Input: 0 for no action, else the row (1..4 and on, modulo), then the index.
void correctionsTick(FuzzInput& in) {
    const int a = in.byte();
    if (a != 0) {
        const int k = pickIndex(in);
        correctionsChoice((a - 1) % CorrectionRows, k);
    }
    correctionsTimer();
}

// ---- gas level sensor ----

void levelSensorReset() { resetLevelSensorState(); }
void levelSensorShow() { setConfigDialogOpen(true); }
void levelSensorHide() { setConfigDialogOpen(false); }

void levelSensorTimer() {
    if (!watchedPoll(levelSensorPollTick)) return;
    const LevelSensorView v = levelView();
    FUZZ_CHECK(v.modeIndex >= 0 && v.modeIndex < LevelModeCount);
    FUZZ_CHECK(levelSensor.level >= 0 && levelSensor.level <= TankLevelMask);
    for (int t = 0; t < ThresholdCount; ++t)
        FUZZ_CHECK(levelSensor.working[t] >= 0 && levelSensor.working[t] <= ThresholdMax);
    checkLamps(v.lamps);
    FUZZ_CHECK(thresholdAddress(ThresholdCount) == 0);
    rearmTimer();
}

// Input: 0 for no action, else (modulo 3) the mode list with its index, a
// scroll gesture (bar, steps, then per step the code with bit 7: the timer
// fires after it, and the thumb position), or the factory button.
void levelSensorTick(FuzzInput& in) {
    const int a = in.byte();
    if (a != 0) {
        switch ((a - 1) % 3) {
        case 0: levelModeChoice(pickIndex(in)); break;
        case 1: levelScroll(readGesture(in)); break;
        case 2: levelFactoryPress(); break;
        }
    }
    levelSensorTimer();
}

// ---- lambda emulation ----

void lambdaReset() { resetLambdaEmulationState(); }

// Opening paints the dialog, which erases the plot.
void lambdaShow() {
    const std::u16string caption =
        emulationCaption(LanguageText[EntryEmulationTypeLabel], LanguageText[EntryEmulationType1]);
    FUZZ_CHECK(caption.size() <= 2 * (LanguageTextSize - 1) + 4);
    setConfigDialogOpen(true);
    lambdaEmulationState().redraw = true;
}
void lambdaHide() { setConfigDialogOpen(false); }

void lambdaTimer() {
    if (!watchedPoll(lambdaEmulationPollTick)) return;
    const int high = ConfigA.emulBjTimeHi, low = ConfigA.emulBjTimeLo;
    if (lambdaWaveNeedsDrawing(high, low)) {
        checkAxisLabels(probeType(ConfigA.lambdaType));
        checkWave(high, low);
    }
    FUZZ_CHECK(emulationTimeIndex(ConfigA.emulBjTimeHi) < EmulationTimeItems);
    FUZZ_CHECK(emulationTimeIndex(ConfigA.emulBjTimeLo) < EmulationTimeItems);
    rearmTimer();
}

// Input: 0 for no action, else (modulo 3) the H list or the L list with the
// index, or a paint.
void lambdaTick(FuzzInput& in) {
    const int a = in.byte();
    if (a != 0) {
        const int what = (a - 1) % 3;
        if (what == 2)
            lambdaEmulationState().redraw = true;
        else
            lambdaChoice(what == 0, pickIndex(in));
    }
    lambdaTimer();
}
