// The parameter table: one row per writable controller address, and the
// scales of the lists the pages offer a value in. Every other list of
// addresses (the write addresses, the block byte an address changes, the
// settings-file keys, the simulator's factory values, lpgctl's names) is
// read from here; what else a new row needs is in docs/architecture.md,
// "Adding a parameter". Portable: no <windows.h>.
#ifndef ZUVELS_LINK_PARAMETERS_H
#define ZUVELS_LINK_PARAMETERS_H

#include <cstddef>
#include <cstdint>

#include "link/blocks.h"

// ---- list scales ----

// How an item's value is shown: shown = (value * mul + add) / div, then
// written as shown / unit, the separator and shown % unit with as many
// digits as unit - 1 has (a unit of 1 writes the whole number alone).
// With names, item k is names[k] instead.
struct ScaleText {
    const char* prefix;  // "-", "+" or ""
    int mul, add, div;
    int unit;
    char separator;
    const char* const* names;
};

// A list of count items where item k stands for the value base + step * k.
struct ListScale {
    int base, step, count;
    ScaleText text;
};
// The value item k stands for.
int scaleValue(const ListScale& s, int k);
// The item for a value: the one at or below it, the first for values below base.
int scaleIndex(const ListScale& s, int value);
// The text of item k (ASCII), into out of cap bytes.
void scaleText(const ListScale& s, int k, char* out, size_t cap);

// The lambda probe types, by their code (the high nibble of ConfigA.lambdaType).
enum { ProbeTypeCount = 6 };
extern const char* const ProbeTypeNames[ProbeTypeCount];

extern const ListScale ProbeTypes;
extern const ListScale NeutralPointsLow;   // probe type 0: 0,40 .. 0,60 V
extern const ListScale NeutralPointsHigh;  // probe type 5: 1,00 .. 1,30 V
extern const ListScale NeutralPointsWide;  // other probe types: 2:00 .. 3:00 V
extern const ListScale ReadingDelays;      // m:ss
extern const ListScale EmulationTimes;     // s,mmm
extern const ListScale SwitchOverSpeeds;   // rpm
extern const ListScale TpsInertias;        // V
extern const ListScale Tenths;             // 0,1 .. 5,0 s
extern const ListScale Plain256;           // 0 .. 255
extern const ListScale Minus256;           // -0 .. -255
extern const ListScale Plus256;            // +0 .. +255
extern const ListScale EvenPercents;       // 2 .. 100
extern const ListScale TpsJumps;           // 0,0 .. 5,0 V
extern const ListScale CutOffSpeeds;       // rpm
extern const ListScale SwitchOffSpeeds;    // rpm
extern const ListScale Temperatures;       // degrees C, written through rawFromTemperature
extern const ListScale IgnitionTypes;      // texts from the language
extern const ListScale ChoiceOf2, ChoiceOf3, ChoiceOf6;  // index = value; language texts

// The throttle jump threshold as meant from the byte as stored, and back:
// throttle sensors of code 1 keep it reversed (the top of TpsJumps minus
// the value), the others as it is.
int tpsJumpTurned(uint8_t lambdaType, int value);

// ---- the table ----

// Where a row's byte lives for a generation: ConfigA, ConfigB, Live,
// Extended, or nowhere (ZUVELS_NO_BYTE: a command, or an address the
// generation takes and forgets).
// clang-format off
#define ZUVELS_IN_A(member) FieldRef{BlockId::ConfigA, offsetof(ConfigABlock, member)}
#define ZUVELS_IN_B(member) FieldRef{BlockId::ConfigB, offsetof(ConfigBBlock, member)}
#define ZUVELS_IN_L(member) FieldRef{BlockId::Live, offsetof(LiveBlock, member)}
#define ZUVELS_IN_E(member) FieldRef{BlockId::Extended, offsetof(ExtendedBlock, member)}
#define ZUVELS_NO_BYTE FieldRef{BlockId::None, 0}
// clang-format on

