#include "config/config_page.h"

#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/language_entries.h"

int neutralListType = 0;

const PageList ConfigLists[ConfigListCount] = {
    {IDC_CFG_PROBE_TYPE, ListKind::ProbeType},
    {IDC_CFG_NEUTRAL_POINT, ListKind::NeutralPointLow},  // see configSetUpKind
    {IDC_CFG_READING_DELAY, ListKind::ReadingDelay},
    {IDC_CFG_EMULATION_TYPE, ListKind::EmulationType},
    {IDC_CFG_HIGH_TIME, ListKind::EmulationTime},
    {IDC_CFG_LOW_TIME, ListKind::EmulationTime},
    {IDC_CFG_IGNITION_TYPE, ListKind::IgnitionType},
    {IDC_CFG_SWITCH_SPEED, ListKind::SwitchOverSpeed},
    {IDC_CFG_SWITCH_DIRECTION, ListKind::SwitchOverDirection},
    {IDC_CFG_TPS_TYPE, ListKind::TpsType},
    {IDC_CFG_TPS_INERT, ListKind::TpsInertia},
    {IDC_CFG_OVERLAP, ListKind::Tenths},
    {IDC_CFG_VALVE_OPENING, ListKind::Tenths},
};

// The lists that write their item's value on the parameter's scale.
const ScaledList ConfigScaledLists[ConfigScaledCount] = {
    {IDC_CFG_READING_DELAY, Param::LambdaDelay}, {IDC_CFG_HIGH_TIME, Param::EmulBjTimeHi},
    {IDC_CFG_LOW_TIME, Param::EmulBjTimeLo},     {IDC_CFG_IGNITION_TYPE, Param::IgnitionType},
    {IDC_CFG_TPS_INERT, Param::TpsInert},        {IDC_CFG_OVERLAP, Param::InjectDelay},
    {IDC_CFG_VALVE_OPENING, Param::Wozg},
};

const ControlText ConfigTexts[ConfigTextCount] = {
    {IDC_CFG_LAMBDA_HEADING, EntryConfigLambdaHeading},
    {IDC_CFG_SPEED_HEADING, EntryConfigSpeedHeading},
    {IDC_CFG_TPS_HEADING, EntryConfigTpsHeading},
    {IDC_CFG_EMULATOR_HEADING, EntryConfigEmulatorHeading},
    {IDC_CFG_LEVEL_HEADING, EntryGasLevelSensor},
    {IDC_CFG_PROBE_TYPE_LABEL, EntryProbeTypeLabel},
    {IDC_CFG_NEUTRAL_POINT_LABEL, EntryNeutralPointLabel},
    {IDC_CFG_READING_DELAY_LABEL, EntryReadingDelayLabel},
    {IDC_CFG_EMULATION_TYPE_LABEL, EntryEmulationTypeLabel},
    {IDC_CFG_HIGH_TIME_LABEL, EntryHighTimeLabel},
    {IDC_CFG_LOW_TIME_LABEL, EntryLowTimeLabel},
    {IDC_CFG_IGNITION_TYPE_LABEL, EntryIgnitionTypeLabel},
    {IDC_CFG_SWITCH_SPEED_LABEL, EntrySwitchOverSpeedLabel},
    {IDC_CFG_SWITCH_DIRECTION_LABEL, EntrySwitchOverDirectionLabel},
    {IDC_CFG_TPS_TYPE_LABEL, EntryTpsTypeLabel},
    {IDC_CFG_TPS_INERT_LABEL, EntryTpsInertLabel},
    {IDC_CFG_OVERLAP_LABEL, EntryOverlapLabel},
    {IDC_CFG_SENSOR_MODE_LABEL, EntrySensorModeLabel},
    {IDC_CFG_NEUTRAL_POINT_UNIT, EntryNeutralPointUnit},
    {IDC_CFG_READING_DELAY_UNIT, EntryReadingDelayUnit},
    {IDC_CFG_HIGH_TIME_UNIT, EntryHighTimeUnit},
    {IDC_CFG_LOW_TIME_UNIT, EntryLowTimeUnit},
    {IDC_CFG_SWITCH_SPEED_UNIT, EntrySwitchOverSpeedUnit},
    {IDC_CFG_TPS_INERT_UNIT, EntryTpsInertUnit},
    {IDC_CFG_OVERLAP_UNIT, EntryOverlapUnit},
    {IDC_CFG_VALVE_OPENING_UNIT, EntryValveOpeningUnit},
    {IDC_CFG_VALVE_OPENING_LABEL, EntryValveOpeningLabel},
    {IDC_CFG_LOW_SIGNAL, EntryLowSignalLevel},
    {IDC_CFG_EMERGENCY_START, EntryEmergencyStart},
    {IDC_CFG_LEVEL_SENSOR, EntryChange},
};

