// Block stores and value conversions of the controller's five read blocks.
// Portable: no <windows.h>.
#ifndef ZUVELS_LINK_BLOCKS_H
#define ZUVELS_LINK_BLOCKS_H

#include <cstddef>
#include <cstdint>

// Every block is a plain byte string: lead byte 'e', payload, 8-bit sum.
// All members are single bytes, so the structs have no padding; the
// static_asserts below keep it that way.
//
// The field names are the controller's own, as its settings keys spell them
// ("AttMax_BJ" is ConfigB.attMaxBj). What the shorter ones stand for:
//   lead, checksum        first byte 0x65; byte sum of all earlier bytes
//   identity              generation (bits 5..7, minus 1) and variant
//   voltageA, voltageB    throttle sensor input, lambda probe input (raw)
//   position              position value now, on the readings page's bar
//   attInit               reference position: the centre of both bands
//   attMin, attMax        lower and upper width of the red band
//   attMinBj, attMaxBj    lower and upper width of the second (cyan) band
//   attJump, tpsJump      jump marker; throttle jump threshold
//   tpsInert              throttle sensor inertia at idle
//   ...RpmLo, ...RpmHi    an engine speed as a 16-bit period: low, high byte
//   lpgOn..., lpgOff...   switching over to gas; switching gas off
//   cutOff...             fuel cut-off: speed and depth (cutOffSteps)
//   emulType              lambda emulation type and further switches
//   emulBjTimeHi, ...Lo   emulation times of the high and of the low signal
//                         state: two values, not two bytes of one
//   emulDoTimeHi, ...Lo   generation 1: the four corrections of the options
//                         sub-dialog, a nibble each; generation 3: Hi is
//                         "WOZG", the initial gas valve opening time
//   zamOtwBj, zamOtwDo    generation 3: the same four corrections
//   injectDelay           petrol/gas overlap time
//   prog1..prog4          gas level thresholds: reserve|1/4 .. 3/4|4/4
//   tankLevel             tank level now: 0 reserve, 1..4 quarters
//   gasMinutes, gasHours  time on gas; installDate, registration: service data

struct StatusBlock {
    uint8_t lead;
    uint8_t byte1;     // stored, never interpreted
    uint8_t identity;  // bits 5..7 generation - 1, bits 0..4 variant
    uint8_t checksum;
};
inline int generationOf(uint8_t identity) { return identity / 32 + 1; }
inline int variantOf(uint8_t identity) { return identity & 0x1F; }

struct LiveBlock {
    uint8_t lead;
    uint8_t voltageA;  // throttle position sensor input
    uint8_t voltageB;  // lambda probe input
    uint8_t position;
    uint8_t attInit;
    uint8_t rpmPeriodLo;
    uint8_t rpmPeriodHi;  // 255 = engine stopped
    uint8_t flagsA;
    uint8_t flagsB;
    uint8_t temperatureRaw;
    uint8_t checksum;
};

struct ConfigABlock {
    uint8_t lead;
    uint8_t options;
    uint8_t lambdaType;
    uint8_t lambdaPoint;
    uint8_t lambdaDelay;
    uint8_t emulType;
    uint8_t emulBjTimeHi;
    uint8_t emulBjTimeLo;
    uint8_t emulDoTimeHi;  // generation 3: "WOZG", initial valve opening time
    uint8_t emulDoTimeLo;
    uint8_t injectDelay;
    uint8_t lpgOnTemp;
    uint8_t tpsInert;
    uint8_t checksum;
};

struct ConfigBBlock {
    uint8_t lead;
    uint8_t attMax;
    uint8_t attMin;
    uint8_t tpsJump;
    uint8_t attJump;
    uint8_t lpgOnRpmLo;
    uint8_t lpgOnRpmHi;
    uint8_t ignitionType;
    uint8_t cutOffRpmLo;
    uint8_t cutOffRpmHi;
    uint8_t cutOffSteps;
    uint8_t lpgOffRpmLo;
    uint8_t lpgOffRpmHi;
    uint8_t attMaxBj;
    uint8_t attMinBj;
    uint8_t checksum;
};

