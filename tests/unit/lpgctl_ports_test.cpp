// lpgctl at its port edge: a file named as a port is refused before a byte
// is written, a port another lpgctl holds is busy, replies that fail their
// checksum are named, and a device path of any length is opened whole.
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/errors.h"
#include "tests/unit/cli_process.h"
#include "tests/unit/test_files.h"

namespace {

int countOf(const std::vector<std::string>& frames, const std::string& frame) {
    int n = 0;
    for (const std::string& f : frames) n += f == frame;
    return n;
}

const char* const StatusFrame = "65 01 01 67";
const char* const ProbeFrame = "0B 01 01 0D";

// Things that are not serial ports, each named as one: refused before a
// byte is written, with a hint fit for what it is, and left as they were.
TEST(LpgctlPortEdge, WhatIsNoSerialPortIsRefusedUntouched) {
    const std::string recording = scratchPath("drive.rec"), settings = scratchPath("car.zs2"),
                      fifo = scratchPath("pipe"), folder = scratchPath("folder"),
                      link = scratchPath("link.rec");
    const std::string content = "# a recorded drive\n12 > 65 01 01 67\n";
    std::ofstream(recording, std::ios::binary) << content;
    std::ofstream(settings, std::ios::binary) << content;
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(symlink(recording.c_str(), link.c_str()), 0);
    struct Case {
        std::string port;
        const char* says;
    };
    const Case cases[] = {
        {recording, "use replay:"}, {link, "use replay:"}, {settings, "a settings file"},
        {fifo, "named pipe"},       {folder, "folder"},
    };
    for (const Case& c : cases) {
        for (const char* command : {"dump", "status", "load"}) {
            std::vector<std::string> args = {"--port", c.port, command};
            if (std::string(command) == "load") args.push_back(settings);
            const CliRun r = runLpgctl(args);
            EXPECT_EQ(r.code, ExitNoSuchPort) << c.port << " " << command << ": " << r.err;
            EXPECT_NE(r.err.find("not a serial port"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        }
        // scan says so on its line and goes on to the next name.
        const CliRun scan = runLpgctl({"scan", c.port, "/dev/lpgctl-test-no-such-port"});
        EXPECT_EQ(scan.code, ExitNoController) << scan.err;
        EXPECT_NE(scan.out.find("not a serial port"), std::string::npos) << scan.out;
        EXPECT_NE(scan.out.find("/dev/lpgctl-test-no-such-port"), std::string::npos) << scan.out;
    }
    EXPECT_EQ(readFileBytes(recording), content);
    EXPECT_EQ(readFileBytes(settings), content);
    for (const std::string& p : {recording, settings, fifo, link}) unlink(p.c_str());
    rmdir(folder.c_str());
}

// One lpgctl logs on lpgsim's port; a second one, run meanwhile, is refused
// as busy (exit 5) without a frame of its own, and the log runs on.
TEST(LpgctlPortEdge, ASecondLpgctlOnAHeldPortIsBusy) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start());
    const std::string saved = scratchPath("held.zs2");
    ASSERT_EQ(runLpgctl({"--port", sim.port(), "save", saved}).code, ExitOk);
    const int probesBefore = countOf(sim.received(), ProbeFrame);
    const int statusBefore = countOf(sim.received(), StatusFrame);

    CliRun log;
    std::thread first([&] {
        log = runLpgctl({"--port", sim.port(), "log", "--seconds", "6"}, 30000);
    });
    // The log is running once its status polls reach the controller.
    const bool running = sim.waitForReceived(StatusFrame, statusBefore + 2);
    std::vector<CliRun> second;
    if (running) {
        second.push_back(runLpgctl({"--port", sim.port(), "status"}));
        second.push_back(runLpgctl({"--port", sim.port(), "load", saved}));
    }
    const int statusDuring = countOf(sim.received(), StatusFrame);
    first.join();
    ASSERT_TRUE(running) << sim.logText();
    for (const CliRun& r : second) {
        EXPECT_EQ(r.code, ExitPortBusy) << r.out << r.err;
        EXPECT_NE(r.err.find("is busy: another program has it open"), std::string::npos) << r.err;
    }
    EXPECT_EQ(log.code, ExitOk) << log.err;
    const std::vector<std::string> frames = sim.received();
    EXPECT_EQ(countOf(frames, ProbeFrame), probesBefore + 1) << sim.logText();
    EXPECT_GT(countOf(frames, StatusFrame), statusDuring) << "the log stopped polling";
    for (const std::string& f : frames) EXPECT_FALSE(isWriteFrame(f)) << f;
    unlink(saved.c_str());
}

// Replies that come but fail their checks are named as such, not as silence.
TEST(LpgctlPortEdge, RepliesFailingTheirChecksumAreNamed) {
    for (const char* fault : {"badsum", "garbage"}) {
        LpgsimProcess sim;
        ASSERT_TRUE(sim.start({"--fault", fault}));
        for (const char* command : {"status", "dump"}) {
            const CliRun r = runLpgctl({"--port", sim.port(), command});
            EXPECT_EQ(r.code, ExitNoController) << fault << " " << command << r.err;
            EXPECT_NE(r.err.find("fail their checksum: noise, or a wrong baud rate?"),
                      std::string::npos)
                << fault << " " << r.err;
        }
    }
}

// A folder chain beside the tests whose path is at least length long.
std::string longFolder(const std::string& stem, size_t length) {
    std::string path = stem;
    if (mkdir(path.c_str(), 0700) != 0) return "";
    while (path.size() < length) {
        path += "/" + std::string(60, 'd');
        if (mkdir(path.c_str(), 0700) != 0) return "";
    }
    return path;
}

void removeFolderChain(const std::string& stem, std::string path) {
    while (path.size() >= stem.size()) {
        rmdir(path.c_str());
        if (path == stem) break;
        path = path.substr(0, path.rfind('/'));
    }
}

// Device paths of /dev/serial/by-id length and longer: the controller
// answers on the whole path, as it does on the short one.
TEST(LpgctlPortEdge, LongDevicePathsAreOpenedWhole) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start());
    for (size_t length : {70, 300}) {
        const std::string stem = scratchPath("long" + std::to_string(length));
        const std::string folder = longFolder(stem, length);
        ASSERT_FALSE(folder.empty()) << stem;
        const std::string port = folder + "/usb-Serial_Adapter_0001-if00-port0";
        ASSERT_EQ(symlink(sim.port().c_str(), port.c_str()), 0);
        const CliRun r = runLpgctl({"--port", port, "status"});
        EXPECT_EQ(r.code, ExitOk) << port.size() << " characters: " << r.err;
        EXPECT_NE(r.out.find("generation: 3"), std::string::npos) << r.out;
        unlink(port.c_str());
        removeFolderChain(stem, folder);
    }
}

TEST(LpgctlPortEdge, APathLongerThanTheSystemAllowsIsRefusedNotCut) {
    std::string path = "/dev";
    while (path.size() < 5000) path += "/" + std::string(100, 'x');
    const CliRun r = runLpgctl({"--port", path, "status"});
    EXPECT_EQ(r.code, ExitUsage) << r.err;
    EXPECT_NE(r.err.find("characters long"), std::string::npos) << r.err;
}

}  // namespace
