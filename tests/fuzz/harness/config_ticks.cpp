// The configuration and options pages: their poll ticks and refreshes, and
// per tick a list choice or box click of the input's choosing, whose writes
// are sent and watched.
#include "config/config_page.h"
#include "config/options_page.h"
#include "config/page_view.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "tests/fuzz/harness/page_parts.h"
#include "tests/fuzz/harness/write_watch.h"

namespace {

// What each list holds now: set up when the page is created, refilled by
// its refreshes.
ListKind configKinds[ConfigListCount];
ListKind optionsKinds[OptionsListCount];

struct ListSet {
    const PageList* lists;
    ListKind* kinds;
    int count;
};
const ListSet ConfigSet = {ConfigLists, configKinds, ConfigListCount};
const ListSet OptionsSet = {OptionsLists, optionsKinds, OptionsListCount};

const int ConfigBoxes[] = {IDC_CFG_LOW_SIGNAL, IDC_CFG_EMERGENCY_START};
const int OptionsBoxes[] = {IDC_OPT_START_POSITION_BOX, IDC_OPT_JUMP_BOX, IDC_OPT_CUT_OFF_BOX,
                            IDC_OPT_SWITCH_OFF_BOX, IDC_OPT_MIN_TEMPERATURE_BOX};
enum { ConfigBoxCount = 2, OptionsBoxCount = 5 };

int slotOf(const ListSet& set, int control) {
    for (int i = 0; i < set.count; ++i)
        if (set.lists[i].control == control) return i;
    return -1;
}

void checkSelect(const ListSet& set, const ViewAction& a) {
    const int i = slotOf(set, a.control);
    FUZZ_CHECK(i >= 0);
    FUZZ_CHECK(a.value == NoItem || (a.value >= 0 && a.value < listCount(set.kinds[i])));
}

void checkRefill(const ListSet& set, const ViewAction& a) {
    FUZZ_CHECK(a.value >= 0 && a.value < ListKindCount);
    const int i = slotOf(set, a.control);
    FUZZ_CHECK(i >= 0);
    // Its items are checked once for all (checkListContents).
    set.kinds[i] = static_cast<ListKind>(a.value);
}

// A refresh never drops a change for want of room, and every change fits
// the control it is for, in the order the changes are made.
void checkView(const ListSet& set, const PageView& v) {
    FUZZ_CHECK(v.count >= 0 && v.count < PageView::Capacity);
    for (int k = 0; k < v.count; ++k) {
        const ViewAction& a = v.actions[k];
        switch (a.step) {
        case ViewStep::Select: checkSelect(set, a); break;
        case ViewStep::Refill: checkRefill(set, a); break;
        case ViewStep::Text: checkEntry(a.value); break;
        default: FUZZ_CHECK(a.value == 0 || a.value == 1); break;
        }
    }
}

// Which stored bytes a page's write to an address is built from: the bit
// fields several controls share, and the throttle sensor jump, whose scale
// follows the stored sensor type. The rest are the chosen item's value.
unsigned pageWriteSources(int address) {
    switch (address) {
    case Addr::Options:
    case Addr::LambdaType:
    case Addr::EmulType:
    case Addr::TpsJump: return FromConfigA;
    }
    return FromNothing;
}

void send(const WritePlan& plan) {
    FUZZ_CHECK(plan.count >= 0 && plan.count <= 2);
    FUZZ_CHECK(!plan.withheld || plan.count == 0);
    WriteWatch watch(WatchMode::Writes, pageWriteSources);
    sendWrites(plan);
    FUZZ_CHECK(watch.writes() <= plan.count);
}

// The page's tick up to the refresh; a tick that doesn't poll sends nothing.
TickOutcome watchedTick(TickOutcome (*tick)()) {
    const int before = framesSent();
    TickOutcome t;
    {
        WriteWatch quiet(WatchMode::Exchanges, NoWriteAllowed);
        t = tick();
    }
    if (t != TickOutcome::Polled) FUZZ_CHECK(framesSent() == before);
    return t;
}

void setUpKinds(const ListSet& set) {
    for (int i = 0; i < set.count; ++i) set.kinds[i] = set.lists[i].kind;
}

// Every list the pages fill holds as many items as its count says. The
// items depend on nothing but the language table, so once is enough.
void checkListContents() {
    static bool checked = false;
    if (checked) return;
    checked = true;
    for (int k = 0; k < ListKindCount; ++k) {
        const ListKind kind = static_cast<ListKind>(k);
        FUZZ_CHECK(listCount(kind) > 0);
        FUZZ_CHECK(static_cast<int>(listItems(kind).size()) == listCount(kind));
    }
}

}  // namespace

// ---- configuration page ----

void configReset() { neutralListType = 0; }

void configShow() {
    checkListContents();
    for (int i = 0; i < ConfigListCount; ++i) configKinds[i] = configSetUpKind(ConfigLists[i]);
}

// A list of a page that is gone can't be open.
void configHide() { setDropDownOpen(false); }

void configTimer() {
    const TickOutcome t = watchedTick(configPageTick);
    if (t == TickOutcome::Suspended) return;
    if (t == TickOutcome::Polled) checkView(ConfigSet, configRefreshView(currentStores()));
    rearmTimer();
}

// Input: the control (0: none; then the lists, the two boxes and the level
// sensor button), then the list index or, for a box, bit 0: checked.
void configTick(FuzzInput& in) {
    const int a = in.byte();
    if (a == 0) return configTimer();
    const int choice = (a - 1) % (ConfigListCount + ConfigBoxCount + 1);
    const int k = pickIndex(in);
    if (choice < ConfigListCount) {
        const WritePlan plan = configListChange(ConfigLists[choice].control, k, currentStores());
        send(plan);
        if (plan.after == AfterWrite::LambdaEmulationDialog)
            return switchToPage(PageIndexLambdaEmulation);
    } else if (choice < ConfigListCount + ConfigBoxCount) {
        send(configBoxClick(ConfigBoxes[choice - ConfigListCount], k & 1, currentStores()));
    } else {
        return switchToPage(PageIndexLevelSensor);
    }
    configTimer();
}

// ---- options page ----

void optionsShow() {
    checkListContents();
    setUpKinds(OptionsSet);
}

void optionsTimer() {
    const TickOutcome t = watchedTick(optionsPageTick);
    if (t == TickOutcome::Suspended) return;
    if (t == TickOutcome::Polled) {
        const int jumpItems = listCount(optionsKinds[slotOf(OptionsSet, IDC_OPT_JUMP)]);
        checkView(OptionsSet, optionsRefreshView(currentStores(), jumpItems));
    }
    rearmTimer();
}

// Input: the control (0: none; then the lists, the five boxes and the
// corrections button), then the list index or, for a box, bit 0: checked.
void optionsTick(FuzzInput& in) {
    const int a = in.byte();
    if (a == 0) return optionsTimer();
    const int choice = (a - 1) % (OptionsListCount + OptionsBoxCount + 1);
    const int k = pickIndex(in);
    if (choice < OptionsListCount)
        send(optionsListChange(OptionsLists[choice].control, k, currentStores()));
    else if (choice < OptionsListCount + OptionsBoxCount)
        send(optionsBoxClick(OptionsBoxes[choice - OptionsListCount], k & 1, currentStores()));
    else
        return switchToPage(PageIndexCorrections);
    optionsTimer();
}
