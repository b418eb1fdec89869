#include "cli/fields.h"

#include <cstdio>
#include <cstdlib>

#include "link/correction_nibbles.h"
#include "link/parameters.h"

namespace {

const char* const TankLevelNames[] = {"reserve", "1/4", "2/4", "3/4", "4/4"};

FieldRef ref(BlockId block, const void* base, const void* byte) {
    return {block, static_cast<uint8_t>(static_cast<const uint8_t*>(byte) -
                                        static_cast<const uint8_t*>(base))};
}

// Adds fields of one block, each naming the bytes it comes from.
struct BlockFields {
    std::vector<Field>& out;
    const char* block;
    BlockId id;
    const void* base;

    Field& add(const char* key, const char* label, const char* unit, const uint8_t* a,
               const uint8_t* b = nullptr) {
        Field f = {block, key, label, unit, FieldKind::Number, 0, 0, "", {}, 0};
        f.sources[f.sourceCount++] = ref(id, base, a);
        if (b) f.sources[f.sourceCount++] = ref(id, base, b);
        out.push_back(f);
        return out.back();
    }
    void number(const char* key, const char* label, const char* unit, double v, int decimals,
                const uint8_t* a, const uint8_t* b = nullptr) {
        Field& f = add(key, label, unit, a, b);
        f.number = v;
        f.decimals = decimals;
    }
    // A byte on its parameter row's list scale (or on scale, for a row whose
    // list depends on more than the row), named and counted as the row says.
    void scaled(Param p, int byte, const uint8_t* a, const uint8_t* b = nullptr,
                const ListScale* scale = nullptr) {
        const Parameter& row = parameter(p);
        const Amount v = scaleAmount(scale ? *scale : *row.scale, row.cliPerUnit, byte);
        param(p, v.value, v.decimals, a, b);
    }
    // A number named as its parameter row names it.
    void param(Param p, double v, int decimals, const uint8_t* a, const uint8_t* b = nullptr) {
        const Parameter& row = parameter(p);
        number(row.cliKey, row.cliLabel, row.unit, v, decimals, a, b);
    }
    void paramText(Param p, const std::string& t, const uint8_t* a, const uint8_t* b = nullptr) {
        text(parameter(p).cliKey, parameter(p).cliLabel, t, a, b);
    }
    void flag(const char* key, const char* label, const uint8_t* a, uint8_t mask) {
        Field& f = add(key, label, "", a);
        f.kind = FieldKind::Flag;
        f.number = (*a & mask) ? 1 : 0;
    }
    void text(const char* key, const char* label, const std::string& t, const uint8_t* a,
              const uint8_t* b = nullptr) {
        Field& f = add(key, label, "", a, b);
        f.kind = FieldKind::Text;
        f.text = t;
    }
};

void decodeStatus(const StatusBlock& s, std::vector<Field>& out) {
    BlockFields f{out, "status", BlockId::Status, &s};
    const int generation = generationOf(s.identity);
    const int variant = variantOf(s.identity);
    char version[16];
    formatVersion(generation, variant, version, sizeof version);
    f.number("generation", "generation", "", generation, 0, &s.identity);
    f.number("variant", "variant", "", variant, 0, &s.identity);
    f.text("version", "version", version, &s.identity);
}

void decodeLive(const LiveBlock& l, std::vector<Field>& out) {
    BlockFields f{out, "live", BlockId::Live, &l};
    f.number("engine_speed_rpm", "engine speed", "rpm", engineSpeedShown(l), 0, &l.rpmPeriodLo,
             &l.rpmPeriodHi);
    f.number("lambda_voltage_v", "lambda probe voltage", "V", voltsFromRaw(l.voltageB), 2,
             &l.voltageB);
    f.number("throttle_voltage_v", "throttle sensor voltage", "V", voltsFromRaw(l.voltageA), 2,
             &l.voltageA);
    f.number("position", "position", "", l.position, 0, &l.position);
    f.scaled(Param::AttInit, l.attInit, &l.attInit);
    f.number("reducer_temperature_c", "reducer temperature", "C",
             temperatureFromRaw(l.temperatureRaw), 0, &l.temperatureRaw);
    f.flag("ready", "ready", &l.flagsA, FlagsA::Ready);
    f.flag("on_gas", "on gas", &l.flagsB, FlagsB::OnGas);
    f.flag("learn_active", "learning", &l.flagsB, FlagsB::LearnActive);
    f.flag("gas_off", "gas switched off", &l.flagsB, FlagsB::GasOff);
    f.flag("cut_off_active", "cut-off active", &l.flagsB, FlagsB::CutOffActive);
    f.flag("switch_over_speed_reached", "switch-over speed reached", &l.flagsB,
           FlagsB::SwitchedOver);
    f.flag("switch_over_temperature_reached", "switch-over temperature reached", &l.flagsB,
           FlagsB::Warm);
}

int levelSensorMode(uint8_t options) {
    if (options & Options::LevelModeFirst) return 1;
    return (options & Options::LevelModeSecond) ? 2 : 3;
}

void decodeOptions(BlockFields& f, const ConfigABlock& a) {
    f.number("level_sensor_mode", "gas level sensor mode", "", levelSensorMode(a.options), 0,
             &a.options);
    f.flag("option_switch_over_temperature", "option: switch-over temperature", &a.options,
           Options::SwitchOverTemp);
    f.flag("option_reference_position_hidden", "option: reference position hidden", &a.options,
           Options::AttInitHidden);
    f.flag("option_jump_functions", "option: jump functions", &a.options, Options::JumpFunctions);
    f.flag("option_switch_over_falling_speed", "option: switch-over on falling speed", &a.options,
           Options::TwoWayChoice);
    f.flag("option_cut_off", "option: cut-off", &a.options, Options::CutOff);
    f.flag("option_switch_off_speed", "option: switch-off speed", &a.options,
           Options::SwitchOffSpeed);
}

void decodeEmulation(BlockFields& f, const ConfigABlock& a, int generation) {
    f.number("emulation_type", "lambda emulation type", "", a.emulType & EmulType::TypeMask, 0,
             &a.emulType);
    if (generation == 3) {
        f.flag("low_signal_level", "low signal level", &a.emulType, EmulType::LowSignalLevel);
        f.flag("emergency_start", "emergency engine start", &a.emulType, EmulType::EmergencyStart);
    }
    f.flag("detailed_status", "detailed status messages", &a.emulType, EmulType::DetailedStatus);
    f.scaled(Param::EmulBjTimeHi, a.emulBjTimeHi, &a.emulBjTimeHi);
    f.scaled(Param::EmulBjTimeLo, a.emulBjTimeLo, &a.emulBjTimeLo);
}

// Four signed corrections, a nibble each of two bytes, as the corrections
// dialog shows them.
void decodeCorrections(BlockFields& f, const uint8_t* byteA, const uint8_t* byteB) {
    static const char* const Keys[CorrectionRows] = {"correction_1", "correction_2", "correction_3",
                                                     "correction_4"};
    static const char* const Labels[CorrectionRows] = {"correction 1", "correction 2",
                                                       "correction 3", "correction 4"};
    for (int row = 0; row < CorrectionRows; ++row) {
        const CorrectionField c = correctionField(row);
        const uint8_t* byte = c.byte == 0 ? byteA : byteB;
        const int nibble = c.high ? *byte >> 4 : *byte & 0x0F;
        f.number(Keys[row], Labels[row], "", correctionValue(row, correctionIndexForNibble(nibble)),
                 0, byte);
    }
}

void decodeConfigA(const ConfigABlock& a, int generation, std::vector<Field>& out) {
    BlockFields f{out, "config_a", BlockId::ConfigA, &a};
    decodeOptions(f, a);
    f.number("throttle_sensor_type", "throttle sensor type", "", tpsType(a.lambdaType), 0,
             &a.lambdaType);
    const int probe = probeType(a.lambdaType);
    f.text("lambda_probe_type", "lambda probe type",
           probe < ProbeTypeCount ? ProbeTypeNames[probe] : "?", &a.lambdaType);
    // Every probe type's neutral points count alike; only their lists differ.
    f.scaled(Param::LambdaPoint, a.lambdaPoint, &a.lambdaPoint, nullptr, &NeutralPointsLow);
    f.scaled(Param::LambdaDelay, a.lambdaDelay, &a.lambdaDelay);
    decodeEmulation(f, a, generation);
    if (generation == 3)
        f.scaled(Param::Wozg, a.emulDoTimeHi, &a.emulDoTimeHi);
    else
        decodeCorrections(f, &a.emulDoTimeHi, &a.emulDoTimeLo);
    f.scaled(Param::InjectDelay, a.injectDelay, &a.injectDelay);
    f.param(Param::LpgOnTemp, temperatureFromRaw(a.lpgOnTemp), 0, &a.lpgOnTemp);
    f.scaled(Param::TpsInert, a.tpsInert, &a.tpsInert);
}

void decodeConfigB(const ConfigBBlock& b, uint8_t lambdaType, int generation,
                   std::vector<Field>& out) {
    BlockFields f{out, "config_b", BlockId::ConfigB, &b};
    f.scaled(Param::AttMax, b.attMax, &b.attMax);
    f.scaled(Param::AttMin, b.attMin, &b.attMin);
    f.scaled(Param::AttMaxBj, b.attMaxBj, &b.attMaxBj);
    f.scaled(Param::AttMinBj, b.attMinBj, &b.attMinBj);
    f.scaled(Param::TpsJump, tpsJumpTurned(lambdaType, b.tpsJump), &b.tpsJump);
    if (generation == 3)
        f.number("jump_marker_percent", "jump marker", "%", b.attJump, 0, &b.attJump);
    else
        f.number("jump_marker_position", "jump marker position", "", b.attJump, 0, &b.attJump);
    f.param(Param::LpgOnRpmLo, rpmFromBytes(b.lpgOnRpmHi, b.lpgOnRpmLo), 0, &b.lpgOnRpmLo,
            &b.lpgOnRpmHi);
    f.scaled(Param::IgnitionType, b.ignitionType, &b.ignitionType);
    f.param(Param::CutOffRpmLo, rpmFromBytes(b.cutOffRpmHi, b.cutOffRpmLo), 0, &b.cutOffRpmLo,
            &b.cutOffRpmHi);
    f.scaled(Param::CutOffSteps, b.cutOffSteps, &b.cutOffSteps);
    f.param(Param::LpgOffRpmLo, rpmFromBytes(b.lpgOffRpmHi, b.lpgOffRpmLo), 0, &b.lpgOffRpmLo,
            &b.lpgOffRpmHi);
}

void decodeExtended(const ExtendedBlock& e, std::vector<Field>& out) {
    BlockFields f{out, "extended", BlockId::Extended, &e};
    const uint8_t* thresholds[4] = {&e.prog1, &e.prog2, &e.prog3, &e.prog4};
    const Param rows[4] = {Param::Prog1, Param::Prog2, Param::Prog3, Param::Prog4};
    for (int i = 0; i < 4; ++i) f.param(rows[i], *thresholds[i], 0, thresholds[i]);
    const int level = e.tankLevel & TankLevelMask;
    f.text("tank_level", "tank level", level <= 4 ? TankLevelNames[level] : "?", &e.tankLevel);
    decodeCorrections(f, &e.zamOtwBj, &e.zamOtwDo);
    const TimeOnGas t = timeOnGas(e);
    f.number("time_on_gas_hours", "time on gas, hours", "h", t.hours, 0, &e.gasHoursLo,
             &e.gasHoursHi);
    f.param(Param::GasMinutes, t.minutes, 0, &e.gasMinutes);
    char text[32];
    formatInstallDate(decodeInstallDate(e.installDateLo, e.installDateHi), text, sizeof text);
    f.paramText(Param::InstallDateLo, text, &e.installDateLo, &e.installDateHi);
    formatRegistration(e, text, sizeof text);
    f.paramText(Param::Registration, text, &e.registration[0]);
}

}  // namespace

