// The link over a real tty: the POSIX backend on the slave side of a pty,
// the simulated controller serving the master side (in a thread here, and
// the lpgsim tool in one test). Frames are checked in the controller's log;
// waits are for log entries, each with a deadline.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "link/port.h"
#include "link/port_posix.h"
#include "sim/sim.h"

using Bytes = std::vector<uint8_t>;

namespace {

uint32_t monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void napMs(int ms) {
    timespec ts = {0, long(ms) * 1000000L};
    nanosleep(&ts, nullptr);
}

bool makeRaw(int fd) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

// The model behind a pty master, served by a thread. Every use of the model
// from the test thread goes through lock().
class PtyController {
public:
    bool start(const SimConfig& config) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || !ptsname(master))
            return false;
        slavePath = ptsname(master);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        hold = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
        if (hold < 0 || !makeRaw(hold)) return false;
        t0 = monotonicMs();
        simReset(config, 0);
        stopFlag = false;
        worker = std::thread([this] { serve(); });
        return true;
    }
    void stop() {
        stopFlag = true;
        if (worker.joinable()) worker.join();
        if (hold >= 0) close(hold);
        if (master >= 0) close(master);
        hold = master = -1;
    }
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mu); }
    std::vector<SimFrame> frames() {
        auto l = lock();
        return simFrameLog();
    }
    // Waits until the log holds a frame in direction dir with these bytes.
    bool awaitFrame(char dir, const Bytes& bytes, uint32_t deadlineMs = 3000) {
        uint32_t until = monotonicMs() + deadlineMs;
        while (int32_t(until - monotonicMs()) > 0) {
            for (const SimFrame& f : frames())
                if (f.dir == dir && f.bytes == bytes) return true;
            napMs(1);
        }
        return false;
    }
    std::string slavePath;

private:
    void serve() {
        std::vector<uint8_t> unsent;
        uint8_t buf[256];
        while (!stopFlag) {
            pollfd p = {master, POLLIN, 0};
            if (!unsent.empty()) p.events |= POLLOUT;
            poll(&p, 1, 1);
            auto l = lock();
            uint32_t now = monotonicMs() - t0;
            if (p.revents & POLLIN) {
                ssize_t k = read(master, buf, sizeof buf);
                if (k > 0) simReceive(buf, size_t(k), now);
            }
            simAdvance(now);
            size_t took = simTakeOutput(buf, sizeof buf, now);
            unsent.insert(unsent.end(), buf, buf + took);
            if (!unsent.empty()) {
                ssize_t w = write(master, unsent.data(), unsent.size());
                if (w > 0) unsent.erase(unsent.begin(), unsent.begin() + w);
            }
        }
    }
    int master = -1, hold = -1;
    uint32_t t0 = 0;
    std::mutex mu;
    std::thread worker;
    std::atomic<bool> stopFlag{false};
};

int errorBoxes = 0;
void countErrorBox() { ++errorBoxes; }

class PtyLink : public ::testing::Test {
protected:
    void SetUp() override {
        useLinkBackend(&posixPortOps);
        resetLinkState();
        linkHooks.error = countErrorBox;
        errorBoxes = 0;
    }
    void TearDown() override {
        resetLinkState();
        linkHooks.error = nullptr;
        controller.stop();
    }
    void start(SimConfig c) {
        ASSERT_TRUE(controller.start(c));
        selectPort(controller.slavePath.c_str(), 1);
    }
    PtyController controller;
};

const Bytes StatusFrame = {0x65, 0x01, 0x01, 0x67};
const Bytes ProbeFrame = {0x0B, 0x01, 0x01, 0x0D};

SimConfig gen3(SimFault fault = SimFault::None) {
    SimConfig c;
    c.generation = 3;
    c.variant = 5;
    c.fault = fault;
    return c;
}

}  // namespace

