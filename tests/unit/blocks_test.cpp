// Block layout, the write address map of the settings files, and every
// value conversion.
#include <cstring>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/parameters.h"

namespace {

// Outside link/ the stores and their validity are read-only views: a write
// through them must not compile.
template <typename T>
constexpr bool readOnlyView = std::is_const_v<std::remove_reference_t<T>>;
static_assert(readOnlyView<decltype(Status)> && readOnlyView<decltype(Live)> &&
              readOnlyView<decltype(ConfigA)> && readOnlyView<decltype(ConfigB)> &&
              readOnlyView<decltype(Extended)> && readOnlyView<decltype(WriteReply)>);
static_assert(readOnlyView<decltype(StatusValid)> && readOnlyView<decltype(LiveValid)> &&
              readOnlyView<decltype(ConfigAValid)> && readOnlyView<decltype(ConfigBValid)> &&
              readOnlyView<decltype(ExtendedValid)>);

std::string versionText(int generation, int variant) {
    char out[32];
    formatVersion(generation, variant, out, sizeof out);
    return out;
}

}  // namespace

// ---- rounding ----

TEST(ConvRounding, OnlyFractionsAboveHalfRoundUp) {
    struct Case {
        double x;
        int expected;
    };
    const Case cases[] = {
        {0.0, 0},  {0.49, 0},  {0.5, 0},   {0.51, 1},    {2.5, 2},       {2.505, 3},
        {2.51, 3}, {2.99, 3},  {7.0, 7},   {50.735, 51}, {109.535, 110}, {-0.4, 0},
        {-0.6, 0}, {-2.5, -2}, {-2.9, -2}, {-3.0, -3},
    };
    for (const Case& c : cases) EXPECT_EQ(roundUpAboveHalf(c.x), c.expected) << c.x;
}

TEST(ConvRounding, ByteSumIsEightBit) {
    const uint8_t status[] = {0x65, 0x01, 0x01};
    EXPECT_EQ(byteSum(status, 3), 0x67);
    const uint8_t wraps[] = {0xFF, 0x02};
    EXPECT_EQ(byteSum(wraps, 2), 0x01);
    EXPECT_EQ(byteSum(wraps, 0), 0x00);
}

// ---- RPM rule ----

TEST(ConvRpm, SpeedFromPeriod) {
    struct Case {
        unsigned period;
        int rpm;
    };
    const Case cases[] = {
        {0, 0},                                                   // no division by zero
        {9999, 1500},                                             // q = 1500
        {10000, 1500}, {7500, 2000}, {6000, 2500}, {7000, 2150},  // q = 2142: 42.84 -> 43 x 50
        {7060, 2100},                                             // q = 2124: 42.48 -> 42 x 50
        {65535, 250},                                             // q = 228: 4.56 -> 5 x 50
        {1, 15000000},
    };
    for (const Case& c : cases) EXPECT_EQ(rpmFromPeriod(c.period), c.rpm) << c.period;
}

TEST(ConvRpm, SpeedFromBytesIsHiTimes256PlusLo) {
    EXPECT_EQ(rpmFromBytes(0x1D, 0x4C), 2000);
    EXPECT_EQ(rpmFromBytes(0x27, 0x10), 1500);
    EXPECT_EQ(rpmFromBytes(0, 0), 0);
    // Hi byte 255 (engine stopped) is a display rule of the pages; the rule
    // itself just sees a long period.
    EXPECT_EQ(rpmFromBytes(255, 0xFF), 250);
    EXPECT_EQ(rpmFromBytes(255, 0x00), 250);
}

TEST(ConvRpm, PeriodFromSpeedSplitsIntoLoAndHi) {
    struct Case {
        int rpm;
        unsigned period;
        uint8_t lo, hi;
    };
    const Case cases[] = {
        {2000, 7500, 0x4C, 0x1D}, {1500, 10000, 0x10, 0x27}, {3500, 4285, 0xBD, 0x10},
        {8000, 1875, 0x53, 0x07}, {1000, 15000, 0x98, 0x3A},
    };
    for (const Case& c : cases) {
        const unsigned p = periodFromRpm(c.rpm);
        EXPECT_EQ(p, c.period) << c.rpm;
        EXPECT_EQ(p & 0xFF, c.lo) << c.rpm;
        EXPECT_EQ(p >> 8, c.hi) << c.rpm;
    }
    EXPECT_EQ(periodFromRpm(0), 0u);
    EXPECT_EQ(periodFromRpm(-100), 0u);
}

