// Start options: the command line picks the real ports, the simulated
// controller or a recorded drive.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "link/link.h"
#include "link/port_grammar.h"
#include "shell/start_options.h"
#include "sim/replay.h"

// The short options are the port grammar's names: each reads as the --port
// it stands for.
TEST(StartOptions, CommandLineNamesThePort) {
    struct Case {
        const char* line;
        const char* port;
        const char* error;
    } cases[] = {
        {"", "", ""},
        {"--demo", "demo:3", ""},
        {"--demo=1", "demo:1", ""},
        {"--demo=2", "", ""},
        {"x--demo", "", ""},
        {"--replay drive.rec", "replay:drive.rec", ""},
        {"--replay=drive.rec --demo", "replay:drive.rec", ""},
        {"--replay \"C:\\road tests\\drive 1.rec\"", "replay:C:\\road tests\\drive 1.rec", ""},
        {"--replay", "replay:", "--replay needs the recording's file name"},
        {"--replayed", "", ""},
    };
    for (const Case& c : cases) {
        const StartOptions o = readStartOptions(c.line);
        EXPECT_EQ(o.port, c.port) << c.line;
        EXPECT_EQ(o.error, c.error) << c.line;
    }
}

TEST(StartOptions, AReplayThatCantBePlayedLeavesTheBackendAlone) {
    resetLinkState();
    useLinkBackend(&posixPortOps);
    std::string error;
    StartOptions o = readStartOptions("--replay /nonexistent/drive.rec");
    EXPECT_FALSE(useStartBackend(o, &posixPortOps, &error));
    EXPECT_EQ(error.rfind("/nonexistent/drive.rec: ", 0), 0u) << error;
    EXPECT_FALSE(useStartBackend(readStartOptions("--replay"), &posixPortOps, &error));
    EXPECT_EQ(error, "--replay needs the recording's file name");
    EXPECT_EQ(LinkPort, &posixPortOps);

    char path[] = "/tmp/zuvels-replay-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE* f = fdopen(fd, "w");
    fputs("0 > 65 01 01 67\n5 < 65 00 45 AA\n", f);
    fclose(f);
    o.port = std::string("replay:") + path;
    EXPECT_TRUE(useStartBackend(o, &posixPortOps, &error)) << error;
    EXPECT_EQ(LinkPort, &replayPortOps);
    remove(path);
    resetLinkState();
}

TEST(StartOptions, PortTakesTheWholeGrammar) {
    const char* kept[] = {"demo:1", "replay:drive.rec", "socket://127.0.0.1:4001", "tcp://bad",
                          "COM4"};
    for (const char* port : kept) {
        const StartOptions o = readStartOptions((std::string("--port ") + port).c_str());
        EXPECT_EQ(o.port, port);
        EXPECT_EQ(o.error, "") << port;
    }
    EXPECT_EQ(readStartOptions("--port demo:2").error,
              "demo takes generation 1 or 3: demo, demo:1 or demo:3");
}

TEST(StartOptions, EachBackendIsTheTablesRow) {
    struct Case {
        const char* line;
        const PortOps* backend;
        const char* startPort;  // selected once ZuvelS.ini is read
    };
    const Case cases[] = {
        {"", &posixPortOps, ""},
        {"--port COM4", &posixPortOps, "COM4"},
        {"--demo=1", &simPortOps, ""},
        {"--port demo", &simPortOps, ""},
        {"--port rfc2217://127.0.0.1:2217", &netPortOps, "rfc2217://127.0.0.1:2217"},
        {"--port tcp://bad", &netPortOps, "tcp://bad"},  // kept whole: the box names it
    };
    const PortOps* saved = LinkPort;
    for (const Case& c : cases) {
        resetLinkState();
        useLinkBackend(nullptr);
        std::string error;
        EXPECT_TRUE(useStartBackend(readStartOptions(c.line), &posixPortOps, &error)) << c.line;
        EXPECT_EQ(LinkPort, c.backend) << c.line;
        EXPECT_EQ(startPortName(), c.startPort) << c.line;
        // The COM menu's way back is the serial row, whatever was chosen.
        EXPECT_EQ(PortScheme::Serial->ops, &posixPortOps) << c.line;
    }
    resetLinkState();
    useLinkBackend(saved);
}
