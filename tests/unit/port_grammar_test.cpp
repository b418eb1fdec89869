// Port names: every form read the same way, every malformed one refused with
// a line that names it.
#include <string>

#include <gtest/gtest.h>

#include "link/port_grammar.h"

TEST(PortGrammar, ReadsEveryForm) {
    struct Case {
        const char* text;
        const char* scheme;  // the row's name
        const char* path;    // what its backend opens
        const char* rest;
        int generation;
        const char* host;
        unsigned port;
    };
    const Case cases[] = {
        {"COM3", "serial ports", "COM3", "COM3", 3, "", 0},
        {"/dev/ttyUSB0", "serial ports", "/dev/ttyUSB0", "/dev/ttyUSB0", 3, "", 0},
        {"demonstration", "serial ports", "demonstration", "demonstration", 3, "", 0},
        {"demo", "demo", "demo", "", 3, "", 0},
        {"demo:1", "demo", "demo", "", 1, "", 0},
        {"demo:3", "demo", "demo", "", 3, "", 0},
        {"replay:drive one.txt", "replay", "drive one.txt", "drive one.txt", 3, "", 0},
        {"rfc2217://127.0.0.1:2217", "rfc2217", "rfc2217://127.0.0.1:2217", "", 3, "127.0.0.1",
         2217},
        {"rfc2217://bench-pc.example:1", "rfc2217", "rfc2217://bench-pc.example:1", "", 3,
         "bench-pc.example", 1},
        {"socket://localhost:65535", "socket", "socket://localhost:65535", "", 3, "localhost",
         65535},
        {"tcp://localhost:4001", "socket", "tcp://localhost:4001", "", 3, "localhost", 4001},
        {"rfc2217://[::1]:2217", "rfc2217", "rfc2217://[::1]:2217", "", 3, "::1", 2217},
    };
    for (const Case& c : cases) {
        PortName name;
        std::string error;
        ASSERT_TRUE(parsePortName(c.text, &name, &error)) << c.text << ": " << error;
        ASSERT_NE(name.scheme, nullptr) << c.text;
        EXPECT_STREQ(name.scheme->name, c.scheme) << c.text;
        EXPECT_EQ(name.path, c.path) << c.text;
        EXPECT_EQ(name.rest, c.rest) << c.text;
        EXPECT_EQ(name.demoGeneration, c.generation) << c.text;
        EXPECT_EQ(name.host, c.host) << c.text;
        EXPECT_EQ(name.tcpPort, c.port) << c.text;
        EXPECT_EQ(portSchemeOf(c.text), name.scheme) << c.text;
    }
}

TEST(PortGrammar, RefusesMalformedNamesWithOneLineNamingThem) {
    struct Case {
        const char* text;
        const char* mentions;
    };
    const Case cases[] = {
        {"rfc2217://", "rfc2217:// is not a network port: give HOST:PORT"},
        {"rfc2217://host", "rfc2217://host is not"},
        {"rfc2217://host:", "PORT 1 to 65535"},
        {"rfc2217://host:0", "PORT 1 to 65535"},
        {"rfc2217://host:65536", "PORT 1 to 65535"},
        {"rfc2217://host:99999999999999999999", "PORT 1 to 65535"},
        {"socket://host:22x", "PORT 1 to 65535"},
        {"socket://:2217", "socket://:2217 is not"},
        {"tcp://ho st:1", "tcp://ho st:1 is not"},
        {"tcp://a/b:1", "tcp://a/b:1 is not"},
        {"telnet://host:23", "telnet://host:23 is not a port"},
        {"tcp://[\n]:1", "tcp://[?]:1 is not"},
        {"socket://a\nb:1", "socket://a?b:1 is not"},
        {"x\n://", "x?:// is not a port"},
        {"demo:2", "demo takes generation 1 or 3"},
        {"demo:", "demo takes generation 1 or 3"},
        {"replay:", "replay: needs a recording"},
        {"", "--port needs a port"},
    };
    for (const Case& c : cases) {
        PortName name;
        std::string error;
        EXPECT_FALSE(parsePortName(c.text, &name, &error)) << c.text;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.text << " -> " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.text;
    }
}

TEST(PortGrammar, ComNumbersOnlyFromComNames) {
    struct Case {
        const char* text;
        int number;
    };
    const Case cases[] = {
        {"COM1", 1},   {"com9", 9},       {"\\\\.\\COM10", 10}, {"COM256", 256},
        {"COM257", 0}, {"COM0", 0},       {"COM03", 0},         {"COM", 0},
        {"COM1x", 0},  {"/dev/ttyS0", 0}, {"demo", 0},          {"COM99999999999", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(comPortNumber(c.text), c.number) << c.text;
}
