#include "readings/dashboard.h"

#include <cstdio>
#include <cstring>

#include "link/parameters.h"
#include "link/poll_plan.h"
#include "readings/gauge.h"
#include "shell/app_state.h"

namespace {
ReadingsView startView();
}  // namespace

namespace {
ReadingsPageData pageData = {ReadingsPageState{}, startView()};
}  // namespace

ReadingsPageData& readingsPageData() { return pageData; }
const ReadingsPageState& readingsState = pageData.readingsState;
const ReadingsView& readingsView = pageData.readingsView;
namespace {
// Ticks since the two configuration blocks were last read.
unsigned slowBlockCounter = 0;
}  // namespace

void resetReadingsState() {
    pageData.readingsState = ReadingsPageState{};
    pageData.readingsView = startView();
    slowBlockCounter = 0;
}

// ---- poll cycle ----

bool readingsPollTick() { return runPollPlan(ReadingsPoll, pollPausesNow(), &slowBlockCounter); }

// ---- texts ----

int markerOffsetFor(uint8_t voltageB, uint8_t lambdaType) {
    int offset = voltageB;
    if (probeType(lambdaType) == 0) offset *= 5;  // 0-1 V probe: spread over the bar
    return offset > 255 ? 255 : offset;
}

MarkerColour markerColour(uint8_t flagsA) {
    switch (flagsA & FlagsA::ProbeStateMask) {
    case FlagsA::ProbeStateFirst: return MarkerColour::DarkGreen;
    case FlagsA::ProbeStateThird: return MarkerColour::Red;
    default: return MarkerColour::Yellow;
    }
}

StateCells stateCellsFor(uint8_t flagsA) {
    // The first cell lights without counting as "lit" for the learn messages.
    switch (flagsA & FlagsA::StateCellMask) {
    case FlagsA::StateCell1: return {0, 0};
    case FlagsA::StateCell2: return {1, 1};
    case FlagsA::StateCell3: return {2, 1};
    case FlagsA::StateCell4: return {3, 1};
    default: return {-1, 0};
    }
}

FieldText tpsInertText(uint8_t tpsInert) { return voltsText(tpsInert / 50.0 + 0.02); }

FieldText switchOnTempText(uint8_t lpgOnTemp) {
    int t = temperatureFromRaw(lpgOnTemp);
    if (t > 100) t = 100;
    if (t < 0) t = 0;
    FieldText f;
    snprintf(f.text, sizeof f.text, "%02d", t);
    f.count = static_cast<int>(strnlen(f.text, sizeof f.text));
    return f;
}

Band toleranceBand(uint8_t attInit, uint8_t below, uint8_t above) {
    const int m = attInit + BarOrigin;
    const int left = m - below;
    const int right = m + above;
    return {left < BarOrigin ? BarOrigin : left, right > BandRightLimit ? BandRightLimit : right};
}

int jumpMarkerOffset(int generation, uint8_t attInit, uint8_t attJump) {
    if (generation != 3) return attJump;
    const int j = attInit + (attInit * attJump) / 100;
    return j > 255 ? 255 : j;
}

bool jumpMarkerShown(uint8_t lambdaType, uint8_t options) {
    const int type = tpsType(lambdaType);
    if (type == 2 || type == 3 || type == 6 || type == 7) return false;
    return (options & Options::JumpFunctions) != 0;
}

bool tickIsRed(uint8_t options, int redZoneRpm, int rpmPerTick, int tick) {
    return (options & Options::SwitchOffSpeed) != 0 && redZoneRpm / rpmPerTick < tick;
}

// ---- status area ----

namespace {

// Writes the lines of one tick's view by name (Line::Fuel, ...).
struct LineWriter {
    StatusView& view;
    void text(int line, int entry, bool red = false) { view.lines[line] = {entry, red}; }
    void blank(int line, bool red = false) { view.lines[line] = {LineBlank, red}; }
    // Blanks every line this tick hasn't written: the branches that say all
    // there is to say end with it.
    void blankTheRest() {
        for (StatusLine& l : view.lines)
            if (l.entry == LineUntouched) l = {LineBlank, false};
    }
};

}  // namespace