struct ExtendedBlock {
    uint8_t lead;
    uint8_t prog1;
    uint8_t prog2;
    uint8_t prog3;
    uint8_t prog4;
    uint8_t tankLevel;  // bits 0..2
    uint8_t zamOtwBj;
    uint8_t zamOtwDo;
    uint8_t gasMinutes;
    uint8_t gasHoursLo;
    uint8_t gasHoursHi;
    uint8_t installDateLo;
    uint8_t installDateHi;
    uint8_t registration[7];
    uint8_t checksum;
};

struct WriteReplyBlock {
    uint8_t byte0;
    uint8_t value;  // the only byte callers read
    uint8_t byte2;
};

static_assert(sizeof(StatusBlock) == 4, "Status block is 4 bytes");
static_assert(sizeof(LiveBlock) == 11, "Live block is 11 bytes");
static_assert(sizeof(ConfigABlock) == 14, "ConfigA block is 14 bytes");
static_assert(sizeof(ConfigBBlock) == 16, "ConfigB block is 16 bytes");
static_assert(sizeof(ExtendedBlock) == 21, "Extended block is 21 bytes");
static_assert(sizeof(WriteReplyBlock) == 3, "write reply is 3 bytes");

// ---- bits of the bit-field bytes ----

// Live.flagsA
namespace FlagsA {
enum : uint8_t {
    ProbeStateMask = 0x07,  // one-hot lambda probe state: colours the marker
    ProbeStateFirst = 0x01,
    ProbeStateSecond = 0x02,
    ProbeStateThird = 0x04,
    Ready = 0x08,          // clear: not ready (status area); set: factory reset refused
    SwitchOff = 0x10,      // switch-type throttle sensors: set reads "OFF"
    StateCellMask = 0xF0,  // one-hot: which of the four state cells is lit
    StateCell1 = 0x10,
    StateCell2 = 0x20,
    StateCell3 = 0x40,
    StateCell4 = 0x80,
};
}

// Live.flagsB
namespace FlagsB {
enum : uint8_t {
    OnGas = 0x01,
    LearnActive = 0x02,
    GasOff = 0x04,
    CutOffActive = 0x08,
    LearnUnfinished = 0x10,  // answer to a learn request: clear = learning completed
    LearnWaiting = 0x20,     // with LearnUnfinished: waiting for proper conditions
    SwitchedOver = 0x40,     // the switch-over speed was reached
    Warm = 0x80,             // the switch-over temperature was reached
};
}

// ConfigA.options
namespace Options {
enum : uint8_t {
    LevelModeFirst = 0x01,  // gas level sensor mode: bit 0, else bit 7, else the third
    SwitchOverTemp = 0x02,
    AttInitHidden = 0x04,  // the start-position box shows the inverse
    JumpFunctions = 0x08,
    TwoWayChoice = 0x10,  // switch-over on falling speed
    CutOff = 0x20,
    SwitchOffSpeed = 0x40,
    LevelModeSecond = 0x80,
    LevelModeMask = LevelModeFirst | LevelModeSecond,
};
}

// ConfigA.emulType
namespace EmulType {
enum : uint8_t {
    TypeMask = 0x03,        // 0 = constructed emulation
    LowSignalLevel = 0x04,  // generation 3
    EmergencyStart = 0x08,  // generation 3
    OptionsPageMask = 0x30,
    DetailedStatus = 0x80,
};
}

// ConfigA.lambdaType: throttle sensor type in the low nibble, probe type in the high.
namespace LambdaType {
enum : uint8_t { TpsTypeMask = 0x0F, ProbeTypeMask = 0xF0, ProbeTypeShift = 4 };
}
inline int tpsType(uint8_t lambdaType) { return lambdaType & LambdaType::TpsTypeMask; }
inline int probeType(uint8_t lambdaType) { return lambdaType >> LambdaType::ProbeTypeShift; }
// Probe types 3 and 4 are the "5-0 V" probes, shown as 5 - volts.
inline bool probeInverted(uint8_t lambdaType) {
    return probeType(lambdaType) == 3 || probeType(lambdaType) == 4;
}

// Extended.tankLevel: 0 = reserve, 1..4 quarters.
enum : uint8_t { TankLevelMask = 0x07 };

// The stores: zero at start, replaced whole by a valid reply. Read-only
// views: only the link writes them (link/block_stores.h).
extern const StatusBlock& Status;
extern const LiveBlock& Live;
extern const ConfigABlock& ConfigA;
extern const ConfigBBlock& ConfigB;
extern const ExtendedBlock& Extended;
extern const WriteReplyBlock& WriteReply;

