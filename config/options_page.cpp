#include "config/options_page.h"

#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/language_entries.h"

const PageList OptionsLists[OptionsListCount] = {
    {IDC_OPT_START_POSITION, ListKind::Plain256},
    {IDC_OPT_IDLE_LOWER, ListKind::Minus256},
    {IDC_OPT_IDLE_UPPER, ListKind::Plus256},
    {IDC_OPT_LOAD_LOWER, ListKind::Minus256},
    {IDC_OPT_LOAD_UPPER, ListKind::Plus256},
    {IDC_OPT_JUMP, ListKind::EvenPercent},  // replaced by generation on refresh
    {IDC_OPT_TPS_JUMP, ListKind::TpsJump},
    {IDC_OPT_CUT_OFF_SPEED, ListKind::CutOffSpeed},
    {IDC_OPT_CUT_OFF_STEP, ListKind::EvenPercent},
    {IDC_OPT_SWITCH_OFF_SPEED, ListKind::SwitchOffSpeed},
    {IDC_OPT_MIN_TEMPERATURE, ListKind::Temperature},
    {IDC_OPT_MODE, ListKind::Mode},
};

// The lists that write their item's value on the parameter's scale.
const ScaledList OptionsScaledLists[OptionsScaledCount] = {
    {IDC_OPT_START_POSITION, Param::AttInit}, {IDC_OPT_IDLE_LOWER, Param::AttMinBj},
    {IDC_OPT_IDLE_UPPER, Param::AttMaxBj},    {IDC_OPT_LOAD_LOWER, Param::AttMin},
    {IDC_OPT_LOAD_UPPER, Param::AttMax},      {IDC_OPT_CUT_OFF_STEP, Param::CutOffSteps},
};

const ControlText OptionsTexts[OptionsTextCount] = {
    {IDC_OPT_HEADING1, EntryOptionsHeading1},
    {IDC_OPT_HEADING2, EntryOptionsHeading1 + 1},
    {IDC_OPT_HEADING3, EntryOptionsHeading1 + 2},
    {IDC_OPT_HEADING4, EntryOptionsHeading1 + 3},
    {IDC_OPT_HEADING5, EntryOptionsHeading1 + 4},
    {IDC_OPT_CORRECTIONS, EntryCorrectionsButton},
    {IDC_OPT_START_POSITION_BOX, EntryStartPositionBox},
    {IDC_OPT_START_POSITION_UNIT, EntryStartPositionUnit},
    {IDC_OPT_IDLE_LOWER_LABEL, EntryIdleLowerLabel},
    {IDC_OPT_IDLE_UPPER_LABEL, EntryIdleUpperLabel},
    {IDC_OPT_LOAD_LOWER_LABEL, EntryLoadLowerLabel},
    {IDC_OPT_LOAD_UPPER_LABEL, EntryLoadUpperLabel},
    {IDC_OPT_IDLE_LOWER_UNIT, EntryIdleLowerUnit},
    {IDC_OPT_IDLE_UPPER_UNIT, EntryIdleUpperUnit},
    {IDC_OPT_LOAD_LOWER_UNIT, EntryLoadLowerUnit},
    {IDC_OPT_LOAD_UPPER_UNIT, EntryLoadUpperUnit},
    {IDC_OPT_JUMP_BOX, EntryJumpBox},
    {IDC_OPT_JUMP_LABEL, EntryJumpPositionLabel},  // generation 3: EntryJumpSizeLabel
    {IDC_OPT_JUMP_UNIT, EntryJumpPositionUnit},    // generation 3: EntryPercentUnit
    {IDC_OPT_TPS_JUMP_LABEL, EntryTpsJumpLabel},
    {IDC_OPT_TPS_JUMP_UNIT, EntryTpsJumpUnit},
    {IDC_OPT_CUT_OFF_BOX, EntryCutOffBox},
    {IDC_OPT_CUT_OFF_SPEED_LABEL, EntryCutOffSpeedLabel},
    {IDC_OPT_CUT_OFF_SPEED_UNIT, EntryCutOffSpeedUnit},
    {IDC_OPT_CUT_OFF_STEP_LABEL, EntryCutOffStepLabel},
    {IDC_OPT_CUT_OFF_STEP_UNIT, EntryPercentUnit},
    {IDC_OPT_SWITCH_OFF_BOX, EntrySwitchOffBox},
    {IDC_OPT_SWITCH_OFF_SPEED_UNIT, EntrySwitchOffSpeedUnit},
    {IDC_OPT_MIN_TEMPERATURE_BOX, EntryMinTemperatureBox},
    {IDC_OPT_MIN_TEMPERATURE_UNIT, EntryTemperatureUnit},
    {IDC_OPT_MODE_LABEL, EntryModeLabel},
};