// Settings-file formats a key belongs to (version 1 .zss, version 3 .zs2).
enum : uint8_t { InV1 = 1, InV3 = 2, InBoth = InV1 | InV3 };
// No settings key, no factory value.
enum : int { NoKey = -1, NoFactory = -1 };

// Options and emulation switches a controller leaves the factory with.
enum : uint8_t {
    FactoryOptions = Options::SwitchOverTemp | Options::JumpFunctions | Options::CutOff |
                     Options::SwitchOffSpeed,
    FactoryEmulType = EmulType::DetailedStatus
};

// X(name, address, span, byte of generation 1, byte of generation 3,
//   settings position, settings key, formats, factory value of generation 1,
//   factory value of generation 3, list scale, lpgctl key, lpgctl label, unit,
//   steps of the scale's finest unit per lpgctl unit)
//
// The address is the program's numbering: the wire adds 1 for generation 3.
// A span above 1 covers that many consecutive addresses and bytes. Position
// k is the k-th key of a settings file after its header words. A list
// scale is the list a page offers the value in (nullptr where the list
// depends on more than the row). The two-byte speeds and the installation
// date have their lpgctl name on the low byte's row. lpgctl shows a byte
// on its row's scale as the scale's value in its finest unit (ms, s, tenths
// of a second, hundredths of a volt), divided by the last column: 10 tenths
// make the second lpgctl shows.
// clang-format off
#define ZUVELS_PARAMETERS(X) \
    X(Options, 5, 1, ZUVELS_IN_A(options), ZUVELS_IN_A(options), \
      0, "Options=", InBoth, FactoryOptions, FactoryOptions, \
      nullptr, nullptr, nullptr, nullptr, 1) \
    X(LambdaType, 6, 1, ZUVELS_IN_A(lambdaType), ZUVELS_IN_A(lambdaType), \
      1, "LambdaType=", InBoth, 0, 0, nullptr, nullptr, nullptr, nullptr, 1) \
    X(LambdaPoint, 7, 1, ZUVELS_IN_A(lambdaPoint), ZUVELS_IN_A(lambdaPoint), \
      2, "LambdaPoint=", InBoth, 22, 22, nullptr, \
      "lambda_point_v", "lambda switching point", "V", 100) \
    X(LambdaDelay, 8, 1, ZUVELS_IN_A(lambdaDelay), ZUVELS_IN_A(lambdaDelay), \
      3, "LambdaDelay=", InBoth, 2, 2, &ReadingDelays, \
      "lambda_delay_s", "lambda reading delay", "s", 1) \
    X(EmulType, 9, 1, ZUVELS_IN_A(emulType), ZUVELS_IN_A(emulType), \
      4, "EmulType=", InBoth, FactoryEmulType, FactoryEmulType, \
      nullptr, nullptr, nullptr, nullptr, 1) \
    X(EmulBjTimeHi, 10, 1, ZUVELS_IN_A(emulBjTimeHi), ZUVELS_IN_A(emulBjTimeHi), \
      5, "EmulBJ_TimeHi=", InBoth, 20, 20, &EmulationTimes, \
      "emulation_time_high_ms", "emulation time, high state", "ms", 1) \
    X(EmulBjTimeLo, 11, 1, ZUVELS_IN_A(emulBjTimeLo), ZUVELS_IN_A(emulBjTimeLo), \
      6, "EmulBJ_TimeLo=", InBoth, 20, 20, &EmulationTimes, \
      "emulation_time_low_ms", "emulation time, low state", "ms", 1) \
    /* Generation 3 moved the two correction bytes to block 5. */ \
    X(EmulDoTimeHi, 12, 1, ZUVELS_IN_A(emulDoTimeHi), ZUVELS_NO_BYTE, \
      7, "EmulDO_TimeHi=", InV1, 0x33, NoFactory, nullptr, nullptr, nullptr, nullptr, 1) \
    X(EmulDoTimeLo, 13, 1, ZUVELS_IN_A(emulDoTimeLo), ZUVELS_NO_BYTE, \
      8, "EmulDO_TimeLo=", InV1, 0x33, NoFactory, nullptr, nullptr, nullptr, nullptr, 1) \
    X(ZamOtwBj, 12, 1, ZUVELS_NO_BYTE, ZUVELS_IN_E(zamOtwBj), \
      7, "ZAM_OTW_BJ=", InV3, NoFactory, 0x23, nullptr, nullptr, nullptr, nullptr, 1) \
    X(ZamOtwDo, 13, 1, ZUVELS_NO_BYTE, ZUVELS_IN_E(zamOtwDo), \
      8, "ZAM_OTW_DO=", InV3, NoFactory, 0x45, nullptr, nullptr, nullptr, nullptr, 1) \
    X(InjectDelay, 14, 1, ZUVELS_IN_A(injectDelay), ZUVELS_IN_A(injectDelay), \
      9, "InjectDelay=", InBoth, 10, 10, &Tenths, \
      "overlap_time_s", "petrol/gas overlap time", "s", 10) \
    X(LpgOnTemp, 15, 1, ZUVELS_IN_A(lpgOnTemp), ZUVELS_IN_A(lpgOnTemp), \
      10, "LPGOnTemp=", InBoth, 145 /* 30 C */, 145, &Temperatures, \
      "switch_over_temperature_c", "switch-over temperature", "C", 1) \
    X(AttMax, 16, 1, ZUVELS_IN_B(attMax), ZUVELS_IN_B(attMax), \
      11, "AttMax=", InBoth, 20, 20, &Plus256, "band_upper", "upper band width", "", 1) \
    X(AttMin, 17, 1, ZUVELS_IN_B(attMin), ZUVELS_IN_B(attMin), \
      12, "AttMin=", InBoth, 20, 20, &Minus256, "band_lower", "lower band width", "", 1) \
    X(AttInit, 18, 1, ZUVELS_IN_L(attInit), ZUVELS_IN_L(attInit), \
      13, "AttInit=", InBoth, 128, 128, &Plain256, \
      "reference_position", "reference position", "", 1) \
    X(TpsJump, 19, 1, ZUVELS_IN_B(tpsJump), ZUVELS_IN_B(tpsJump), \
      14, "TPSJump=", InBoth, 25, 25, &TpsJumps, \
      "throttle_jump_v", "throttle jump threshold", "V", 10) \
    /* Named by generation in lpgctl: a position, or percent steps. */ \
    X(AttJump, 20, 1, ZUVELS_IN_B(attJump), ZUVELS_IN_B(attJump), \
      15, "AttJump=", InBoth, 160, 20, nullptr, nullptr, nullptr, nullptr, 1) \
    X(LpgOnRpmLo, 21, 1, ZUVELS_IN_B(lpgOnRpmLo), ZUVELS_IN_B(lpgOnRpmLo), \
      16, "LPGOnRPMLo=", InBoth, 0x4C /* 2000 rpm */, 0x4C, &SwitchOverSpeeds, \
      "switch_over_speed_rpm", "switch-over engine speed", "rpm", 1) \
    X(LpgOnRpmHi, 22, 1, ZUVELS_IN_B(lpgOnRpmHi), ZUVELS_IN_B(lpgOnRpmHi), \
      17, "LPGOnRPMHi=", InBoth, 0x1D, 0x1D, nullptr, nullptr, nullptr, nullptr, 1) \
    X(IgnitionType, 23, 1, ZUVELS_IN_B(ignitionType), ZUVELS_IN_B(ignitionType), \
      18, "IgnitionType=", InBoth, 1, 1, &IgnitionTypes, "ignition_type", "ignition type", "", 1) \
    X(CutOffRpmLo, 24, 1, ZUVELS_IN_B(cutOffRpmLo), ZUVELS_IN_B(cutOffRpmLo), \
      19, "CutOffRPMLo=", InBoth, 0x10 /* 1500 rpm */, 0x10, &CutOffSpeeds, \
      "cut_off_speed_rpm", "cut-off engine speed", "rpm", 1) \
    X(CutOffRpmHi, 25, 1, ZUVELS_IN_B(cutOffRpmHi), ZUVELS_IN_B(cutOffRpmHi), \
      20, "CutOffRPMHi=", InBoth, 0x27, 0x27, nullptr, nullptr, nullptr, nullptr, 1) \
    X(CutOffSteps, 26, 1, ZUVELS_IN_B(cutOffSteps), ZUVELS_IN_B(cutOffSteps), \
      21, "CutOffSteps=", InBoth, 50, 50, &EvenPercents, \
      "cut_off_depth_percent", "cut-off depth", "%", 1) \
    X(LpgOffRpmLo, 27, 1, ZUVELS_IN_B(lpgOffRpmLo), ZUVELS_IN_B(lpgOffRpmLo), \
      22, "LPGOffRPMLo=", InBoth, 0xC4 /* 6000 rpm */, 0xC4, &SwitchOffSpeeds, \
      "switch_off_speed_rpm", "switch-off engine speed", "rpm", 1) \
    X(LpgOffRpmHi, 28, 1, ZUVELS_IN_B(lpgOffRpmHi), ZUVELS_IN_B(lpgOffRpmHi), \
      23, "LPGOffRPMHi=", InBoth, 0x09, 0x09, nullptr, nullptr, nullptr, nullptr, 1) \
    X(TpsInert, 29, 1, ZUVELS_IN_A(tpsInert), ZUVELS_IN_A(tpsInert), \
      24, "TPSInert=", InBoth, 5, 5, &TpsInertias, \
      "throttle_inertia_v", "throttle sensor inertia at idle", "V", 100) \
    X(Command, 30, 1, ZUVELS_NO_BYTE, ZUVELS_NO_BYTE, \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, nullptr, nullptr, nullptr, 1) \
    X(AttMaxBj, 31, 1, ZUVELS_IN_B(attMaxBj), ZUVELS_IN_B(attMaxBj), \
      25, "AttMax_BJ=", InBoth, 40, 40, &Plus256, \
      "second_band_upper", "second upper band width", "", 1) \
    X(AttMinBj, 32, 1, ZUVELS_IN_B(attMinBj), ZUVELS_IN_B(attMinBj), \
      26, "AttMin_BJ=", InBoth, 40, 40, &Minus256, \
      "second_band_lower", "second lower band width", "", 1) \
    X(Prog1, 33, 1, ZUVELS_IN_E(prog1), ZUVELS_IN_E(prog1), \
      27, "Prog1=", InV3, 40, 40, nullptr, \
      "gas_level_threshold_1", "gas level threshold reserve-1/4", "", 1) \
    X(Prog2, 34, 1, ZUVELS_IN_E(prog2), ZUVELS_IN_E(prog2), \
      28, "Prog2=", InV3, 90, 90, nullptr, \
      "gas_level_threshold_2", "gas level threshold 1/4-2/4", "", 1) \
    X(Prog3, 35, 1, ZUVELS_IN_E(prog3), ZUVELS_IN_E(prog3), \
      29, "Prog3=", InV3, 140, 140, nullptr, \
      "gas_level_threshold_3", "gas level threshold 2/4-3/4", "", 1) \
    X(Prog4, 36, 1, ZUVELS_IN_E(prog4), ZUVELS_IN_E(prog4), \
      30, "Prog4=", InV3, 190, 190, nullptr, \
      "gas_level_threshold_4", "gas level threshold 3/4-4/4", "", 1) \
    /* "WOZG", the initial gas valve opening time: generation 1 takes its */ \
    /* write and forgets it. */ \
    X(Wozg, 37, 1, ZUVELS_NO_BYTE, ZUVELS_IN_A(emulDoTimeHi), \
      31, "WOZG=", InV3, NoFactory, 15, &Tenths, \
      "initial_valve_opening_s", "initial gas valve opening time", "s", 10) \
    /* Clearing the time-on-gas hours: no stored byte of their own. */ \
    X(GasCounterA, 38, 1, ZUVELS_NO_BYTE, ZUVELS_NO_BYTE, \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, nullptr, nullptr, nullptr, 1) \
    X(GasCounterB, 39, 1, ZUVELS_NO_BYTE, ZUVELS_NO_BYTE, \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, nullptr, nullptr, nullptr, 1) \
    X(InstallDateLo, 40, 1, ZUVELS_IN_E(installDateLo), ZUVELS_IN_E(installDateLo), \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, \
      "install_date", "installation date", "", 1) \
    X(InstallDateHi, 41, 1, ZUVELS_IN_E(installDateHi), ZUVELS_IN_E(installDateHi), \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, nullptr, nullptr, nullptr, 1) \
    X(Registration, 42, 7, ZUVELS_IN_E(registration), ZUVELS_IN_E(registration), \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, "registration", "registration", "", 1) \
    X(GasMinutes, 49, 1, ZUVELS_IN_E(gasMinutes), ZUVELS_IN_E(gasMinutes), \
      NoKey, nullptr, 0, NoFactory, NoFactory, nullptr, \
      "time_on_gas_minutes", "time on gas, minutes", "min", 1)