// Set when a valid reply replaced the store; cleared whenever the stores are
// zeroed (start, link loss) and when another port is selected. A write built
// from a stored byte needs its store valid.
extern const bool& StatusValid;
extern const bool& LiveValid;
extern const bool& ConfigAValid;
extern const bool& ConfigBValid;
extern const bool& ExtendedValid;
void clearStoreValidity();
// Zeroes the last write reply, so that a write without a whole reply of its
// own is not taken for one that was answered.
void forgetWriteReply();

// Byte view of a store, for copying whole replies.
template <typename Block>
inline uint8_t* blockBytes(Block& b) {
    return reinterpret_cast<uint8_t*>(&b);
}
template <typename Block>
inline const uint8_t* blockBytes(const Block& b) {
    return reinterpret_cast<const uint8_t*>(&b);
}

// 8-bit sum of n bytes.
uint8_t byteSum(const uint8_t* bytes, size_t n);

// The first byte of every block, write reply and request frame ('e').
const uint8_t LeadByte = 0x65;
// A whole reply of n bytes as the controller sends it: the lead byte first,
// the 8-bit sum of the bytes before it last.
bool replyChecks(const uint8_t* bytes, size_t n);

// ---- conversions ----

// Integer part, plus one when the fraction x 100 exceeds 50 (so .5 rounds down).
int roundUpAboveHalf(double x);

// Engine speed in rpm from a 16-bit period (0 for period 0), a multiple of 50.
int rpmFromPeriod(unsigned period);
inline int rpmFromBytes(uint8_t hi, uint8_t lo) { return rpmFromPeriod(hi * 256u + lo); }
// Engine speed as shown: 0 while the engine is reported stopped (hi = 255).
int engineSpeedShown(const LiveBlock& live);
// Period for writing a speed: 15000000 / rpm; 0 for rpm <= 0.
unsigned periodFromRpm(int rpm);

int temperatureFromRaw(uint8_t raw);      // degrees C
uint8_t rawFromTemperature(int celsius);  // inverse used for writing lpgOnTemp

double voltsFromRaw(uint8_t raw);  // raw x 196 / 10000

struct InstallDate {
    int year, month, day;
};
InstallDate decodeInstallDate(uint8_t lo, uint8_t hi);
// From combo indexes: y = year - 2000, m = month - 1, d = day - 1.
void encodeInstallDate(int yearIndex, int monthIndex, int dayIndex, uint8_t* lo, uint8_t* hi);

struct TimeOnGas {
    unsigned hours, minutes;
};
TimeOnGas timeOnGas(const ExtendedBlock& e);

// Text helpers; each writes a terminated string into out (size cap).
void formatInstallDate(const InstallDate& d, char* out, size_t cap);     // "%04ld-%02ld-%02ld"
void formatTimeOnGas(const TimeOnGas& t, char* out, size_t cap);         // "%ldh%ld'"
void formatVersion(int generation, int variant, char* out, size_t cap);  // "%.2f"
void formatRegistration(const ExtendedBlock& e, char* out, size_t cap);  // up to 7 chars
// Registration bytes to send for addresses 42..48 (0 beyond the text's end).
void registrationBytes(const char* text, uint8_t out[7]);

// Commands written to the command register (address 30).
enum : uint8_t { CmdLearn = 50, CmdFactoryReset = 51, CmdGasLevelSensor = 52 };

// Where a value lives in the block stores (link/parameters.h maps the
// write addresses to these).
enum class BlockId : uint8_t { Status, Live, ConfigA, ConfigB, Extended, None };
struct FieldRef {
    BlockId block;
    uint8_t offset;
};

// A set of blocks to resolve fields against: the program's stores
// (link/block_stores.h) or the simulator's own copies.
struct BlockSet {
    StatusBlock* status;
    LiveBlock* live;
    ConfigABlock* configA;
    ConfigBBlock* configB;
    ExtendedBlock* extended;
};
uint8_t* fieldByte(FieldRef f, const BlockSet& set);  // nullptr for BlockId::None
uint8_t readField(FieldRef f);                        // from the stores; 0 for None

#endif