namespace {

// Probe types with a neutral-point list of their own; the rest share one.
enum { NarrowProbe = 0, HighProbe = 5 };

// Bit of the throttle sensor code set for codes 2, 3, 6 and 7: no sensor or
// a switch, so there is no idle inertia to set.
enum : uint8_t { NoInertiaBit = 0x02 };

// Throttle sensor codes in the order of the TPS type list.
const uint8_t TpsCodes[6] = {0, 1, 2, 6, 7, 8};

// Controls enabled only for the constructed lambda emulation.
const int EmulationTimeControls[] = {IDC_CFG_HIGH_TIME,       IDC_CFG_LOW_TIME,
                                     IDC_CFG_HIGH_TIME_LABEL, IDC_CFG_LOW_TIME_LABEL,
                                     IDC_CFG_HIGH_TIME_UNIT,  IDC_CFG_LOW_TIME_UNIT};
// Controls of the idle inertia, which switch-type throttle sensors lack.
const int TpsInertiaControls[] = {IDC_CFG_TPS_INERT, IDC_CFG_TPS_INERT_LABEL,
                                  IDC_CFG_TPS_INERT_UNIT};
// The initial valve opening, shown with the emergency start on generation 3.
const int ValveOpeningControls[] = {IDC_CFG_VALVE_OPENING_LABEL, IDC_CFG_VALVE_OPENING,
                                    IDC_CFG_VALVE_OPENING_UNIT};
enum { Emulation = 6, TpsInertia = 3, ValveOpening = 3 };

bool isGeneration3(const PageStores& s) { return s.generation == 3; }

// Position of a throttle sensor code in the TPS type list.
int tpsTypeIndex(int code) {
    if (code & 0x08) return 5;
    if (code == 7) return 4;
    if (code == 6) return 3;
    if (code >= 2) return 2;
    return code;  // 0 or 1
}

int listCountOf(int control) {
    if (control == IDC_CFG_NEUTRAL_POINT) return listCount(neutralPointKind(neutralListType));
    const PageList* l = findList(ConfigLists, ConfigListCount, control);
    return l ? listCount(l->kind) : 0;
}

void refreshLambda(PageView& v, const ConfigABlock& a) {
    const int t = probeType(a.lambdaType);
    v.select(IDC_CFG_PROBE_TYPE, t, listCountOf(IDC_CFG_PROBE_TYPE));
    if (t != neutralListType) {
        neutralListType = t;
        v.add(ViewStep::Refill, IDC_CFG_NEUTRAL_POINT, static_cast<int>(neutralPointKind(t)));
    }
    const ListScale& points = *listScale(neutralPointKind(neutralListType));
    v.select(IDC_CFG_NEUTRAL_POINT, scaleIndex(points, a.lambdaPoint), points.count);
    selectScaled(v, IDC_CFG_READING_DELAY, Param::LambdaDelay, a.lambdaDelay);

    const int e = a.emulType & EmulType::TypeMask;
    v.select(IDC_CFG_EMULATION_TYPE, e, listCountOf(IDC_CFG_EMULATION_TYPE));
    v.enable(EmulationTimeControls, Emulation, e == 0);
    selectScaled(v, IDC_CFG_HIGH_TIME, Param::EmulBjTimeHi, a.emulBjTimeHi);
    selectScaled(v, IDC_CFG_LOW_TIME, Param::EmulBjTimeLo, a.emulBjTimeLo);
}

void refreshSpeed(PageView& v, const PageStores& s) {
    selectScaled(v, IDC_CFG_IGNITION_TYPE, Param::IgnitionType, s.configB.ignitionType);
    selectScaled(v, IDC_CFG_SWITCH_SPEED, Param::LpgOnRpmLo,
                 rpmFromBytes(s.configB.lpgOnRpmHi, s.configB.lpgOnRpmLo));
    v.select(IDC_CFG_SWITCH_DIRECTION, (s.configA.options & Options::TwoWayChoice) ? 1 : 0,
             listCountOf(IDC_CFG_SWITCH_DIRECTION));
}

// A generation-1 controller has neither box: disabled, their marks kept.
void refreshLowSignal(PageView& v, const PageStores& s) {
    v.add(ViewStep::Enable, IDC_CFG_LOW_SIGNAL, isGeneration3(s));
    if (isGeneration3(s))
        v.add(ViewStep::Check, IDC_CFG_LOW_SIGNAL,
              (s.configA.emulType & EmulType::LowSignalLevel) ? 1 : 0);
}

void refreshTps(PageView& v, const ConfigABlock& a) {
    v.select(IDC_CFG_TPS_TYPE, tpsTypeIndex(tpsType(a.lambdaType)), listCountOf(IDC_CFG_TPS_TYPE));
    v.enable(TpsInertiaControls, TpsInertia, (a.lambdaType & NoInertiaBit) == 0);
    selectScaled(v, IDC_CFG_TPS_INERT, Param::TpsInert, a.tpsInert);
    selectScaled(v, IDC_CFG_OVERLAP, Param::InjectDelay, a.injectDelay);
}

int sensorModeEntry(uint8_t options) {
    if (options & Options::LevelModeFirst) return EntrySensorMode1;
    if (options & Options::LevelModeSecond) return EntrySensorMode1 + 1;
    return EntrySensorMode1 + 2;
}

void refreshEmergencyStart(PageView& v, const PageStores& s) {
    const bool on = isGeneration3(s) && (s.configA.emulType & EmulType::EmergencyStart);
    v.add(ViewStep::Enable, IDC_CFG_EMERGENCY_START, isGeneration3(s));
    if (isGeneration3(s)) v.add(ViewStep::Check, IDC_CFG_EMERGENCY_START, on);
    v.show(ValveOpeningControls, ValveOpening, on);
    selectScaled(v, IDC_CFG_VALVE_OPENING, Param::Wozg, s.configA.emulDoTimeHi);
}

WritePlan probeTypeChange(int k, const PageStores& s) {
    WritePlan p = configAWrite(
        s, Addr::LambdaType,
        (s.configA.lambdaType & LambdaType::TpsTypeMask) | (k << LambdaType::ProbeTypeShift));
    if (!p.withheld) p.add(Addr::LambdaPoint, neutralPointPreset(k));
    return p;
}

WritePlan emulationTypeChange(int k, const PageStores& s) {
    WritePlan p = configAWrite(s, Addr::EmulType, (s.configA.emulType & ~EmulType::TypeMask) | k);
    // Also when the write is held back: opening the dialog writes nothing,
    // and its own writes wait for the link like every other.
    if (k == 0) p.after = AfterWrite::LambdaEmulationDialog;
    return p;
}

}  // namespace