TEST_F(PtyLink, PollAndBlockReadsFillTheStores) {
    start(gen3());
    pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(ControllerGeneration, 3);
    readLiveBlock();
    EXPECT_TRUE(LastBlockReadValid);
    EXPECT_EQ(Live.lead, 0x65);
    readConfigABlock();
    EXPECT_EQ(ConfigA.options, 0x6A);
    readConfigBBlock();
    EXPECT_EQ(ConfigB.lpgOnRpmHi, 0x1D);
    readExtendedBlock();
    EXPECT_EQ(std::memcmp(Extended.registration, "SIM 001", 7), 0);

    // the controller saw the probe first, then the requests in order
    std::vector<SimFrame> log = controller.frames();
    std::vector<Bytes> received;
    for (const SimFrame& f : log)
        if (f.dir == '>') received.push_back(f.bytes);
    const std::vector<Bytes> expected = {
        ProbeFrame,
        StatusFrame,
        {0x65, 0x02, 0x02, 0x69},
        {0x65, 0x03, 0x03, 0x6B},
        {0x65, 0x04, 0x04, 0x6D},
        {0x65, 0x05, 0x05, 0x6F},
    };
    EXPECT_EQ(received, expected);
}

// A pty has no low-latency setting: the open notes the refusal and the port
// serves as any other.
TEST_F(PtyLink, LowLatencyRefusalIsIgnored) {
    start(gen3());
    pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(std::string(lowLatencyOutcome()).rfind("not offered by the device: ", 0), 0u)
        << lowLatencyOutcome();
}

TEST_F(PtyLink, WriteParameterReachesTheShiftedAddress) {
    start(gen3());
    pollStatus();
    ASSERT_EQ(ControllerGeneration, 3);
    writeParameter(Addr::Options, 0x2A);
    EXPECT_EQ(BytesTransferred, 3u);
    EXPECT_EQ(WriteReply.value, 0x2A);
    EXPECT_TRUE(controller.awaitFrame('>', {0x65, 0x06, 0x2A, 0x95}));
    auto l = controller.lock();
    EXPECT_EQ(simState().configA.options, 0x2A);
}

TEST_F(PtyLink, SilentControllerTakesTheLinkDown) {
    start(gen3());
    pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Up);
    readLiveBlock();
    {
        auto l = controller.lock();
        simSetFault(SimFault::Silent);
    }
    for (int i = 0; i < 3; ++i) pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(PollInterval, 1000);
    EXPECT_EQ(Live.lead, 0);
    EXPECT_FALSE(PortOpen);
    EXPECT_EQ(errorBoxes, 0);
}

TEST_F(PtyLink, EchoingLineIsRefused) {
    start(gen3(SimFault::Echo));
    pollStatus();
    EXPECT_TRUE(LinkFailed);
    EXPECT_EQ(errorBoxes, 1);
    EXPECT_TRUE(controller.awaitFrame('<', ProbeFrame));
}

TEST_F(PtyLink, BadChecksumClosesAndReopens) {
    start(gen3(SimFault::BadSum));
    pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(FailureCount, 0);
    EXPECT_FALSE(PortOpen);
    pollStatus();  // reopens the port and asks again
    int statusRequests = 0;
    for (const SimFrame& f : controller.frames())
        if (f.dir == '>' && f.bytes == StatusFrame) ++statusRequests;
    EXPECT_EQ(statusRequests, 2);
    EXPECT_EQ(Status.lead, 0);
}

