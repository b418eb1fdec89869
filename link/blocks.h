// Block stores and value conversions of the controller's five read blocks.
// Portable: no <windows.h>.
#ifndef ZUVELS_LINK_BLOCKS_H
#define ZUVELS_LINK_BLOCKS_H

#include <cstddef>
#include <cstdint>

// Every block is a plain byte string: lead byte 'e', payload, 8-bit sum.
// All members are single bytes, so the structs have no padding; the
// static_asserts below keep it that way.

struct StatusBlock {
    uint8_t lead;
    uint8_t byte1;     // stored, never interpreted
    uint8_t identity;  // bits 5..7 generation - 1, bits 0..4 variant
    uint8_t checksum;
};

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

// The stores: zero at start, replaced whole by a valid reply.
extern StatusBlock Status;
extern LiveBlock Live;
extern ConfigABlock ConfigA;
extern ConfigBBlock ConfigB;
extern ExtendedBlock Extended;
extern WriteReplyBlock WriteReply;

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

// ---- conversions ----

// Integer part, plus one when the fraction x 100 exceeds 50 (so .5 rounds down).
int roundUpAboveHalf(double x);

// Engine speed in rpm from a 16-bit period (0 for period 0), a multiple of 50.
int rpmFromPeriod(unsigned period);
inline int rpmFromBytes(uint8_t hi, uint8_t lo) { return rpmFromPeriod(hi * 256u + lo); }
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

// ---- write addresses (program numbering; the wire adds 1 for generation 3) ----
namespace Addr {
enum : uint8_t {
    Options = 5,
    LambdaType = 6,
    LambdaPoint = 7,
    LambdaDelay = 8,
    EmulType = 9,
    EmulBjTimeHi = 10,
    EmulBjTimeLo = 11,
    EmulDoTimeHi = 12,
    EmulDoTimeLo = 13,
    ZamOtwBj = 12,
    ZamOtwDo = 13,
    InjectDelay = 14,
    LpgOnTemp = 15,
    AttMax = 16,
    AttMin = 17,
    AttInit = 18,
    TpsJump = 19,
    AttJump = 20,
    LpgOnRpmLo = 21,
    LpgOnRpmHi = 22,
    IgnitionType = 23,
    CutOffRpmLo = 24,
    CutOffRpmHi = 25,
    CutOffSteps = 26,
    LpgOffRpmLo = 27,
    LpgOffRpmHi = 28,
    TpsInert = 29,
    Command = 30,
    AttMaxBj = 31,
    AttMinBj = 32,
    Prog1 = 33,
    Prog2 = 34,
    Prog3 = 35,
    Prog4 = 36,
    Wozg = 37,
    GasCounterA = 38,
    GasCounterB = 39,
    InstallDateLo = 40,
    InstallDateHi = 41,
    Registration = 42,  // 42..48
    GasMinutes = 49,
};
}

// Commands written to the command register (address 30).
enum : uint8_t { CmdLearn = 50, CmdFactoryReset = 51, CmdGasLevelSensor = 52 };

// Where a settings-file value lives in the block stores. Settings-file key i
// (after the header words) belongs to settingsAddresses[i].
enum class BlockId : uint8_t { Status, Live, ConfigA, ConfigB, Extended, None };
struct FieldRef {
    BlockId block;
    uint8_t offset;
};

// Addresses in settings-file order: 5..29, 31, 32, 33..37.
extern const uint8_t settingsAddresses[32];
// Block byte that a settings key is saved from, for address a and generation gen.
FieldRef fieldForAddress(uint8_t address, int generation);
uint8_t readField(FieldRef f);  // 0 for BlockId::None

#endif