namespace {

void showFuel(LineWriter& w, ReadingsPageState& st, bool onGas) {
    w.text(Line::Fuel, onGas ? EntryOnGas : EntryNotOnGas);
    st.gasOnShown = onGas ? 1 : 0;
    w.view.fuel = onGas ? FuelBox::Gas : FuelBox::Petrol;
}

void linkLostStatus(LineWriter& w, ReadingsPageState& st) {
    w.text(Line::Fuel, EntryLinkLost, true);
    w.text(Line::Reason, EntryLinkLostHint);
    w.blankTheRest();
    st.gasOnShown = 0;
    w.view.fuel = FuelBox::Petrol;
}

void unsupportedStatus(LineWriter& w) {
    w.text(Line::Fuel, EntryUnsupported, true);
    w.blankTheRest();
}

// On petrol with a red reason: not ready, or the plain view's conditions
// not met.
void petrolWithReason(LineWriter& w, ReadingsPageState& st, int reason) {
    w.text(Line::Reason, reason, true);
    showFuel(w, st, false);
    w.blankTheRest();
}

void plainStatus(LineWriter& w, ReadingsPageState& st, uint8_t flagsB) {
    if (!(flagsB & FlagsB::OnGas)) return petrolWithReason(w, st, EntryPlainPetrol);
    showFuel(w, st, true);
    w.blankTheRest();
}

// A pending learn request is answered by the two answer bits.
void learnAnswer(LineWriter& w, ReadingsPageState& st, uint8_t flagsB) {
    st.messageAge = 0;
    if (!(flagsB & FlagsB::LearnUnfinished)) {
        w.text(Line::Message, EntryLearnAnswerA, true);
        st.learnRequested = 0;
    } else if (flagsB & FlagsB::LearnWaiting) {
        w.text(Line::Message, EntryLearnAnswerPending, true);
    } else {
        w.text(Line::Message, EntryLearnAnswerB, true);
        st.learnRequested = 0;
    }
}

// Switched over: the cut-off message, or a message line that stays 60
// ticks before the line is kept blank.
void switchedOverStatus(LineWriter& w, ReadingsPageState& st, uint8_t flagsB) {
    w.blank(Line::Spare);
    if (flagsB & FlagsB::CutOffActive) {
        w.text(Line::Message, EntryCutOff, true);
    } else {
        if (++st.messageAge > 60) {
            w.blank(Line::Message);
            --st.messageAge;
        }
        w.blank(Line::Reason);
    }
}

void waitingStatus(LineWriter& w, uint8_t flagsB, const ConfigABlock& configA,
                   const ConfigBBlock& configB, int rpmShown) {
    w.text(Line::Reason, EntryReady);
    if (!(flagsB & FlagsB::Warm)) return w.text(Line::Detail, EntryGasOffDetail, true);
    int entry = EntrySpeedA;
    if (!(configA.options & Options::TwoWayChoice)) {
        const int switchOn = rpmFromBytes(configB.lpgOnRpmHi, configB.lpgOnRpmLo);
        entry = switchOn < rpmShown ? EntrySpeedB : EntrySpeedA;
    }
    w.text(Line::Detail, entry, true);
}

void detailedStatus(LineWriter& w, ReadingsPageState& st, uint8_t f, const ConfigABlock& configA,
                    const ConfigBBlock& configB, int rpmShown) {
    showFuel(w, st, (f & FlagsB::OnGas) != 0);
    if (f & FlagsB::LearnActive) {
        st.learnActive = 1;
        w.blank(Line::Reason);
        if (st.stateCellLit)
            w.text(Line::Message, EntryLearnCellLit);
        else
            w.text(Line::Message, EntryLearnNoCell, true);
        return;
    }
    st.learnActive = 0;
    if (st.learnRequested) learnAnswer(w, st, f);
    if (f & FlagsB::GasOff) {
        w.text(Line::Reason, EntryGasOff, true);
        if (f & FlagsB::Warm)
            w.blank(Line::Detail, true);
        else
            w.text(Line::Detail, EntryGasOffDetail, true);
        return;
    }
    w.blank(Line::Detail);
    if ((f & FlagsB::Warm) && (f & FlagsB::SwitchedOver))
        switchedOverStatus(w, st, f);
    else
        waitingStatus(w, f, configA, configB, rpmShown);
}

// The lamp blinks every second tick while learning with a lit cell.
Lamp learnLamp(ReadingsPageState& st) {
    if (++st.blinkCounter > 1) {
        st.blinkPhase = !st.blinkPhase;
        st.blinkCounter = 0;
    }
    if (!st.learnActive) return Lamp::Dark;
    if (!st.stateCellLit) return Lamp::Lit;
    return st.blinkPhase ? Lamp::Lit : Lamp::Dark;
}

}  // namespace

StatusView decideStatus(LinkStateKind link, int generation, const LiveBlock& live,
                        const ConfigABlock& configA, const ConfigBBlock& configB, int rpmShown,
                        ReadingsPageState& st) {
    StatusView view;
    for (StatusLine& l : view.lines) l = {LineUntouched, false};
    view.fuel = FuelBox::Unchanged;
    LineWriter w{view};

    if (link == LinkStateKind::Down)
        linkLostStatus(w, st);
    else if (!generationServed(generation))
        unsupportedStatus(w);
    else if (!(live.flagsA & FlagsA::Ready))
        petrolWithReason(w, st, EntryNotReady);
    else if (!(configA.emulType & EmulType::DetailedStatus))
        plainStatus(w, st, live.flagsB);
    else
        detailedStatus(w, st, live.flagsB, configA, configB, rpmShown);

    view.lamp = learnLamp(st);
    return view;
}

