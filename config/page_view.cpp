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
// first item (0 when the scale writes its own texts).
struct ListRule {
    ListKind kind;
    const ListScale* scale;
    int entry;
};

const ListRule ListRules[] = {
    {ListKind::ProbeType, &ProbeTypes, 0},
    {ListKind::NeutralPointLow, &NeutralPointsLow, 0},
    {ListKind::NeutralPointHigh, &NeutralPointsHigh, 0},
    {ListKind::NeutralPointWide, &NeutralPointsWide, 0},
    {ListKind::ReadingDelay, &ReadingDelays, 0},
    {ListKind::EmulationType, &ChoiceOf3, EntryEmulationType1},
    {ListKind::EmulationTime, &EmulationTimes, 0},
    {ListKind::IgnitionType, &IgnitionTypes, EntryIgnitionType1},
    {ListKind::SwitchOverSpeed, &SwitchOverSpeeds, 0},
    {ListKind::SwitchOverDirection, &ChoiceOf2, EntryRisingSpeed},
    {ListKind::TpsType, &ChoiceOf6, EntryTpsType1},
    {ListKind::TpsInertia, &TpsInertias, 0},
    {ListKind::Tenths, &Tenths, 0},
    {ListKind::Plain256, &Plain256, 0},
    {ListKind::Minus256, &Minus256, 0},
    {ListKind::Plus256, &Plus256, 0},
    {ListKind::EvenPercent, &EvenPercents, 0},
    {ListKind::TpsJump, &TpsJumps, 0},
    {ListKind::CutOffSpeed, &CutOffSpeeds, 0},
    {ListKind::SwitchOffSpeed, &SwitchOffSpeeds, 0},
    {ListKind::Temperature, &Temperatures, 0},
    {ListKind::Mode, &ChoiceOf3, EntryMode1},
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