ListKind configSetUpKind(const PageList& l) {
    return l.control == IDC_CFG_NEUTRAL_POINT ? neutralPointKind(neutralListType) : l.kind;
}

ListKind neutralPointKind(int type) {
    if (type == NarrowProbe) return ListKind::NeutralPointLow;
    if (type == HighProbe) return ListKind::NeutralPointHigh;
    return ListKind::NeutralPointWide;
}

int neutralPointBase(int type) { return listScale(neutralPointKind(type))->base; }

int neutralPointPreset(int type) {
    if (type == NarrowProbe) return 22;  // 0,44 V
    if (type == HighProbe) return 60;    // 1,20 V
    return 127;                          // 2,54 V
}

const PageList* findList(const PageList* lists, int n, int control) {
    for (int i = 0; i < n; ++i)
        if (lists[i].control == control) return &lists[i];
    return nullptr;
}

TickOutcome configPageTick() {
    if (serviceDialogOpen) return TickOutcome::Suspended;
    // The fitter is choosing in an open list or a dialog of this page talks
    // to the controller itself: leave both alone.
    if (dropDownOpen || configDialogOpen) return TickOutcome::Paused;
    pollConfigurationBlocks();
    return TickOutcome::Polled;
}

PageView configRefreshView(const PageStores& s) {
    PageView v;
    refreshLambda(v, s.configA);
    refreshSpeed(v, s);
    refreshLowSignal(v, s);
    refreshTps(v, s.configA);
    v.add(ViewStep::Text, IDC_CFG_SENSOR_MODE, sensorModeEntry(s.configA.options));
    refreshEmergencyStart(v, s);
    return v;
}

WritePlan configListChange(int control, int k, const PageStores& s) {
    if (k < 0 || k >= listCountOf(control)) return nothingSent();
    for (const ScaledList& l : ConfigScaledLists)
        if (l.control == control) return scaledWrite(s, l.param, k);
    switch (control) {
    case IDC_CFG_PROBE_TYPE: return probeTypeChange(k, s);
    case IDC_CFG_NEUTRAL_POINT:
        return plainWrite(s, Addr::LambdaPoint,
                          scaleValue(*listScale(neutralPointKind(neutralListType)), k));
    case IDC_CFG_EMULATION_TYPE: return emulationTypeChange(k, s);
    case IDC_CFG_SWITCH_SPEED: return speedWrite(s, Param::LpgOnRpmLo, k);
    case IDC_CFG_SWITCH_DIRECTION:
        return configAWrite(
            s, Addr::Options,
            (s.configA.options & ~Options::TwoWayChoice) | (k ? Options::TwoWayChoice : 0));
    case IDC_CFG_TPS_TYPE:
        return configAWrite(s, Addr::LambdaType,
                            (s.configA.lambdaType & LambdaType::ProbeTypeMask) | TpsCodes[k]);
    }
    return nothingSent();
}

WritePlan configBoxClick(int control, bool checked, const PageStores& s) {
    // Only a generation-3 controller has these two bits.
    if (!isGeneration3(s)) return nothingSent();
    uint8_t bit = 0;
    if (control == IDC_CFG_LOW_SIGNAL) bit = EmulType::LowSignalLevel;
    if (control == IDC_CFG_EMERGENCY_START) bit = EmulType::EmergencyStart;
    if (!bit) return nothingSent();
    return configAWrite(s, Addr::EmulType, (s.configA.emulType & ~bit) | (checked ? bit : 0));
}
