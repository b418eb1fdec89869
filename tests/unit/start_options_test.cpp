// Start options: the command line picks the real ports, the simulated
// controller or a recorded drive.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "link/link.h"
#include "shell/start_options.h"
#include "sim/replay.h"

TEST(StartOptions, CommandLineChoosesTheBackend) {
    struct Case {
        const char* line;
        StartBackend backend;
        int generation;
        const char* file;
    } cases[] = {
        {"", StartBackend::Ports, 3, ""},
        {"--demo", StartBackend::Demo, 3, ""},
        {"--demo=1", StartBackend::Demo, 1, ""},
        {"--demo=2", StartBackend::Ports, 3, ""},
        {"x--demo", StartBackend::Ports, 3, ""},
        {"--replay drive.rec", StartBackend::Replay, 3, "drive.rec"},
        {"--replay=drive.rec --demo", StartBackend::Replay, 3, "drive.rec"},
        {"--replay \"C:\\road tests\\drive 1.rec\"", StartBackend::Replay, 3,
         "C:\\road tests\\drive 1.rec"},
        {"--replay", StartBackend::Replay, 3, ""},
        {"--replayed", StartBackend::Ports, 3, ""},
    };
    for (const Case& c : cases) {
        const StartOptions o = readStartOptions(c.line);
        EXPECT_EQ(o.backend, c.backend) << c.line;
        EXPECT_EQ(o.demoGeneration, c.generation) << c.line;
        EXPECT_EQ(o.replayFile, c.file) << c.line;
    }
}

TEST(StartOptions, AReplayThatCantBePlayedLeavesTheBackendAlone) {
    resetLinkState();
    LinkPort = &posixPortOps;
    std::string error;
    StartOptions o = readStartOptions("--replay /nonexistent/drive.rec");
    EXPECT_FALSE(useStartBackend(o, &posixPortOps, &error));
    EXPECT_EQ(error.rfind("/nonexistent/drive.rec: ", 0), 0u) << error;
    EXPECT_FALSE(useStartBackend(readStartOptions("--replay"), &posixPortOps, &error));
    EXPECT_EQ(LinkPort, &posixPortOps);

    char path[] = "/tmp/zuvels-replay-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE* f = fdopen(fd, "w");
    fputs("0 > 65 01 01 67\n5 < 65 00 45 AA\n", f);
    fclose(f);
    o.replayFile = path;
    EXPECT_TRUE(useStartBackend(o, &posixPortOps, &error)) << error;
    EXPECT_EQ(LinkPort, &replayPortOps);
    remove(path);
    resetLinkState();
}

TEST(StartOptions, PortTakesTheWholeGrammar) {
    struct Case {
        const char* line;
        StartBackend backend;
        int generation;
        const char* file;
        const char* port;
    };
    const Case cases[] = {
        {"--port demo:1", StartBackend::Demo, 1, "", ""},
        {"--port replay:drive.rec", StartBackend::Replay, 3, "drive.rec", ""},
        {"--port socket://127.0.0.1:4001", StartBackend::Network, 3, "", "socket://127.0.0.1:4001"},
        {"--port tcp://bad", StartBackend::Network, 3, "", "tcp://bad"},
        {"--port COM4", StartBackend::Ports, 3, "", "COM4"},
    };
    for (const Case& c : cases) {
        const StartOptions o = readStartOptions(c.line);
        EXPECT_EQ(o.backend, c.backend) << c.line;
        EXPECT_EQ(o.demoGeneration, c.generation) << c.line;
        EXPECT_EQ(o.replayFile, c.file) << c.line;
        EXPECT_EQ(o.portName, c.port) << c.line;
        EXPECT_EQ(o.error, "") << c.line;
    }
    EXPECT_NE(readStartOptions("--port demo:2").error, "");
}

TEST(StartOptions, EachBackendIsTheTablesRow) {
    struct Case {
        const char* line;
        const PortOps* backend;
    };
    const Case cases[] = {
        {"", &posixPortOps},
        {"--port COM4", &posixPortOps},
        {"--demo=1", &simPortOps},
        {"--port demo", &simPortOps},
        {"--port rfc2217://127.0.0.1:2217", &netPortOps},
        {"--port tcp://bad", &netPortOps},  // kept whole: the box names it
    };
    const PortOps* saved = LinkPort;
    for (const Case& c : cases) {
        resetLinkState();
        LinkPort = nullptr;
        std::string error;
        EXPECT_TRUE(useStartBackend(readStartOptions(c.line), &posixPortOps, &error)) << c.line;
        EXPECT_EQ(LinkPort, c.backend) << c.line;
        // The COM menu's way back is the serial row, whatever was chosen.
        EXPECT_EQ(serialPortsBackend(), &posixPortOps) << c.line;
    }
    resetLinkState();
    LinkPort = saved;
}
