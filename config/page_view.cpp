#include "config/page_view.h"

#include <cstdio>
#include <cstring>

#include "link/poll_plan.h"
#include "shell/app_state.h"
#include "shell/language.h"

PageStores currentStores() {
    PageStores s;
    s.live = Live;
    s.configA = ConfigA;
    s.configB = ConfigB;
    s.generation = ControllerGeneration;
    s.linkUp = LinkState == LinkStateKind::Up;
    s.configAValid = ConfigAValid;
    return s;
}

// ---- refresh ----

void PageView::add(ViewStep step, int control, int value) {
    if (count < Capacity) actions[count++] = ViewAction{step, control, value};
}

void PageView::select(int control, int index, int n) {
    add(ViewStep::Select, control, index >= 0 && index < n ? index : NoItem);
}

void PageView::enable(const int* controls, int n, bool on) {
    for (int i = 0; i < n; ++i) add(ViewStep::Enable, controls[i], on ? 1 : 0);
}

void PageView::show(const int* controls, int n, bool on) {
    for (int i = 0; i < n; ++i) add(ViewStep::Show, controls[i], on ? 1 : 0);
}

// ---- list contents ----

namespace {

using ItemText = void (*)(long i, char* out, size_t cap);

// One list: items for the loop counter i = first..last, each either
// formatted by text or, without text, language entry entry + i.
struct ListRule {
    ListKind kind;
    long first, last;
    ItemText text;
    int entry;
};

const char* const ProbeTypes[6] = {"0-1 V",   "0-5 V -", "0-5 V +",
                                   "5-0 V -", "5-0 V +", "0,8-1,6 V"};

const ListRule ListRules[] = {
    {ListKind::ProbeType, 0, 5,
     [](long i, char* t, size_t n) { snprintf(t, n, "%s", ProbeTypes[i]); }, 0},
    {ListKind::NeutralPointLow, 0, 10,
     [](long i, char* t, size_t n) { snprintf(t, n, "0,%ld", 40 + 2 * i); }, 0},
    {ListKind::NeutralPointHigh, 0, 15,
     [](long i, char* t, size_t n) { snprintf(t, n, "1,%02ld", 2 * i); }, 0},
    // A colon here, not a decimal comma.
    {ListKind::NeutralPointWide, 0, 50,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld:%02ld", 2 + 2 * i / 100, 2 * i % 100); },
     0},
    {ListKind::ReadingDelay, 1, 255,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld:%02ld", 5 * i / 60, 5 * i % 60); }, 0},
    {ListKind::EmulationType, 0, 2, nullptr, EntryEmulationType1},
    {ListKind::EmulationTime, 1, 255,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld,%03ld", 25 * i / 1000, 25 * i % 1000); },
     0},
    {ListKind::IgnitionType, 0, 17, nullptr, EntryIgnitionType1},
    {ListKind::SwitchOverSpeed, 0, 20,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld", 1500 + 100 * i); }, 0},
    {ListKind::SwitchOverDirection, 0, 1, nullptr, EntryRisingSpeed},
    {ListKind::TpsType, 0, 5, nullptr, EntryTpsType1},
    {ListKind::TpsInertia, 1, 19,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld,%02ld", 0L, 2 * i + 2); }, 0},
    {ListKind::Tenths, 1, 50,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld,%ld", i / 10, i % 10); }, 0},
    {ListKind::Plain256, 0, 255, [](long i, char* t, size_t n) { snprintf(t, n, "%ld", i); }, 0},
    {ListKind::Minus256, 0, 255, [](long i, char* t, size_t n) { snprintf(t, n, "-%ld", i); }, 0},
    {ListKind::Plus256, 0, 255, [](long i, char* t, size_t n) { snprintf(t, n, "+%ld", i); }, 0},
    {ListKind::EvenPercent, 1, 50, [](long i, char* t, size_t n) { snprintf(t, n, "%ld", 2 * i); },
     0},
    {ListKind::TpsJump, 0, 50,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld,%ld", i / 10, i % 10); }, 0},
    {ListKind::CutOffSpeed, 0, 15,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld", 1000 + 100 * i); }, 0},
    {ListKind::SwitchOffSpeed, 0, 40,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld", 4000 + 100 * i); }, 0},
    {ListKind::Temperature, 0, 25,
     [](long i, char* t, size_t n) { snprintf(t, n, "%ld", 2 * i + 10); }, 0},
    {ListKind::Mode, 0, 2, nullptr, EntryMode1},
};

const ListRule* ruleFor(ListKind kind) {
    for (const ListRule& r : ListRules)
        if (r.kind == kind) return &r;
    return nullptr;
}

}  // namespace

std::vector<std::u16string> listItems(ListKind kind) {
    std::vector<std::u16string> items;
    const ListRule* r = ruleFor(kind);
    if (!r) return items;
    char text[32];
    for (long i = r->first; i <= r->last; ++i) {
        if (r->text) {
            r->text(i, text, sizeof text);
            items.push_back(asciiText(text));
        } else {
            items.push_back(LanguageText[r->entry + i]);
        }
    }
    return items;
}

int listCount(ListKind kind) {
    const ListRule* r = ruleFor(kind);
    return r ? static_cast<int>(r->last - r->first + 1) : 0;
}

// ---- writes ----

void WritePlan::add(int address, int value) {
    if (count < 2)
        writes[count++] = ParamWrite{static_cast<uint8_t>(address), static_cast<uint8_t>(value)};
}

WritePlan nothingSent() {
    WritePlan p;
    p.withheld = true;
    return p;
}

WritePlan plainWrite(const PageStores& s, int address, int value) {
    if (!s.linkUp) return nothingSent();
    WritePlan p;
    p.add(address, value);
    return p;
}

WritePlan configAWrite(const PageStores& s, int address, int value) {
    if (!s.configAValid) return nothingSent();
    return plainWrite(s, address, value);
}

WritePlan periodWrite(const PageStores& s, int loAddress, int rpm) {
    const unsigned period = periodFromRpm(rpm);
    WritePlan p = plainWrite(s, loAddress, period & 0xFF);
    if (!p.withheld) p.add(loAddress + 1, (period >> 8) & 0xFF);
    return p;
}

void sendWrites(const WritePlan& plan) {
    if (plan.withheld) return;
    for (int i = 0; i < plan.count; ++i)
        writeParameter(plan.writes[i].address, plan.writes[i].value);
}

// ---- polling ----

void pollConfigurationBlocks() { runPollPlan(ConfigurationPoll, pollPausesNow(), nullptr); }
