// The parameter table's rows, the list scales and the lookups on them.
#include "link/parameters.h"

#include <cstdio>

const char* const ProbeTypeNames[ProbeTypeCount] = {"0-1 V",   "0-5 V -", "0-5 V +",
                                                    "5-0 V -", "5-0 V +", "0,8-1,6 V"};

namespace {

// Shown as the value itself; with unit 0 the texts come from elsewhere
// (the language, for the lists of named choices).
const ScaleText Whole = {"", 1, 0, 1, 1, 0, nullptr};
const ScaleText Named = {"", 1, 0, 1, 0, 0, nullptr};
// Volts of a lambda point: 0,02 V a step, shown in hundredths.
const ScaleText PointVolts = {"", 2, 0, 1, 100, ',', nullptr};

}  // namespace

const ListScale ProbeTypes = {0, 1, ProbeTypeCount, {"", 1, 0, 1, 1, 0, ProbeTypeNames}};
const ListScale NeutralPointsLow = {20, 1, 11, PointVolts};
const ListScale NeutralPointsHigh = {50, 1, 16, PointVolts};
// A colon here, not a decimal comma.
const ListScale NeutralPointsWide = {100, 1, 51, {"", 2, 0, 1, 100, ':', nullptr}};
const ListScale ReadingDelays = {1, 1, 255, {"", 5, 0, 1, 60, ':', nullptr}};
const ListScale EmulationTimes = {1, 1, 255, {"", 25, 0, 1, 1000, ',', nullptr}};
const ListScale SwitchOverSpeeds = {1500, 100, 21, Whole};
const ListScale TpsInertias = {1, 1, 19, {"", 2, 2, 1, 100, ',', nullptr}};
const ListScale Tenths = {1, 1, 50, {"", 1, 0, 1, 10, ',', nullptr}};
const ListScale Plain256 = {0, 1, 256, Whole};
const ListScale Minus256 = {0, 1, 256, {"-", 1, 0, 1, 1, 0, nullptr}};
const ListScale Plus256 = {0, 1, 256, {"+", 1, 0, 1, 1, 0, nullptr}};
const ListScale EvenPercents = {2, 2, 50, Whole};
const ListScale TpsJumps = {0, 5, 51, {"", 1, 0, 5, 10, ',', nullptr}};
const ListScale CutOffSpeeds = {1000, 100, 16, Whole};
const ListScale SwitchOffSpeeds = {4000, 100, 41, Whole};
const ListScale Temperatures = {10, 2, 26, Whole};
const ListScale IgnitionTypes = {1, 1, 18, Named};
const ListScale ChoiceOf2 = {0, 1, 2, Named};
const ListScale ChoiceOf3 = {0, 1, 3, Named};
const ListScale ChoiceOf6 = {0, 1, 6, Named};

int tpsJumpTurned(uint8_t lambdaType, int value) {
    const int top = scaleValue(TpsJumps, TpsJumps.count - 1);
    return tpsType(lambdaType) == 1 ? top - value : value;
}

int scaleValue(const ListScale& s, int k) { return s.base + s.step * k; }

int scaleIndex(const ListScale& s, int value) {
    return value >= s.base ? (value - s.base) / s.step : 0;
}

namespace {

// Digits of the fraction of a unit: 10 one, 60 and 100 two, 1000 three
// (and no more).
int fractionDigits(int unit) {
    if (unit > 100) return 3;
    return unit > 10 ? 2 : 1;
}

}  // namespace

void scaleText(const ListScale& s, int k, char* out, size_t cap) {
    const ScaleText& t = s.text;
    if (t.names) {
        snprintf(out, cap, "%s", k >= 0 && k < s.count ? t.names[k] : "");
        return;
    }
    const long shown = (static_cast<long>(scaleValue(s, k)) * t.mul + t.add) / t.div;
    if (t.unit <= 1)
        snprintf(out, cap, "%s%ld", t.prefix, shown);
    else
        snprintf(out, cap, "%s%ld%c%0*ld", t.prefix, shown / t.unit, t.separator,
                 fractionDigits(t.unit), shown % t.unit);
}

Amount scaleAmount(const ListScale& s, int perUnit, int byte) {
    const ScaleText& t = s.text;
    const long den = static_cast<long>(t.div) * perUnit;
    // The fewest decimals that show every step and the offset exactly.
    int decimals = 0;
    for (long p = 1; decimals < 4 && ((t.mul * p) % den || (t.add * p) % den); p *= 10) ++decimals;
    return {(static_cast<double>(byte) * t.mul + t.add) / den, decimals};
}

#define ZUVELS_PARAM_ROW(name, address, span, byte1, byte3, position, key, formats, factory1, \
                         factory3, scale, cliKey, label, unit, perUnit)                       \
    {#name,    address,  span,  byte1,  byte3, position, key,    formats,                     \
     factory1, factory3, scale, cliKey, label, unit,     perUnit},
const Parameter Parameters[ParamCount] = {ZUVELS_PARAMETERS(ZUVELS_PARAM_ROW)};
#undef ZUVELS_PARAM_ROW

const Parameter& parameter(Param p) { return Parameters[static_cast<int>(p)]; }

FieldRef parameterByte(const Parameter& row, int generation) {
    return generation == 3 ? row.byteOf3 : row.byteOf1;
}

int factoryValue(const Parameter& row, int generation) {
    return generation == 3 ? row.factoryOf3 : row.factoryOf1;
}

FieldRef fieldForAddress(uint8_t address, int generation) {
    for (const Parameter& row : Parameters) {
        const FieldRef byte = parameterByte(row, generation);
        if (byte.block == BlockId::None) continue;
        if (address >= row.address && address < row.address + row.span)
            return FieldRef{byte.block, static_cast<uint8_t>(byte.offset + address - row.address)};
    }
    return FieldRef{BlockId::None, 0};
}

const Parameter* parameterAt(int address) {
    for (const Parameter& row : Parameters)
        if (address >= row.address && address < row.address + row.span) return &row;
    return nullptr;
}

namespace {

uint8_t formatBit(int version) { return version == 3 ? InV3 : InV1; }

}  // namespace

const Parameter* settingsParameter(int version, int k) {
    for (const Parameter& row : Parameters)
        if (row.settingsPosition == k && (row.formats & formatBit(version))) return &row;
    return nullptr;
}

int settingsParameterCount(int version) {
    int count = 0;
    for (const Parameter& row : Parameters)
        if (row.formats & formatBit(version)) ++count;
    return count;
}
