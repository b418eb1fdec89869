#include "tests/fuzz/harness/page_ticks.h"

#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "readings/dashboard.h"
#include "readings/gauge.h"
#include "shell/app_state.h"
#include "shell/language.h"

namespace {

void checkText(const FieldText& f) {
    FUZZ_CHECK(f.count >= 0 && f.count < FieldTextSize);
    FUZZ_CHECK(f.count <= static_cast<int>(strnlen(f.text, FieldTextSize)));
}

// A bar value v is drawn at v + BarOrigin and must stay on the bar.
void checkBand(const Band& b) {
    FUZZ_CHECK(b.left >= BarOrigin && b.left <= b.right && b.right <= BandRightLimit);
}

void checkStatus(const StatusView& v) {
    for (const StatusLine& l : v.lines)
        FUZZ_CHECK(l.entry == LineUntouched || l.entry == LineBlank ||
                   (l.entry >= 0 && l.entry < LanguageEntries));
}

// What drawReadings computes from the stores, minus the drawing.
void readingsValues() {
    ReadingsPageState& st = readingsState;
    checkText(probeBText(Live.voltageB, ConfigA.lambdaType));
    st.markerOffset = markerOffsetFor(Live.voltageB, ConfigA.lambdaType);
    FUZZ_CHECK(st.markerOffset >= 0 && st.markerOffset <= 255);
    markerColour(Live.flagsA);
    const StateCells cells = stateCellsFor(Live.flagsA);
    FUZZ_CHECK(cells.litCell >= -1 && cells.litCell < 4);
    st.stateCellLit = cells.stateCellLit;
    const ProbeAField a = probeAField(Live.voltageA, ConfigA.lambdaType, Live.flagsA);
    checkText(a.text);
    checkText(tpsInertText(ConfigA.tpsInert));
    checkText(threeDigits(Live.position));
    checkText(threeDigits(Live.attInit));
    st.attInitShown = Live.attInit;
    checkBand(toleranceBand(Live.attInit, ConfigB.attMinBj, ConfigB.attMaxBj));
    checkBand(toleranceBand(Live.attInit, ConfigB.attMin, ConfigB.attMax));
    const int j = jumpMarkerOffset(ControllerGeneration, Live.attInit, ConfigB.attJump);
    FUZZ_CHECK(j >= 0 && j <= 255);
    jumpMarkerShown(ConfigA.lambdaType, ConfigA.options);
}

void readingsSpeeds() {
    ReadingsPageState& st = readingsState;
    st.rpmShown = engineSpeedShown(Live);
    checkText(fourDigits(st.rpmShown));
    const int needle = gaugeIndex(st.rpmShown);
    FUZZ_CHECK(needle >= 0 && needle < ArcPointCount);
    st.needleIndex = needle;
    st.rpmDrawn = st.rpmShown;
    st.redZoneRpm = rpmFromBytes(ConfigB.lpgOffRpmHi, ConfigB.lpgOffRpmLo);
    for (int i = 0; i < MajorTickCount; ++i) tickIsRed(ConfigA.options, st.redZoneRpm, 1000, i);
    for (int i = 0; i < MinorTickCount; ++i) tickIsRed(ConfigA.options, st.redZoneRpm, 200, i);
    checkText(threeDigits(temperatureFromRaw(Live.temperatureRaw)));
    checkText(switchOnTempText(ConfigA.lpgOnTemp));
    const StatusView v =
        decideStatus(LinkState, ControllerGeneration, Live, ConfigA, ConfigB, st.rpmShown, st);
    checkStatus(v);
}

void readingsTimer() {
    if (!readingsPollTick()) return;
    readingsValues();
    readingsSpeeds();
    // What armPollTimer records.
    if (pollTimerNeedsRearm()) armedInterval = PollInterval;
}

void readingsTick(FuzzInput& in) {
    if (in.flag()) {
        // The learn button, as the page handles its press.
        const LearnPress press =
            learnButtonDecision(LinkState, ControllerGeneration, readingsState);
        if (press != LearnPress::Ignored) sendLearnCommand();
    }
    readingsTimer();
}

}  // namespace

const PageTick PageTicks[] = {
    {"readings", resetReadingsState, readingsTick, readingsTimer},
};
const size_t PageTickCount = sizeof PageTicks / sizeof PageTicks[0];

void resetPageTicks() {
    for (const PageTick& p : PageTicks) p.reset();
    serviceDialogOpen = false;
    dropDownOpen = false;
    armedInterval = 0;
}