TEST(ConvRpm, OfferedSpeedsSurviveTheRoundTrip) {
    for (int rpm = 1000; rpm <= 8000; rpm += 100)
        EXPECT_EQ(rpmFromPeriod(periodFromRpm(rpm)), rpm) << rpm;
}

// ---- TEMPERATURE rule ----

TEST(ConvTemperature, DegreesFromRaw) {
    struct Case {
        int raw;
        int celsius;
    };
    const Case cases[] = {
        {0, 0},    {67, 0},   {68, 0},   {69, 0},   {70, 1},
        {100, 12}, {199, 51}, {200, 51}, {220, 73}, {255, 110},
    };
    for (const Case& c : cases)
        EXPECT_EQ(temperatureFromRaw(static_cast<uint8_t>(c.raw)), c.celsius) << c.raw;
}

TEST(ConvTemperature, RawFromDegrees) {
    struct Case {
        int celsius;
        int raw;
    };
    const Case cases[] = {
        {0, 68},    {10, 94},   {20, 120},  {50, 197},  // t x 2.582 + 68
        {51, 200},  {60, 208},  {100, 246},             // (t + 160) / 1.057
        {101, 245}, {150, 245},                         // capped
    };
    for (const Case& c : cases) EXPECT_EQ(rawFromTemperature(c.celsius), c.raw) << c.celsius;
}

TEST(ConvTemperature, OfferedSwitchOverTemperaturesReadBack) {
    // The options page offers 10..60 degrees in steps of 2.
    for (int t = 10; t <= 60; t += 2)
        EXPECT_NEAR(temperatureFromRaw(rawFromTemperature(t)), t, 1) << t;
}

TEST(ConvVoltage, VoltsFromRaw) {
    EXPECT_DOUBLE_EQ(voltsFromRaw(0), 0.0);
    EXPECT_DOUBLE_EQ(voltsFromRaw(1), 0.0196);
    EXPECT_DOUBLE_EQ(voltsFromRaw(50), 0.98);
    EXPECT_DOUBLE_EQ(voltsFromRaw(255), 4.998);
}

// ---- DATE rule ----