namespace {

// Shown while the start position is set by hand.
const int StartPositionControls[] = {IDC_OPT_START_POSITION, IDC_OPT_START_POSITION_UNIT};
// Shown with the jump functions on.
const int JumpControls[] = {IDC_OPT_JUMP,           IDC_OPT_TPS_JUMP,  IDC_OPT_JUMP_LABEL,
                            IDC_OPT_TPS_JUMP_LABEL, IDC_OPT_JUMP_UNIT, IDC_OPT_TPS_JUMP_UNIT};
// Shown with the cut-off on.
const int CutOffControls[] = {IDC_OPT_CUT_OFF_SPEED,      IDC_OPT_CUT_OFF_SPEED_UNIT,
                              IDC_OPT_CUT_OFF_STEP_UNIT,  IDC_OPT_CUT_OFF_SPEED_LABEL,
                              IDC_OPT_CUT_OFF_STEP_LABEL, IDC_OPT_CUT_OFF_STEP};
const int SwitchOffControls[] = {IDC_OPT_SWITCH_OFF_SPEED, IDC_OPT_SWITCH_OFF_SPEED_UNIT};
const int TemperatureControls[] = {IDC_OPT_MIN_TEMPERATURE, IDC_OPT_MIN_TEMPERATURE_UNIT};

// The switchable functions: check box, bit of ConfigA.options, the controls it shows.
struct Switchable {
    int box;
    uint8_t bit;
    const int* group;
    int groupSize;
};
const Switchable JumpFunctions = {IDC_OPT_JUMP_BOX, Options::JumpFunctions, JumpControls, 6};
const Switchable CutOff = {IDC_OPT_CUT_OFF_BOX, Options::CutOff, CutOffControls, 6};
const Switchable SwitchOff = {IDC_OPT_SWITCH_OFF_BOX, Options::SwitchOffSpeed, SwitchOffControls,
                              2};
const Switchable MinTemperature = {IDC_OPT_MIN_TEMPERATURE_BOX, Options::SwitchOverTemp,
                                   TemperatureControls, 2};
const Switchable* const Boxes[] = {&JumpFunctions, &CutOff, &SwitchOff, &MinTemperature};

int countOf(int control) {
    const PageList* l = findList(OptionsLists, OptionsListCount, control);
    return l ? listCount(l->kind) : 0;
}

// Throttle sensors without jumps: none, or a switch.
bool tpsWithoutJumps(int code) { return code == 2 || code == 3 || code == 6 || code == 7; }

void checkAndShow(PageView& v, const Switchable& sw, bool on) {
    v.add(ViewStep::Check, sw.box, on);
    v.show(sw.group, sw.groupSize, on);
}

void refreshStartAndLimits(PageView& v, const PageStores& s) {
    const bool byHand = (s.configA.options & Options::AttInitHidden) == 0;
    v.add(ViewStep::Check, IDC_OPT_START_POSITION_BOX, byHand);
    v.show(StartPositionControls, 2, byHand);
    selectScaled(v, IDC_OPT_START_POSITION, Param::AttInit, s.live.attInit);
    selectScaled(v, IDC_OPT_IDLE_UPPER, Param::AttMaxBj, s.configB.attMaxBj);
    selectScaled(v, IDC_OPT_IDLE_LOWER, Param::AttMinBj, s.configB.attMinBj);
    selectScaled(v, IDC_OPT_LOAD_UPPER, Param::AttMax, s.configB.attMax);
    selectScaled(v, IDC_OPT_LOAD_LOWER, Param::AttMin, s.configB.attMin);
}

void refreshJump(PageView& v, const PageStores& s, int jumpListCount) {
    const int code = tpsType(s.configA.lambdaType);
    bool on = (s.configA.options & Options::JumpFunctions) != 0;
    v.add(ViewStep::Check, IDC_OPT_JUMP_BOX, on);
    v.add(ViewStep::Enable, IDC_OPT_JUMP_BOX, !tpsWithoutJumps(code));
    if (tpsWithoutJumps(code)) {
        on = false;
        v.add(ViewStep::Check, IDC_OPT_JUMP_BOX, 0);
    }
    v.show(JumpControls, 6, on);

    const bool percent = s.generation == 3;
    v.add(ViewStep::Text, IDC_OPT_JUMP_UNIT, percent ? EntryPercentUnit : EntryJumpPositionUnit);
    v.add(ViewStep::Text, IDC_OPT_JUMP_LABEL,
          percent ? EntryJumpSizeLabel : EntryJumpPositionLabel);
    const ListKind kind = jumpListKind(s.generation);
    if (jumpListCount != listCount(kind))
        v.add(ViewStep::Refill, IDC_OPT_JUMP, static_cast<int>(kind));
    const ListScale& jumps = *listScale(kind);
    v.select(IDC_OPT_JUMP, scaleIndex(jumps, s.configB.attJump), jumps.count);

    const int tps = tpsJumpTurned(s.configA.lambdaType, s.configB.tpsJump);
    // 255 on an inverted sensor lies a whole step below the first item: none.
    if (tps <= -TpsJumps.step)
        v.select(IDC_OPT_TPS_JUMP, NoItem, TpsJumps.count);
    else
        selectScaled(v, IDC_OPT_TPS_JUMP, Param::TpsJump, tps);
}

void refreshSpeeds(PageView& v, const PageStores& s) {
    const ConfigBBlock& b = s.configB;
    checkAndShow(v, CutOff, s.configA.options & Options::CutOff);
    selectScaled(v, IDC_OPT_CUT_OFF_SPEED, Param::CutOffRpmLo,
                 rpmFromBytes(b.cutOffRpmHi, b.cutOffRpmLo));
    selectScaled(v, IDC_OPT_CUT_OFF_STEP, Param::CutOffSteps, b.cutOffSteps);
    checkAndShow(v, SwitchOff, s.configA.options & Options::SwitchOffSpeed);
    selectScaled(v, IDC_OPT_SWITCH_OFF_SPEED, Param::LpgOffRpmLo,
                 rpmFromBytes(b.lpgOffRpmHi, b.lpgOffRpmLo));
}

WritePlan boxWrite(const Switchable& sw, bool checked, const PageStores& s) {
    return configAWrite(s, Addr::Options, (s.configA.options & ~sw.bit) | (checked ? sw.bit : 0));
}

WritePlan jumpChange(int k, const PageStores& s) {
    const ListScale& jumps = *listScale(jumpListKind(s.generation));
    if (k >= jumps.count) return nothingSent();
    return plainWrite(s, Addr::AttJump, scaleValue(jumps, k));
}

WritePlan tpsJumpChange(int k, const PageStores& s) {
    return configAWrite(s, Addr::TpsJump,
                        tpsJumpTurned(s.configA.lambdaType, scaleValue(TpsJumps, k)));
}

}  // namespace