// The tool itself: a symlinked pty, a log file, a clean exit on SIGTERM.
TEST(PtyTool, LpgsimServesTheLinkAndLogsFrames) {
    char self[512];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = 0;
    std::string dir(self);
    dir = dir.substr(0, dir.rfind('/'));
    std::string tool = dir + "/lpgsim";
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "lpgsim not built beside the tests";

    std::string linkPath = dir + "/pty_test_link." + std::to_string(getpid());
    std::string logPath = dir + "/pty_test_log." + std::to_string(getpid());
    unlink(logPath.c_str());
    // a stale link from a crashed run must not stop the tool
    ASSERT_EQ(symlink("/nonexistent", linkPath.c_str()), 0);

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(tool.c_str(), tool.c_str(), "--link", linkPath.c_str(), "--gen", "1", "--variant",
              "2", "--log", logPath.c_str(), (char*)nullptr);
        _exit(127);
    }

    // wait for the tool to replace the link with its pty
    char target[256] = "";
    uint32_t until = monotonicMs() + 3000;
    while (int32_t(until - monotonicMs()) > 0) {
        ssize_t k = readlink(linkPath.c_str(), target, sizeof target - 1);
        if (k > 0) {
            target[k] = 0;
            if (std::strcmp(target, "/nonexistent") != 0) break;
        }
        napMs(2);
    }
    EXPECT_NE(std::string(target), "/nonexistent");

    useLinkBackend(&posixPortOps);
    resetLinkState();
    selectPort(linkPath.c_str(), 1);
    pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(ControllerGeneration, 1);
    EXPECT_EQ(ControllerVariant, 2);
    writeParameter(Addr::Command, CmdFactoryReset);
    EXPECT_EQ(WriteReply.value, 0x33);
    resetLinkState();  // closes the port; the tool keeps serving

    // the log gets the reset frame and its reply
    bool logged = false;
    until = monotonicMs() + 3000;
    std::string text;
    while (!logged && int32_t(until - monotonicMs()) > 0) {
        std::ifstream in(logPath);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        logged = text.find(" > 65 1E 33 B6\n") != std::string::npos &&
                 text.find(" < 65 33 98\n") != std::string::npos;
        if (!logged) napMs(2);
    }
    EXPECT_TRUE(logged) << text;
    EXPECT_NE(text.find(" > 65 01 01 67\n"), std::string::npos) << text;

    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st;
    EXPECT_NE(lstat(linkPath.c_str(), &st), 0) << "link left behind";
    unlink(linkPath.c_str());
    unlink(logPath.c_str());
}

namespace {

// The backend opens only a terminal line, and only once at a time: a second
// open of a held port (even by root, whom the tty's own exclusive mode lets
// through) is refused as busy, and the first handle goes on working.
TEST_F(PtyLink, ASecondOpenOfAHeldPortIsBusyAndTheFirstWorksOn) {
    start(gen3());
    const PortId first = posixPortOps.open(controller.slavePath.c_str());
    ASSERT_NE(first, InvalidPort) << strerror(errno);
    errno = 0;
    const PortId second = posixPortOps.open(controller.slavePath.c_str());
    const int refusal = errno;
    if (second != InvalidPort) posixPortOps.close(second);
    EXPECT_EQ(second, InvalidPort);
    EXPECT_EQ(refusal, EBUSY) << strerror(refusal);

    ASSERT_TRUE(posixPortOps.applySettings(first, LinkPortSettings));
    ASSERT_TRUE(posixPortOps.applyTimeouts(first, LinkPortTimeouts));
    uint32_t done = 0;
    ASSERT_TRUE(posixPortOps.write(first, StatusFrame.data(), 4, &done));
    uint8_t reply[4] = {0};
    ASSERT_TRUE(posixPortOps.read(first, reply, 4, &done));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(reply[0], LeadByte);
    posixPortOps.close(first);

    // Closed: the port is free again.
    const PortId again = posixPortOps.open(controller.slavePath.c_str());
    EXPECT_NE(again, InvalidPort) << strerror(errno);
    posixPortOps.close(again);
}

TEST(PosixPort, AnythingButATerminalLineIsRefusedUntouched) {
    char dir[] = "/tmp/zuvels_port_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/drive.rec", fifo = std::string(dir) + "/pipe";
    std::ofstream(file, std::ios::binary) << "recorded";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {file, fifo, std::string(dir), std::string("/dev/null")}) {
        errno = 0;
        const PortId h = posixPortOps.open(path.c_str());
        const int refusal = errno;
        if (h != InvalidPort) posixPortOps.close(h);
        EXPECT_EQ(h, InvalidPort) << path;
        EXPECT_NE(refusal, 0) << path;
    }
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "recorded");
    unlink(file.c_str());
    unlink(fifo.c_str());
    rmdir(dir);
}

}  // namespace
