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

// One list: its scale and, for named choices, the language entry of its
// first item (0 when the scale writes its own texts). Indexed by kind.
struct ListRule {
    const ListScale* scale;
    int entry;
};

#define ZUVELS_LIST_RULE(kind, scale, entry) {&scale, entry},
const ListRule ListRules[ListKindCount] = {ZUVELS_LIST_KINDS(ZUVELS_LIST_RULE)};
#undef ZUVELS_LIST_RULE

const ListRule* ruleFor(ListKind kind) {
    const int k = static_cast<int>(kind);
    return k >= 0 && k < ListKindCount ? &ListRules[k] : nullptr;
}

}  // namespace

std::vector<std::u16string> listItems(ListKind kind) {
    std::vector<std::u16string> items;
    const ListRule* r = ruleFor(kind);
    if (!r) return items;
    char text[32];
    for (int k = 0; k < r->scale->count; ++k) {
        if (r->entry) {
            items.push_back(LanguageText[r->entry + k]);
        } else {
            scaleText(*r->scale, k, text, sizeof text);
            items.push_back(asciiText(text));
        }
    }
    return items;
}

const ListScale* listScale(ListKind kind) {
    const ListRule* r = ruleFor(kind);
    return r ? r->scale : nullptr;
}

int listCount(ListKind kind) {
    const ListRule* r = ruleFor(kind);
    return r ? r->scale->count : 0;
}

void selectScaled(PageView& v, int control, Param p, int value) {
    const ListScale& scale = *parameter(p).scale;
    v.select(control, scaleIndex(scale, value), scale.count);
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

WritePlan scaledWrite(const PageStores& s, Param p, int k) {
    const Parameter& row = parameter(p);
    return plainWrite(s, row.address, scaleValue(*row.scale, k));
}

WritePlan speedWrite(const PageStores& s, Param lo, int k) {
    const Parameter& row = parameter(lo);
    return periodWrite(s, row.address, scaleValue(*row.scale, k));
}

void sendWrites(const WritePlan& plan) {
    if (plan.withheld) return;
    for (int i = 0; i < plan.count; ++i)
        writeParameter(plan.writes[i].address, plan.writes[i].value);
}

// ---- polling ----

void pollConfigurationBlocks() { runPollPlan(ConfigurationPoll, pollPausesNow(), nullptr); }