// ---- the page's view ----

namespace {

// What the stores hold, as the page shows it.
struct Stores {
    const LiveBlock& live;
    const ConfigABlock& a;
    const ConfigBBlock& b;
    int generation;
};

void decideProbes(ReadingsView& v, const Stores& s) {
    v.temperatureRaw = s.live.temperatureRaw;
    v.probeB = probeBText(s.live.voltageB, s.a.lambdaType);
    v.markerOffset = markerOffsetFor(s.live.voltageB, s.a.lambdaType);
    v.marker = markerColour(s.live.flagsA);
    v.cells = stateCellsFor(s.live.flagsA);
    v.probeA = probeAField(s.live.voltageA, s.a.lambdaType, s.live.flagsA);
    v.tpsInert = tpsInertText(s.a.tpsInert);
}

void decidePosition(ReadingsView& v, const Stores& s) {
    v.position = s.live.position;
    v.attInit = s.live.attInit;
    v.cyanBand = toleranceBand(s.live.attInit, s.b.attMinBj, s.b.attMaxBj);
    v.redBand = toleranceBand(s.live.attInit, s.b.attMin, s.b.attMax);
    v.jumpOffset = jumpMarkerOffset(s.generation, s.live.attInit, s.b.attJump);
    v.jumpShown = jumpMarkerShown(s.a.lambdaType, s.a.options);
}

void decideSpeeds(ReadingsView& v, const Stores& s) {
    v.rpm = engineSpeedShown(s.live);
    v.redZoneRpm = rpmFromBytes(s.b.lpgOffRpmHi, s.b.lpgOffRpmLo);
    v.options = s.a.options;
    v.cutOff = rpmFromBytes(s.b.cutOffRpmHi, s.b.cutOffRpmLo);
    v.switchOn = rpmFromBytes(s.b.lpgOnRpmHi, s.b.lpgOnRpmLo);
    v.gasOff = (s.live.flagsB & FlagsB::GasOff) != 0;
    v.cutOffActive = (s.live.flagsB & FlagsB::CutOffActive) != 0;
    v.temperature = temperatureFromRaw(s.live.temperatureRaw);
    v.switchOnTemp = switchOnTempText(s.a.lpgOnTemp);
}

void decideFields(ReadingsView& v, const Stores& s) {
    decideProbes(v, s);
    decidePosition(v, s);
    decideSpeeds(v, s);
}

// Nothing read yet: the fields as empty stores show them (a paint before
// the first tick draws a page the ticks could have drawn), every status
// line blank, no fuel box.
ReadingsView startView() {
    ReadingsView v = {};
    decideFields(v, Stores{LiveBlock{}, ConfigABlock{}, ConfigBBlock{}, 0});
    for (StatusLine& l : v.status.lines) l = {LineBlank, false};
    v.status.fuel = FuelBox::Unchanged;
    v.status.lamp = Lamp::Dark;
    v.decided = v.status;
    return v;
}

// The lines and the fuel box this tick wrote, over what stood before.
void keepShown(StatusView& shown, const StatusView& decided) {
    for (int i = 0; i < StatusLineCount; ++i)
        if (decided.lines[i].entry != LineUntouched) shown.lines[i] = decided.lines[i];
    if (decided.fuel != FuelBox::Unchanged) shown.fuel = decided.fuel;
    shown.lamp = decided.lamp;
}

}  // namespace

void decideReadings() {
    ReadingsView& v = readingsPageData().readingsView;
    const ReadingsView before = v;
    decideFields(v, Stores{Live, ConfigA, ConfigB, ControllerGeneration});
    v.needleBefore = gaugeIndex(before.rpm);
    v.needleMoved = v.rpm != before.rpm;
    v.redZoneMoved = v.redZoneRpm != before.redZoneRpm;
    v.attInitMoved = v.attInit != before.attInit;
    // The "LPG ON" indicator shows the fuel decided on the tick before.
    v.gasOnLit = readingsState.gasOnShown != 0;
    readingsPageData().readingsState.stateCellLit = v.cells.stateCellLit;
    v.decided = decideStatus(LinkState, ControllerGeneration, Live, ConfigA, ConfigB, v.rpm,
                             readingsPageData().readingsState);
    keepShown(v.status, v.decided);
}

// ---- learn button ----

LearnPress learnButtonDecision(LinkStateKind link, int generation, ReadingsPageState& st) {
    if (link != LinkStateKind::Up || !generationServed(generation) || !st.gasOnShown)
        return LearnPress::Ignored;
    if (st.learnActive) {
        st.messageAge = 0;
        st.learnRequested = 0;
        readingsPageData().readingsView.status.lines[Line::Message] = {EntryLearnAlready, true};
        return LearnPress::AlreadyActive;
    }
    st.learnRequested = 1;
    return LearnPress::Requested;
}

void sendLearnCommand() { writeParameter(Addr::Command, CmdLearn); }