// clang-format on

// The rows by name: Param::AttMax.
#define ZUVELS_PARAM_NAME(name, ...) name,
enum class Param : uint8_t { ZUVELS_PARAMETERS(ZUVELS_PARAM_NAME) };
#undef ZUVELS_PARAM_NAME
#define ZUVELS_PARAM_ONE(...) +1
enum { ParamCount = 0 ZUVELS_PARAMETERS(ZUVELS_PARAM_ONE) };
#undef ZUVELS_PARAM_ONE

// The write addresses by name (program numbering; the wire adds 1 for
// generation 3): Addr::AttMax.
namespace Addr {
#define ZUVELS_PARAM_ADDRESS(name, address, ...) name = address,
enum : uint8_t { ZUVELS_PARAMETERS(ZUVELS_PARAM_ADDRESS) };
#undef ZUVELS_PARAM_ADDRESS
}  // namespace Addr

struct Parameter {
    const char* name;
    uint8_t address;
    uint8_t span;
    FieldRef byteOf1, byteOf3;
    int settingsPosition;  // NoKey: not in a settings file
    const char* settingsKey;
    uint8_t formats;  // InV1, InV3
    int factoryOf1, factoryOf3;
    const ListScale* scale;
    const char* cliKey;  // lpgctl's name; nullptr where lpgctl builds the field itself
    const char* cliLabel;
    const char* unit;
    int cliPerUnit;  // steps of the scale's finest unit per lpgctl unit
};
extern const Parameter Parameters[ParamCount];
const Parameter& parameter(Param p);

// The row's byte for a controller of generation gen (3, or anything else
// for generation 1).
FieldRef parameterByte(const Parameter& row, int generation);
// The row's factory value for a generation, or NoFactory.
int factoryValue(const Parameter& row, int generation);

// What lpgctl shows of a stored byte of a row with a list scale: the
// scale's value, in the row's unit, with as many decimals as its steps need
// (a throttle jump of 27 on the 0,5 V list is 0.54 V, between two items).
struct Amount {
    double value;
    int decimals;
};
Amount scaleAmount(const ListScale& s, int perUnit, int byte);

// The byte that address a changes on a controller of generation gen: the
// one address map, used by settings files and the simulator alike.
// BlockId::None for the command register, the time-on-gas counter bytes,
// "WOZG" on generation 1 and unknown addresses.
FieldRef fieldForAddress(uint8_t address, int generation);

// The row whose addresses (address .. address + span - 1) hold a, or
// nullptr: the addresses a controller takes writes at.
const Parameter* parameterAt(int address);

// Settings-file key k of a format (version 1 or 3): its row, or nullptr
// past the format's parameter keys.
const Parameter* settingsParameter(int version, int k);
// How many parameter keys a format holds (27 or 32).
int settingsParameterCount(int version);

#endif