namespace {

// The length of the well-formed UTF-8 sequence at s[i] (1..4), or 0 when
// the bytes there aren't one: a stray continuation byte, an overlong form, a
// surrogate, a code point past U+10FFFF or a sequence cut short.
size_t utf8SequenceAt(const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char b = static_cast<unsigned char>(s[i + k]);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

const char ReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

}  // namespace

std::string jsonQuoted(const std::string& s) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t length = utf8SequenceAt(s, i);
        if (length == 0) {
            out += ReplacementCharacter;
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out.append(s, i, length);
        }
        i += length;
    }
    return out + "\"";
}

BlockSet BlockValues::set() { return {&status, &live, &configA, &configB, &extended}; }

std::vector<Field> decodeBlocks(const BlockValues& b, int generation) {
    std::vector<Field> out;
    decodeStatus(b.status, out);
    decodeLive(b.live, out);
    decodeConfigA(b.configA, generation, out);
    decodeConfigB(b.configB, b.configA.lambdaType, generation, out);
    if (generation == 3) decodeExtended(b.extended, out);
    return out;
}

std::string fieldValueText(const Field& f) {
    switch (f.kind) {
    case FieldKind::Flag: return f.number != 0 ? "yes" : "no";
    case FieldKind::Text: return f.text;
    case FieldKind::Number: break;
    }
    char text[32];
    snprintf(text, sizeof text, "%.*f", f.decimals, f.number);
    return text;
}

std::string fieldValueWithUnit(const Field& f) {
    const std::string v = fieldValueText(f);
    return f.unit[0] ? v + " " + f.unit : v;
}

std::string fieldJsonValue(const Field& f) {
    switch (f.kind) {
    case FieldKind::Flag: return f.number != 0 ? "true" : "false";
    case FieldKind::Text: return jsonQuoted(f.text);
    case FieldKind::Number: break;
    }
    return fieldValueText(f);
}

BlockValues storedBlocks() { return {Status, Live, ConfigA, ConfigB, Extended}; }
