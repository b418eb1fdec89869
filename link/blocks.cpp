// Block stores, the byte-level meaning of the blocks and the value conversions.
#include "link/blocks.h"

#include "link/block_stores.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
BlockStores S;
}

const StatusBlock& Status = S.Status;
const LiveBlock& Live = S.Live;
const ConfigABlock& ConfigA = S.ConfigA;
const ConfigBBlock& ConfigB = S.ConfigB;
const ExtendedBlock& Extended = S.Extended;
const WriteReplyBlock& WriteReply = S.WriteReply;

const bool& StatusValid = S.StatusValid;
const bool& LiveValid = S.LiveValid;
const bool& ConfigAValid = S.ConfigAValid;
const bool& ConfigBValid = S.ConfigBValid;
const bool& ExtendedValid = S.ExtendedValid;

BlockStores& blockStores() { return S; }

void clearStoreValidity() {
    S.StatusValid = S.LiveValid = S.ConfigAValid = S.ConfigBValid = S.ExtendedValid = false;
}

void forgetWriteReply() { memset(&S.WriteReply, 0, sizeof S.WriteReply); }

uint8_t byteSum(const uint8_t* bytes, size_t n) {
    uint8_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

bool replyChecks(const uint8_t* bytes, size_t n) {
    return n > 0 && bytes[0] == LeadByte && byteSum(bytes, n - 1) == bytes[n - 1];
}

int roundUpAboveHalf(double x) {
    const double t = std::trunc(x);
    // Only a fraction above one half counts, so .5 itself rounds down; a
    // negative fraction never counts.
    return static_cast<int>(t) + ((x - t) * 100 > 50 ? 1 : 0);
}

int rpmFromPeriod(unsigned period) {
    if (period == 0) return 0;
    const unsigned q = 15000000u / period;
    return roundUpAboveHalf(q / 50.0) * 50;
}

unsigned periodFromRpm(int rpm) {
    if (rpm <= 0) return 0;
    return 15000000u / static_cast<unsigned>(rpm);
}

int engineSpeedShown(const LiveBlock& live) {
    if (live.rpmPeriodHi == 255) return 0;
    return rpmFromBytes(live.rpmPeriodHi, live.rpmPeriodLo);
}

int temperatureFromRaw(uint8_t raw) {
    if (raw < 68) return 0;
    if (raw < 200) return roundUpAboveHalf((raw - 68) / 2.582);
    return roundUpAboveHalf(raw * 1.057 - 160);
}

uint8_t rawFromTemperature(int celsius) {
    int raw;
    if (celsius == 0)
        raw = 68;
    else if (celsius <= 50)
        raw = roundUpAboveHalf(celsius * 2.582 + 68);
    else if (celsius > 100)
        raw = 245;
    else
        raw = roundUpAboveHalf((celsius + 160) / 1.057);
    return static_cast<uint8_t>(raw);  // a byte on the wire
}

double voltsFromRaw(uint8_t raw) { return raw * 196 / 10000.0; }

InstallDate decodeInstallDate(uint8_t lo, uint8_t hi) {
    InstallDate d;
    d.day = (lo & 0x1F) + 1;
    d.month = (lo >> 5) + (hi >> 7) * 8 + 1;
    d.year = (hi & 0x3F) + 2000;
    return d;
}

void encodeInstallDate(int yearIndex, int monthIndex, int dayIndex, uint8_t* lo, uint8_t* hi) {
    // The month straddles the two bytes: three bits in lo, its fourth in hi bit 7.
    *lo = static_cast<uint8_t>((dayIndex & 0x1F) | ((monthIndex & 7) << 5));
    *hi = static_cast<uint8_t>((yearIndex & 0x7F) | (((monthIndex >> 3) & 1) << 7));
}

TimeOnGas timeOnGas(const ExtendedBlock& e) {
    TimeOnGas t;
    t.hours = e.gasHoursLo + e.gasHoursHi * 256u;
    t.minutes = e.gasMinutes;
    return t;
}

void formatInstallDate(const InstallDate& d, char* out, size_t cap) {
    snprintf(out, cap, "%04ld-%02ld-%02ld", static_cast<long>(d.year), static_cast<long>(d.month),
             static_cast<long>(d.day));
}

void formatTimeOnGas(const TimeOnGas& t, char* out, size_t cap) {
    snprintf(out, cap, "%ldh%ld'", static_cast<long>(t.hours), static_cast<long>(t.minutes));
}

void formatVersion(int generation, int variant, char* out, size_t cap) {
    // Single precision on purpose: 305 / 100 must print as 3.05.
    const float version = static_cast<float>(generation * 100 + variant) / 100.0f;
    snprintf(out, cap, "%.2f", static_cast<double>(version));
}

void formatRegistration(const ExtendedBlock& e, char* out, size_t cap) {
    char text[sizeof e.registration + 1] = {0};
    memcpy(text, e.registration, sizeof e.registration);
    snprintf(out, cap, "%s", text);
}

void registrationBytes(const char* text, uint8_t out[7]) {
    size_t len = 0;
    if (text)
        while (len < 7 && text[len]) ++len;
    for (size_t i = 0; i < 7; ++i) out[i] = i < len ? static_cast<uint8_t>(text[i]) : 0;
}

BlockSet storeBlocks() { return BlockSet{&S.Status, &S.Live, &S.ConfigA, &S.ConfigB, &S.Extended}; }

uint8_t* fieldByte(FieldRef f, const BlockSet& set) {
    uint8_t* bytes = nullptr;
    size_t size = 0;
    switch (f.block) {
    case BlockId::Status: bytes = blockBytes(*set.status), size = sizeof *set.status; break;
    case BlockId::Live: bytes = blockBytes(*set.live), size = sizeof *set.live; break;
    case BlockId::ConfigA: bytes = blockBytes(*set.configA), size = sizeof *set.configA; break;
    case BlockId::ConfigB: bytes = blockBytes(*set.configB), size = sizeof *set.configB; break;
    case BlockId::Extended: bytes = blockBytes(*set.extended), size = sizeof *set.extended; break;
    case BlockId::None: break;
    }
    return bytes && f.offset < size ? bytes + f.offset : nullptr;
}

uint8_t readField(FieldRef f) {
    const uint8_t* b = fieldByte(f, storeBlocks());
    return b ? *b : 0;
}