TEST(ConvDate, DecodeAndShow) {
    struct Case {
        uint8_t lo, hi;
        const char* text;
    };
    const Case cases[] = {
        {0x00, 0x00, "2000-01-01"}, {0x7E, 0x8F, "2015-12-31"},
        {0x1F, 0x00, "2000-01-32"},  // the bytes allow it; the dialog doesn't offer it
        {0xE0, 0x3E, "2062-08-01"}, {0x20, 0xC0, "2000-10-01"},  // hi bit 6 is not part of the year
    };
    for (const Case& c : cases) {
        char out[32];
        formatInstallDate(decodeInstallDate(c.lo, c.hi), out, sizeof out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(ConvDate, EncodeFromComboIndexes) {
    uint8_t lo = 0xFF, hi = 0xFF;
    encodeInstallDate(15, 11, 30, &lo, &hi);  // 2015-12-31
    EXPECT_EQ(lo, 0x7E);
    EXPECT_EQ(hi, 0x8F);
    encodeInstallDate(0, 0, 0, &lo, &hi);
    EXPECT_EQ(lo, 0x00);
    EXPECT_EQ(hi, 0x00);
}

TEST(ConvDate, EveryOfferedDateRoundTrips) {
    for (int y = 0; y <= 62; ++y)
        for (int m = 0; m < 12; ++m)
            for (int d = 0; d < 31; ++d) {
                uint8_t lo, hi;
                encodeInstallDate(y, m, d, &lo, &hi);
                const InstallDate back = decodeInstallDate(lo, hi);
                ASSERT_EQ(back.year, 2000 + y);
                ASSERT_EQ(back.month, m + 1);
                ASSERT_EQ(back.day, d + 1);
            }
}

// ---- texts ----

TEST(ConvText, VersionInSinglePrecision) {
    struct Case {
        int generation, variant;
        const char* text;
    };
    const Case cases[] = {
        {3, 5, "3.05"},  {1, 0, "1.00"},  {1, 31, "1.31"},
        {3, 10, "3.10"}, {8, 31, "8.31"}, {0, 0, "0.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(versionText(c.generation, c.variant), c.text);
}

TEST(ConvText, TimeOnGas) {
    struct Case {
        uint8_t minutes, lo, hi;
        unsigned hours;
        const char* text;
    };
    const Case cases[] = {
        {7, 0x2C, 0x01, 300, "300h7'"},
        {0, 0, 0, 0, "0h0'"},
        {59, 0xFF, 0xFF, 65535, "65535h59'"},
        {255, 0x00, 0x01, 256, "256h255'"},
    };
    for (const Case& c : cases) {
        ExtendedBlock e{};
        e.gasMinutes = c.minutes;
        e.gasHoursLo = c.lo;
        e.gasHoursHi = c.hi;
        const TimeOnGas t = timeOnGas(e);
        EXPECT_EQ(t.hours, c.hours);
        EXPECT_EQ(t.minutes, c.minutes);
        char out[32];
        formatTimeOnGas(t, out, sizeof out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(ConvText, RegistrationEndsAtZeroOrSevenCharacters) {
    struct Case {
        const char bytes[7];
        const char* text;
    };
    const Case cases[] = {
        {{'W', 'X', '1', '2', '3', '4', '5'}, "WX12345"},
        {{'A', 'B', '1', 0, 'x', 'y', 'z'}, "AB1"},
        {{0, 'A', 'B', 'C', 'D', 'E', 'F'}, ""},
        {{0, 0, 0, 0, 0, 0, 0}, ""},
    };
    for (const Case& c : cases) {
        ExtendedBlock e{};
        memcpy(e.registration, c.bytes, 7);
        e.checksum = 'Q';  // must not run into the text
        char out[16];
        formatRegistration(e, out, sizeof out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(ConvText, RegistrationBytesPadWithZeros) {
    struct Case {
        const char* text;
        uint8_t bytes[7];
    };
    const Case cases[] = {
        {"AB1", {'A', 'B', '1', 0, 0, 0, 0}},
        {"WX12345", {'W', 'X', '1', '2', '3', '4', '5'}},
        {"WX123456789", {'W', 'X', '1', '2', '3', '4', '5'}},
        {"", {0, 0, 0, 0, 0, 0, 0}},
        {nullptr, {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        uint8_t out[7];
        memset(out, 0xEE, sizeof out);
        registrationBytes(c.text, out);
        EXPECT_EQ(0, memcmp(out, c.bytes, 7)) << (c.text ? c.text : "(null)");
    }
}

// ---- write address map ----

TEST(BlockFields, SettingsAddressesInFileOrder) {
    const uint8_t expected[32] = {5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                  21, 22, 23, 24, 25, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37};
    for (int version : {1, 3}) {
        const int keys = version == 3 ? 32 : 27;
        for (int k = 0; k < keys; ++k) {
            ASSERT_NE(settingsParameter(version, k), nullptr) << version << " key " << k;
            EXPECT_EQ(settingsParameter(version, k)->address, expected[k])
                << version << " key " << k;
        }
        EXPECT_EQ(settingsParameter(version, keys), nullptr) << version;
        EXPECT_EQ(settingsParameterCount(version), keys) << version;
    }
}

TEST(BlockFields, FieldSavedForEachAddress) {
    struct Case {
        uint8_t address;
        int generation;
        BlockId block;
        size_t offset;
    };
    const Case cases[] = {
        {5, 1, BlockId::ConfigA, offsetof(ConfigABlock, options)},
        {6, 3, BlockId::ConfigA, offsetof(ConfigABlock, lambdaType)},
        {11, 1, BlockId::ConfigA, offsetof(ConfigABlock, emulBjTimeLo)},
        {12, 1, BlockId::ConfigA, offsetof(ConfigABlock, emulDoTimeHi)},
        {13, 1, BlockId::ConfigA, offsetof(ConfigABlock, emulDoTimeLo)},
        {12, 3, BlockId::Extended, offsetof(ExtendedBlock, zamOtwBj)},
        {13, 3, BlockId::Extended, offsetof(ExtendedBlock, zamOtwDo)},
        {12, 0, BlockId::ConfigA, offsetof(ConfigABlock, emulDoTimeHi)},  // not 3: version 1
        {14, 1, BlockId::ConfigA, offsetof(ConfigABlock, injectDelay)},
        {15, 1, BlockId::ConfigA, offsetof(ConfigABlock, lpgOnTemp)},
        {16, 1, BlockId::ConfigB, offsetof(ConfigBBlock, attMax)},
        {17, 1, BlockId::ConfigB, offsetof(ConfigBBlock, attMin)},
        {18, 1, BlockId::Live, offsetof(LiveBlock, attInit)},
        {18, 3, BlockId::Live, offsetof(LiveBlock, attInit)},
        {19, 1, BlockId::ConfigB, offsetof(ConfigBBlock, tpsJump)},
        {20, 1, BlockId::ConfigB, offsetof(ConfigBBlock, attJump)},
        {21, 1, BlockId::ConfigB, offsetof(ConfigBBlock, lpgOnRpmLo)},
        {22, 1, BlockId::ConfigB, offsetof(ConfigBBlock, lpgOnRpmHi)},
        {23, 1, BlockId::ConfigB, offsetof(ConfigBBlock, ignitionType)},
        {24, 1, BlockId::ConfigB, offsetof(ConfigBBlock, cutOffRpmLo)},
        {25, 1, BlockId::ConfigB, offsetof(ConfigBBlock, cutOffRpmHi)},
        {26, 1, BlockId::ConfigB, offsetof(ConfigBBlock, cutOffSteps)},
        {27, 1, BlockId::ConfigB, offsetof(ConfigBBlock, lpgOffRpmLo)},
        {28, 1, BlockId::ConfigB, offsetof(ConfigBBlock, lpgOffRpmHi)},
        {29, 1, BlockId::ConfigA, offsetof(ConfigABlock, tpsInert)},
        {30, 1, BlockId::None, 0},
        {31, 1, BlockId::ConfigB, offsetof(ConfigBBlock, attMaxBj)},
        {32, 1, BlockId::ConfigB, offsetof(ConfigBBlock, attMinBj)},
        {33, 3, BlockId::Extended, offsetof(ExtendedBlock, prog1)},
        {36, 3, BlockId::Extended, offsetof(ExtendedBlock, prog4)},
        {37, 3, BlockId::ConfigA, offsetof(ConfigABlock, emulDoTimeHi)},
        {37, 1, BlockId::None, 0},  // generation 1 has no "WOZG"
        {38, 3, BlockId::None, 0},
        {40, 3, BlockId::Extended, offsetof(ExtendedBlock, installDateLo)},
        {41, 3, BlockId::Extended, offsetof(ExtendedBlock, installDateHi)},
        {42, 3, BlockId::Extended, offsetof(ExtendedBlock, registration)},
        {48, 3, BlockId::Extended, offsetof(ExtendedBlock, registration) + 6},
        {49, 3, BlockId::Extended, offsetof(ExtendedBlock, gasMinutes)},
        {0, 1, BlockId::None, 0},
    };
    for (const Case& c : cases) {
        const FieldRef f = fieldForAddress(c.address, c.generation);
        EXPECT_EQ(f.block, c.block) << int(c.address) << " gen " << c.generation;
        if (c.block != BlockId::None) {
            EXPECT_EQ(f.offset, c.offset) << int(c.address);
        }
    }
}

// An address of no row of the parameter table, before it, between or after
// it, changes no byte.
TEST(BlockFields, NoByteForAnAddressOfNoRow) {
    for (int generation : {1, 3})
        for (int address = 0; address < 256; ++address)
            if (!parameterAt(address)) {
                EXPECT_EQ(fieldForAddress(uint8_t(address), generation).block, BlockId::None)
                    << address << " gen " << generation;
            }
}

TEST(BlockFields, EverySettingsAddressHasAStoredByte) {
    // Version-1 files end with the key of address 32.
    for (int k = 0; k < settingsParameterCount(3); ++k) {
        const uint8_t a = settingsParameter(3, k)->address;
        if (a <= Addr::AttMinBj) {
            EXPECT_NE(fieldForAddress(a, 1).block, BlockId::None) << int(a);
        }
        EXPECT_NE(fieldForAddress(a, 3).block, BlockId::None) << int(a);
    }
}

TEST(BlockFields, ReadFieldReadsTheStore) {
    const LiveBlock savedLive = Live;
    const ConfigABlock savedA = ConfigA;
    const ExtendedBlock savedExt = Extended;

    blockStores().Live.attInit = 0x81;
    blockStores().ConfigA.emulDoTimeHi = 0x12;
    blockStores().ConfigA.emulDoTimeLo = 0x34;
    blockStores().Extended.zamOtwBj = 0x56;
    blockStores().Extended.zamOtwDo = 0x78;
    EXPECT_EQ(readField(fieldForAddress(18, 1)), 0x81);
    EXPECT_EQ(readField(fieldForAddress(12, 1)), 0x12);
    EXPECT_EQ(readField(fieldForAddress(13, 1)), 0x34);
    EXPECT_EQ(readField(fieldForAddress(12, 3)), 0x56);
    EXPECT_EQ(readField(fieldForAddress(13, 3)), 0x78);
    EXPECT_EQ(readField(fieldForAddress(37, 3)), 0x12);
    EXPECT_EQ(readField(fieldForAddress(30, 3)), 0);
    EXPECT_EQ(readField(FieldRef{BlockId::Live, 200}), 0);  // out of the block

    blockStores().Live = savedLive;
    blockStores().ConfigA = savedA;
    blockStores().Extended = savedExt;
}