ListKind jumpListKind(int generation) {
    return generation == 3 ? ListKind::EvenPercent : ListKind::Plain256;
}

TickOutcome optionsPageTick() {
    // While the corrections dialog is open it alone talks to the controller.
    if (serviceDialogOpen || optionsDialogOpen) return TickOutcome::Suspended;
    if (dropDownOpen) return TickOutcome::Paused;
    pollConfigurationBlocks();
    return TickOutcome::Polled;
}

PageView optionsRefreshView(const PageStores& s, int jumpListCount) {
    PageView v;
    refreshStartAndLimits(v, s);
    refreshJump(v, s, jumpListCount);
    refreshSpeeds(v, s);
    checkAndShow(v, MinTemperature, s.configA.options & Options::SwitchOverTemp);
    selectScaled(v, IDC_OPT_MIN_TEMPERATURE, Param::LpgOnTemp,
                 temperatureFromRaw(s.configA.lpgOnTemp));
    v.select(IDC_OPT_MODE, (s.configA.emulType & EmulType::OptionsPageMask) >> 4,
             countOf(IDC_OPT_MODE));
    return v;
}

WritePlan optionsListChange(int control, int k, const PageStores& s) {
    if (k < 0) return nothingSent();
    if (control == IDC_OPT_JUMP) return jumpChange(k, s);
    if (k >= countOf(control)) return nothingSent();
    for (const ScaledList& l : OptionsScaledLists)
        if (l.control == control) return scaledWrite(s, l.param, k);
    switch (control) {
    case IDC_OPT_TPS_JUMP: return tpsJumpChange(k, s);
    case IDC_OPT_CUT_OFF_SPEED: return speedWrite(s, Param::CutOffRpmLo, k);
    case IDC_OPT_SWITCH_OFF_SPEED: return speedWrite(s, Param::LpgOffRpmLo, k);
    case IDC_OPT_MIN_TEMPERATURE:
        return plainWrite(s, Addr::LpgOnTemp, rawFromTemperature(scaleValue(Temperatures, k)));
    case IDC_OPT_MODE:
        return configAWrite(s, Addr::EmulType,
                            (s.configA.emulType & ~EmulType::OptionsPageMask) | (k << 4));
    }
    return nothingSent();
}

WritePlan optionsBoxClick(int control, bool checked, const PageStores& s) {
    // The start position is offered while its bit is clear.
    if (control == IDC_OPT_START_POSITION_BOX)
        return configAWrite(s, Addr::Options,
                            checked ? s.configA.options & ~Options::AttInitHidden
                                    : s.configA.options | Options::AttInitHidden);
    for (const Switchable* sw : Boxes)
        if (sw->box == control) return boxWrite(*sw, checked, s);
    return nothingSent();
}
