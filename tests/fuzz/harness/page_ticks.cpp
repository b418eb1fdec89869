// Every page and dialog that talks to the controller, through its portable
// decisions only (no Windows code here): the readings page, the
// configuration and options pages with their three dialogs (config_ticks.cpp,
// dialog_ticks.cpp), the oscilloscope, the factory reset page and the device
// information dialog (service_ticks.cpp).
//
// A tick is the page's user action of the input's choosing (a list choice
// with its index, a box click, a press, a scroll gesture, a paint), then its
// timer: poll, refresh, re-arm. What the drawing would use is checked against
// the tables and rectangles it indexes; every frame an action or a tick
// sends is watched (write_watch.h): a tick sends requests only, and a write
// goes out only while the link is up and the stores it is built from hold
// valid replies. Showing another page hides the one shown, as the shell
// switches pages and as a dialog closes; the pages that open a dialog switch
// to it. Where a dialog procedure decides something itself (the lambda
// emulation and gas level sensor writes), the decision was moved into the
// portable code so that it can be fuzzed here; keep it that way.
//
// A new page: its functions in page_parts.h, a PageIndex, a line in
// PageTicks in that order (with its kind from shell/page_list.h), and its
// actions in tools/make_seeds.cpp.
#include "tests/fuzz/harness/page_ticks.h"

#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "readings/dashboard.h"
#include "readings/gauge.h"
#include "shell/sizes.h"
#include "scope/scope.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "tests/fuzz/harness/page_parts.h"
#include "tests/fuzz/harness/write_watch.h"

namespace {

// A bar value v is drawn at v + BarOrigin and must stay on the bar.
void checkBand(const Band& b) {
    FUZZ_CHECK(b.left >= BarOrigin && b.left <= b.right && b.right <= BandRightLimit);
}

void checkStatus(const StatusView& v) {
    for (const StatusLine& l : v.lines)
        FUZZ_CHECK(l.entry == LineUntouched || l.entry == LineBlank ||
                   (l.entry >= 0 && l.entry < LanguageEntries));
}

// What the drawing indexes with the view; a paint may draw it before the
// first tick as well as after any.
void checkView(const ReadingsView& v) {
    checkText(v.probeB);
    FUZZ_CHECK(v.markerOffset >= 0 && v.markerOffset <= 255);
    FUZZ_CHECK(v.cells.litCell >= -1 && v.cells.litCell < 4);
    checkText(v.probeA.text);
    checkText(v.tpsInert);
    checkText(threeDigits(v.position));
    checkText(threeDigits(v.attInit));
    checkBand(v.cyanBand);
    checkBand(v.redBand);
    FUZZ_CHECK(v.jumpOffset >= 0 && v.jumpOffset <= 255);
    checkText(fourDigits(v.rpm));
    const int needle = gaugeIndex(v.rpm);
    FUZZ_CHECK(needle >= 0 && needle < ArcPointCount);
    FUZZ_CHECK(v.needleBefore >= 0 && v.needleBefore < ArcPointCount);
    checkText(threeDigits(v.temperature));
    checkText(v.switchOnTemp);
    checkStatus(v.decided);
    checkStatus(v.status);
}

void readingsDecisions() {
    decideReadings();
    checkView(readingsView);
}

void resetPageTimer() {}
void optionsHide() { configHide(); }

// The page shown now.
int shown = PageIndexReadings;

void show(int page) {
    if (page == shown) return;
    if (PageTicks[shown].hide) PageTicks[shown].hide();
    shown = page;
    if (PageTicks[shown].show) PageTicks[shown].show();
}

}  // namespace

// ---- readings page ----

void readingsReset() {
    resetReadingsState();
    checkView(readingsView);
}

void readingsTimer() {
    bool polled;
    {
        WriteWatch quiet(WatchMode::Exchanges, NoWriteAllowed);
        polled = readingsPollTick();
    }
    if (!polled) return;
    readingsDecisions();
    // What armPollTimer records.
    if (pollTimerNeedsRearm()) setArmedInterval(PollInterval);
}

// Input: bit 0: the learn button is pressed.
void readingsTick(FuzzInput& in) {
    if (in.flag()) {
        // The learn button, as the page handles its press.
        const LearnPress press =
            learnButtonDecision(LinkState, ControllerGeneration, readingsPageData().readingsState);
        WriteWatch watch(WatchMode::Writes, FromNothing);
        if (press != LearnPress::Ignored) sendLearnCommand();
    }
    readingsTimer();
}

// ---- shared ----

void checkText(const FieldText& f) {
    FUZZ_CHECK(f.count >= 0 && f.count < FieldTextSize);
    FUZZ_CHECK(f.count <= static_cast<int>(strnlen(f.text, FieldTextSize)));
}

void checkEntry(int entry) { FUZZ_CHECK(entry >= 0 && entry < LanguageEntries); }

int pickIndex(FuzzInput& in) {
    const uint8_t b = in.byte();
    if (b != 0xFF) return b;
    return in.flag() ? 255 : -1;
}

void rearmTimer() {
    if (PollInterval != armedInterval) setArmedInterval(PollInterval);
}

void switchToPage(PageIndex page) { show(page); }

const PageTick PageTicks[] = {
    {"readings", PageReadings, readingsReset, nullptr, nullptr, readingsTick, readingsTimer},
    {"configuration", PageConfiguration, configReset, configShow, configHide, configTick,
     configTimer},
    {"options", PageOptions, nullptr, optionsShow, optionsHide, optionsTick, optionsTimer},
    {"corrections", PageNone, nullptr, correctionsShow, correctionsHide, correctionsTick,
     correctionsTimer},
    {"level sensor", PageNone, levelSensorReset, levelSensorShow, levelSensorHide, levelSensorTick,
     levelSensorTimer},
    {"lambda emulation", PageNone, lambdaReset, lambdaShow, lambdaHide, lambdaTick, lambdaTimer},
    {"scope", PageScope, scopeReset, scopeShow, scopeHide, scopeTick, scopeTimer},
    {"factory reset", PageReset, nullptr, nullptr, nullptr, resetPageTick, resetPageTimer},
    {"device information", PageNone, deviceInfoReset, deviceInfoShow, deviceInfoHide,
     deviceInfoTick, deviceInfoTimer},
};
const size_t PageTickCount = sizeof PageTicks / sizeof PageTicks[0];
static_assert(sizeof PageTicks / sizeof PageTicks[0] == PageIndexCount, "one tick per page");

void runPageTick(size_t index, FuzzInput& in) {
    show(static_cast<int>(index % PageTickCount));
    PageTicks[shown].tick(in);
}

void runPageTimer() { PageTicks[shown].timerOnly(); }

int pageOwnInterval() { return shown == PageIndexScope ? ScopeInterval : 0; }

// Every page of the shell's list that polls the controller has its tick.
bool everyPollingPageTicks() {
    for (const PageEntry& p : AllPages) {
        bool ticked = !p.polls;
        for (const PageTick& t : PageTicks) ticked = ticked || t.page == p.kind;
        if (!ticked) return false;
    }
    return true;
}

void resetPageTicks() {
    FUZZ_CHECK(everyPollingPageTicks());
    appState().shownSize = 1;
    appState().dashboardScale.sx = windowSize(1).sx;
    appState().dashboardScale.sy = windowSize(1).sy;
    for (const PageTick& p : PageTicks)
        if (p.reset) p.reset();
    shown = PageIndexReadings;
    clearPauseFlags();
    setArmedInterval(0);
    resetWriteWatch();
}
