// lpgctl's parts without a process: what --port names, the Linux port list
// from a made-up /dev and /sys, and the decoding of block bytes into fields.
#include <cstring>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/connect.h"
#include "cli/fields.h"
#include "cli/ports_posix.h"
#include "tests/unit/cli_process.h"

namespace {

TEST(LpgctlPortChoice, EachFormOfPortIsReadOrRefused) {
    struct Case {
        const char* text;
        bool ok;
        const char* scheme;  // the row's name
        const char* path;
        int generation;
    };
    const Case cases[] = {
        {"demo", true, "demo", "demo", 3},
        {"demo:3", true, "demo", "demo", 3},
        {"demo:1", true, "demo", "demo", 1},
        {"demo:2", false, "", "", 3},
        {"replay:drive.txt", true, "replay", "drive.txt", 3},
        {"replay:", false, "", "", 3},
        {"socket://localhost:4001", true, "socket", "socket://localhost:4001", 3},
        {"/dev/ttyUSB0", true, "serial ports", "/dev/ttyUSB0", 3},
        {"ttyACM1", true, "serial ports", "/dev/ttyACM1", 3},
        {"COM3", false, "", "", 3},
        {"com12", false, "", "", 3},
        {"", false, "", "", 3},
    };
    for (const Case& c : cases) {
        PortChoice choice;
        std::string error;
        EXPECT_EQ(parsePortChoice(c.text, &choice, &error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_STREQ(choice.name.scheme->name, c.scheme) << c.text;
        EXPECT_EQ(choice.path, c.path) << c.text;
        EXPECT_EQ(choice.name.demoGeneration, c.generation) << c.text;
    }
}

void put(const std::string& path, const std::string& text) { std::ofstream(path) << text << "\n"; }

// A /dev with ports of each family and a /sys that tells a real UART from
// an empty ttyS slot and names the USB adapter above ttyUSB0.
TEST(LpgctlPorts, LinuxListKeepsRealPortsInOrderWithAdapterNames) {
    const std::string root = scratchPath("ports");
    const std::string dev = root + "/dev", sys = root + "/sys";
    const std::string usb = sys + "/devices/usb1/1-1";
    for (const std::string& d :
         {root, dev, sys, sys + "/class", sys + "/class/tty", sys + "/devices",
          sys + "/devices/usb1", usb, usb + "/1-1:1.0", usb + "/1-1:1.0/ttyUSB0",
          sys + "/class/tty/ttyS0", sys + "/class/tty/ttyS1", sys + "/class/tty/ttyS10",
          sys + "/class/tty/ttyUSB1"})
        mkdir(d.c_str(), 0755);
    for (const char* n :
         {"ttyS0", "ttyS1", "ttyS10", "ttyUSB1", "ttyUSB0", "ttyACM0", "tty", "ttyX"})
        put(dev + "/" + n, "");
    put(sys + "/class/tty/ttyS0/type", "4");
    put(sys + "/class/tty/ttyS1/type", "0");  // no UART behind it
    put(sys + "/class/tty/ttyS10/type", "4");
    put(usb + "/product", "USB-Serial Controller");
    put(usb + "/manufacturer", "Maker");
    // As the kernel links them: class/tty/ttyUSB0 -> the tty under the USB
    // interface, whose device link points at the interface.
    ASSERT_EQ(symlink((usb + "/1-1:1.0/ttyUSB0").c_str(), (sys + "/class/tty/ttyUSB0").c_str()), 0);
    ASSERT_EQ(symlink((usb + "/1-1:1.0").c_str(), (usb + "/1-1:1.0/ttyUSB0/device").c_str()), 0);

    const std::vector<SystemPort> ports = systemPortsIn(dev, sys);
    std::vector<std::string> names;
    for (const SystemPort& p : ports) names.push_back(p.name.substr(dev.size() + 1));
    EXPECT_EQ(names,
              (std::vector<std::string>{"ttyS0", "ttyS10", "ttyUSB0", "ttyUSB1", "ttyACM0"}));
    ASSERT_EQ(ports.size(), 5u);
    EXPECT_EQ(ports[2].description, "Maker USB-Serial Controller");
    EXPECT_EQ(ports[3].description, "");
    EXPECT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
}

const Field* fieldNamed(const std::vector<Field>& fields, const char* key) {
    for (const Field& f : fields)
        if (strcmp(f.key, key) == 0) return &f;
    return nullptr;
}

// Bytes as a controller sends them and the values a fitter reads.
TEST(LpgctlFields, BytesDecodeToValuesWithUnits) {
    struct Case {
        int generation;
        void (*set)(BlockValues&);
        const char* key;
        const char* shown;
    };
    const Case cases[] = {
        {3, [](BlockValues& b) { b.live.rpmPeriodHi = 255; }, "engine_speed_rpm", "0 rpm"},
        {3, [](BlockValues& b) { b.live.rpmPeriodHi = 0x27, b.live.rpmPeriodLo = 0x10; },
         "engine_speed_rpm", "1500 rpm"},
        {3, [](BlockValues& b) { b.live.temperatureRaw = 199; }, "reducer_temperature_c", "51 C"},
        {3, [](BlockValues& b) { b.live.voltageB = 255; }, "lambda_voltage_v", "5.00 V"},
        {3, [](BlockValues& b) { b.configB.tpsJump = 25; }, "throttle_jump_v", "0.50 V"},
        // Type-1 throttle sensors keep the threshold as 250 - value.
        {3, [](BlockValues& b) { b.configA.lambdaType = 0x01, b.configB.tpsJump = 225; },
         "throttle_jump_v", "0.50 V"},
        // Between two items of the 0,1 V list: the byte as it is.
        {3, [](BlockValues& b) { b.configB.tpsJump = 27; }, "throttle_jump_v", "0.54 V"},
        {3, [](BlockValues& b) { b.configA.lambdaPoint = 37; }, "lambda_point_v", "0.74 V"},
        {3, [](BlockValues& b) { b.configA.lambdaDelay = 201; }, "lambda_delay_s", "1005 s"},
        {3, [](BlockValues& b) { b.configA.emulBjTimeHi = 77; }, "emulation_time_high_ms",
         "1925 ms"},
        {3, [](BlockValues& b) { b.configA.injectDelay = 33; }, "overlap_time_s", "3.3 s"},
        {3, [](BlockValues& b) { b.configA.tpsInert = 13; }, "throttle_inertia_v", "0.28 V"},
        {3, [](BlockValues& b) { b.configB.attMin = 211; }, "band_lower", "211"},
        {3, [](BlockValues& b) { b.configA.lambdaType = 0x30; }, "lambda_probe_type", "5-0 V -"},
        {3, [](BlockValues& b) { b.configA.options = 0x80; }, "level_sensor_mode", "2"},
        {3, [](BlockValues& b) { b.configA.emulDoTimeHi = 15; }, "initial_valve_opening_s",
         "1.5 s"},
        {1, [](BlockValues& b) { b.configA.emulDoTimeHi = 0xF0; }, "correction_1", "18"},
        {3, [](BlockValues& b) { b.configB.attJump = 20; }, "jump_marker_percent", "20 %"},
        {1, [](BlockValues& b) { b.configB.attJump = 160; }, "jump_marker_position", "160"},
        {3,
         [](BlockValues& b) { b.extended.installDateLo = 0x7E, b.extended.installDateHi = 0x8F; },
         "install_date", "2015-12-31"},
        {3, [](BlockValues& b) { b.extended.gasHoursLo = 1, b.extended.gasHoursHi = 1; },
         "time_on_gas_hours", "257 h"},
        {3, [](BlockValues& b) { b.live.flagsB = FlagsB::OnGas; }, "on_gas", "yes"},
    };
    for (const Case& c : cases) {
        BlockValues b;
        memset(&b, 0, sizeof b);
        c.set(b);
        const std::vector<Field> fields = decodeBlocks(b, c.generation);
        const Field* f = fieldNamed(fields, c.key);
        ASSERT_NE(f, nullptr) << c.key;
        EXPECT_EQ(fieldValueWithUnit(*f), c.shown) << c.key;
    }
}

TEST(LpgctlFields, GenerationOneHasNoServiceBlockAndJsonIsEscaped) {
    BlockValues b;
    memset(&b, 0, sizeof b);
    memcpy(b.extended.registration, "A\"B\\C", 5);
    for (const Field& f : decodeBlocks(b, 1)) EXPECT_STRNE(f.block, "extended") << f.key;
    const Field* reg = fieldNamed(decodeBlocks(b, 3), "registration");
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(fieldJsonValue(*reg), "\"A\\\"B\\\\C\"");
}

// JSON strings carry UTF-8 as it is; only control characters, the quote and
// the backslash are escaped, and each byte that isn't part of well-formed
// UTF-8 becomes U+FFFD.
TEST(LpgctlFields, JsonStringsKeepUtf8AndReplaceWhatIsNot) {
    const std::string R = "\xEF\xBF\xBD";  // U+FFFD
    const struct {
        const char* name;
        std::string in, out;
    } cases[] = {
        {"ASCII", "COM3 demo", "COM3 demo"},
        {"two-byte letters", "\xC5\xBC\xC3\xB3\xC5\x82w", "\xC5\xBC\xC3\xB3\xC5\x82w"},
        {"three and four bytes", "\xE2\x86\x92 \xF0\x9F\x9A\x97", "\xE2\x86\x92 \xF0\x9F\x9A\x97"},
        {"quote, backslash, control", "a\"b\\c\n\x01\x7F", "a\\\"b\\\\c\\u000a\\u0001\\u007f"},
        {"a lone code-page byte",
         "A\xB3"
         "B",
         "A" + R + "B"},
        {"a lead byte cut short", "x\xC5", "x" + R},
        {"a three-byte form cut short", "\xE2\x86x", R + R + "x"},
        {"an overlong slash", "\xC0\xAF", R + R},
        {"a surrogate", "\xED\xA0\x80", R + R + R},
        {"past U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
    };
    for (const auto& c : cases) EXPECT_EQ(jsonQuoted(c.in), "\"" + c.out + "\"") << c.name;
}

}  // namespace
