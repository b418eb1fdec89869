// lpgctl as a fitter runs it: every command against the built-in simulated
// controller (demo, demo:1) and against lpgsim over a pty, checked on the
// exit code, the output and the frames the controller received.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/commands.h"
#include "cli/errors.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "shell/settings_file.h"
#include "sim/sim.h"
#include "tests/unit/cli_process.h"
#include "tests/unit/cli_session.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// What the window's "Save As..." writes for a freshly started simulated
// controller of generation: the same stores through the window's own path.
std::string windowSave(int generation) {
    resetLinkState();
    useLinkBackend(&simPortOps);
    simPortUseRealTime(false);
    SimConfig config;
    config.generation = generation;
    simPortSetup(config);
    pollStatus();
    const std::string path = scratchPath("window");
    EXPECT_EQ(saveSettingsTo(path.c_str(), settingsFormatFor(generation)), SaveResult::Saved);
    resetLinkState();
    simPortUseRealTime(true);
    const std::string text = readFile(path);
    unlink(path.c_str());
    return text;
}

// The file with the line of key replaced by "key value".
std::string withValue(const std::string& file, const std::string& key, int value) {
    std::istringstream in(file);
    std::string out, line;
    while (std::getline(in, line))
        out += (line.compare(0, key.size() + 1, key + " ") == 0 ? key + " " + std::to_string(value)
                                                                : line) +
               "\n";
    return out;
}

int lineCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// A pty this test holds open from both ends; the lpgctl under test opens
// the slave by its path.
struct HeldPty {
    int master = -1, hold = -1;
    std::string slave;
    bool open() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return false;
        slave = ptsname(master);
        hold = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        termios tio;
        if (hold < 0 || tcgetattr(hold, &tio) != 0) return false;
        cfmakeraw(&tio);
        return tcsetattr(hold, TCSANOW, &tio) == 0;
    }
    ~HeldPty() {
        if (hold >= 0) close(hold);
        if (master >= 0) close(master);
    }
};

struct Target {
    const char* name;
    bool overPty;
    int generation;
};

void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }

class LpgctlOnController : public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override {
        if (!GetParam().overPty) return;
        ASSERT_TRUE(sim.start({"--gen", std::to_string(GetParam().generation)}))
            << "lpgsim's pty didn't appear";
    }
    std::string port() const {
        if (GetParam().overPty) return sim.port();
        return GetParam().generation == 1 ? "demo:1" : "demo";
    }
    CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", port()});
        return runLpgctl(args);
    }
    std::string ext() const { return GetParam().generation == 3 ? ".zs2" : ".zss"; }
    LpgsimProcess sim;
};

TEST_P(LpgctlOnController, StatusNamesGenerationAndVersion) {
    const CliRun r = run({"status"});
    EXPECT_EQ(r.code, ExitOk) << r.err;
    EXPECT_NE(r.out.find("link:       up"), std::string::npos) << r.out;
    const std::string g = std::to_string(GetParam().generation);
    EXPECT_NE(r.out.find("generation: " + g), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("version:    " + g + ".05"), std::string::npos) << r.out;
}

TEST_P(LpgctlOnController, DumpDecodesTheBlocksInTextAndJson) {
    const CliRun text = run({"dump"});
    ASSERT_EQ(text.code, ExitOk) << text.err;
    EXPECT_NE(text.out.find("switch-over engine speed               2000 rpm"), std::string::npos)
        << text.out;
    const CliRun json = run({"dump", "--json"});
    ASSERT_EQ(json.code, ExitOk) << json.err;
    EXPECT_NE(json.out.find("\"switch_over_speed_rpm\": 2000,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"cut_off_speed_rpm\": 1500,"), std::string::npos) << json.out;
    const bool third = GetParam().generation == 3;
    EXPECT_EQ(json.out.find("\"registration\": \"SIM 001\"") != std::string::npos, third);
    EXPECT_EQ(json.out.find("\"initial_valve_opening_s\"") != std::string::npos, third);
    EXPECT_EQ(json.out.find("\"correction_1\"") != std::string::npos, true);
}

TEST_P(LpgctlOnController, SaveWritesWhatTheWindowWrites) {
    const std::string path = scratchPath("save" + ext());
    const CliRun r = run({"save", path});
    EXPECT_EQ(r.code, ExitOk) << r.err;
    EXPECT_EQ(readFile(path), windowSave(GetParam().generation));
    unlink(path.c_str());
}

TEST_P(LpgctlOnController, LoadSendsTheFileAndDiffCompares) {
    const std::string saved = scratchPath("saved" + ext()),
                      changed = scratchPath("changed" + ext());
    ASSERT_EQ(run({"save", saved}).code, ExitOk);
    // 1800 rpm: period 8333 = 0x208D.
    writeFile(changed,
              withValue(withValue(readFile(saved), "LPGOnRPMLo=", 0x8D), "LPGOnRPMHi=", 0x20));

    const CliRun same = runLpgctl({"diff", saved, saved});
    EXPECT_EQ(same.code, ExitOk);
    EXPECT_EQ(same.out, "");
    const CliRun differ = runLpgctl({"diff", saved, changed});
    EXPECT_EQ(differ.code, ExitDiffer) << differ.err;
    EXPECT_EQ(lineCount(differ.out), 2) << differ.out;  // heading and the one field
    EXPECT_NE(differ.out.find("2000 rpm"), std::string::npos) << differ.out;
    EXPECT_NE(differ.out.find("1800 rpm"), std::string::npos) << differ.out;
    EXPECT_EQ(run({"diff", changed, "-"}).code, ExitDiffer);

    const CliRun load = run({"load", changed});
    EXPECT_EQ(load.code, ExitOk) << load.err;
    const int sent = GetParam().generation == 3 ? 32 : 27;
    EXPECT_NE(load.out.find("sent " + std::to_string(sent) + " values"), std::string::npos)
        << load.out;
    // Not on a terminal: a line per write.
    EXPECT_EQ(lineCount(load.out), sent + 1) << load.out;
    if (GetParam().overPty) {  // lpgsim keeps what it was sent; demo starts afresh each run
        const CliRun after = run({"diff", changed, "-"});
        EXPECT_EQ(after.code, ExitOk) << after.out << after.err;
    }
    unlink(saved.c_str());
    unlink(changed.c_str());
}

TEST_P(LpgctlOnController, LoadOfABrokenFileWritesNothing) {
    const std::string saved = scratchPath("whole" + ext()), broken = scratchPath("broken" + ext());
    ASSERT_EQ(run({"save", saved}).code, ExitOk);
    const std::string text = readFile(saved);
    const int keys = GetParam().generation == 3 ? 33 : 27;
    const std::string of = " of " + std::to_string(keys);
    struct Breakage {
        std::string file;
        std::string says;
    };
    const Breakage breakages[] = {
        {withValue(text, "AttMax=", 256),
         "the value of AttMax= (key 12" + of + ") is not a number"},
        {text.substr(0, text.find("AttJump=")), "key 16" + of + " should be AttJump="},
        {std::string(text).replace(text.find("AttInit="), 8, "Attinit="),
         "key 14" + of + " should be AttInit="},
    };
    for (const Breakage& b : breakages) {
        writeFile(broken, b.file);
        const CliRun r = run({"load", broken});
        EXPECT_EQ(r.code, ExitBadFile) << r.out << r.err;
        EXPECT_NE(r.err.find(b.says), std::string::npos) << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
    }
    if (GetParam().overPty) {
        // A status run after them: once its echo probe is logged, every
        // frame before it is too.
        ASSERT_EQ(run({"status"}).code, ExitOk);
        ASSERT_TRUE(sim.waitForReceived("0B 01 01 0D", 5)) << sim.logText();
        for (const std::string& f : sim.received()) EXPECT_FALSE(isWriteFrame(f)) << f;
    }
    unlink(saved.c_str());
    unlink(broken.c_str());
}

TEST_P(LpgctlOnController, ScanFindsTheControllerAfterAMissingPort) {
    const CliRun r = runLpgctl({"scan", "/dev/lpgctl-test-no-such-port", port()});
    EXPECT_EQ(r.code, ExitOk) << r.err;
    EXPECT_NE(r.out.find("no controller"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("controller of generation " + std::to_string(GetParam().generation)),
              std::string::npos)
        << r.out;
}

INSTANTIATE_TEST_SUITE_P(Targets, LpgctlOnController,
                         ::testing::Values(Target{"demo", false, 3}, Target{"demo1", false, 1},
                                           Target{"lpgsim", true, 3}, Target{"lpgsim1", true, 1}),
                         [](const ::testing::TestParamInfo<Target>& i) { return i.param.name; });

// Every refusal: its exit code and one line on standard error.
TEST(LpgctlErrors, EachFailureHasItsCodeAndOneLine) {
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"frobnicate"}, ExitUsage, "no command frobnicate"},
        {{"status"}, ExitUsage, "no port given"},
        {{"--port"}, ExitUsage, "--port needs a port"},
        {{"--port", "COM3", "status"}, ExitUsage, "Windows port name"},
        {{"--port", "demo:2", "status"}, ExitUsage, "demo takes generation 1 or 3"},
        {{"--port", "demo", "save"}, ExitUsage, "usage: lpgctl save FILE"},
        {{"--port", "demo", "dump", "--xml"}, ExitUsage, "unknown option --xml"},
        {{"diff", "-", "-"}, ExitUsage, "one side only"},
        {{"--port", "/dev/lpgctl-test-no-such-port", "status"}, ExitNoSuchPort, "no such port"},
        {{"--port", "demo", "load", "/nonexistent/x.zs2"}, ExitBadFile, "can't open"},
        {{"diff", "/nonexistent/a.zss", "/nonexistent/b.zss"}, ExitBadFile, "can't open"},
        {{"scan", "/dev/lpgctl-test-no-such-port"}, ExitNoController, "no controller answers"},
    };
    for (const Case& c : cases) {
        const CliRun r = runLpgctl(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.rfind("lpgctl: ", 0), 0u) << r.err;
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
    }
}

TEST(LpgctlErrors, NoControllerOnASilentOrEchoingPort) {
    struct Case {
        const char* fault;
        const char* says;
    };
    for (const Case c : {Case{"silent", "no controller answers"}, Case{"echo", "loop-back"}}) {
        LpgsimProcess sim;
        ASSERT_TRUE(sim.start({"--fault", c.fault}));
        for (const char* command : {"status", "dump", "save"}) {
            std::vector<std::string> args = {"--port", sim.port(), command};
            if (std::string(command) == "save") args.push_back(scratchPath("never.zss"));
            const CliRun r = runLpgctl(args);
            EXPECT_EQ(r.code, ExitNoController) << c.fault << " " << command << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        }
        EXPECT_NE(access(scratchPath("never.zss").c_str(), F_OK), 0) << "save wrote a file";
    }
}

// A controller of a generation the program doesn't serve, served by hand
// on a pty: it answers the status request with identity 0x20 (generation 2).
TEST(LpgctlErrors, WrongGenerationIsRefused) {
    HeldPty pty;
    ASSERT_TRUE(pty.open());
    const int master = pty.master;
    volatile bool stop = false;
    std::thread controller([&] {
        std::string seen;
        while (!stop) {
            pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[64];
            ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) continue;
            seen.append(buf, static_cast<size_t>(n));
            for (size_t at; (at = seen.find("\x65\x01\x01\x67")) != std::string::npos;) {
                seen.erase(0, at + 4);
                const char reply[] = {0x65, 0x00, 0x20, static_cast<char>(0x85)};
                (void)!write(master, reply, sizeof reply);
            }
        }
    });
    const CliRun r = runLpgctl({"--port", pty.slave, "status"});
    stop = true;
    controller.join();
    EXPECT_EQ(r.code, ExitWrongGeneration) << r.err;
    EXPECT_NE(r.err.find("generation 2"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("generation: 2"), std::string::npos) << r.out;
}

// A port the user may not open and one another program holds exclusively:
// lpgctl run as nobody, on a pty this test holds.
TEST(LpgctlErrors, PermissionDeniedAndBusyPortsAreToldApart) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run lpgctl as another user";
    HeldPty pty;
    ASSERT_TRUE(pty.open());
    const std::string& slave = pty.slave;
    const uid_t nobody = 65534;

    ASSERT_EQ(chmod(slave.c_str(), 0600), 0);
    const CliRun denied = runLpgctlAs(nobody, nobody, {"--port", slave, "status"});
    EXPECT_EQ(denied.code, ExitPermission) << denied.err;
    EXPECT_NE(denied.err.find("permission denied"), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find("dialout"), std::string::npos) << denied.err;

    ASSERT_EQ(chmod(slave.c_str(), 0666), 0);
    ASSERT_EQ(ioctl(pty.hold, TIOCEXCL), 0);
    const CliRun busy = runLpgctlAs(nobody, nobody, {"--port", slave, "status"});
    EXPECT_EQ(busy.code, ExitPortBusy) << busy.err;
    EXPECT_NE(busy.err.find("busy"), std::string::npos) << busy.err;
    EXPECT_EQ(lineCount(busy.err), 1) << busy.err;
}

// lpgsim answers a given number of frames, then falls silent: the load
// stops at the first write without a reply and names its key. That write
// reached the controller, which may have applied it: the message says so.
TEST(LpgctlLoad, StopsAtTheFirstUnconfirmedWriteAndNamesTheKey) {
    const std::string path = scratchPath("drop.zs2");
    {
        LpgsimProcess whole;
        ASSERT_TRUE(whole.start());
        ASSERT_EQ(runLpgctl({"--port", whole.port(), "save", path}).code, ExitOk);
    }
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--fault", "drop:10"}));
    const CliRun r = runLpgctl({"--port", sim.port(), "load", path});
    EXPECT_EQ(r.code, ExitWriteFailed) << r.err;
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    const size_t at = r.err.find(" taken; the ");
    ASSERT_NE(at, std::string::npos) << r.err;
    const int before = atoi(r.err.c_str() + at + 12);
    ASSERT_GT(before, 0) << r.err;
    const std::string key = settingsKeyWord(settingsFormatFor(3), 3 + before);
    const int address = settingsParameter(3, before)->address;
    char expected[256];
    snprintf(expected, sizeof expected,
             "lpgctl: %s (key %d of 32, address %d) got no full reply: it may or may not have "
             "been taken; the %d values before it are in the controller, the rest were not sent\n",
             key.c_str(), before + 1, address, before);
    EXPECT_EQ(r.err, expected);
    // The writes that were confirmed and the one that wasn't reached the
    // controller, the last one being that key's; nothing after it was sent.
    // Once the echo probe of a later run is logged, every frame of the load is.
    EXPECT_EQ(runLpgctl({"--port", sim.port(), "status"}).code, ExitNoController);
    ASSERT_TRUE(sim.waitForReceived("0B 01 01 0D", 2)) << sim.logText();
    std::vector<std::string> writes;
    for (const std::string& f : sim.received())
        if (isWriteFrame(f)) writes.push_back(f);
    ASSERT_EQ(int(writes.size()), before + 1) << sim.logText();
    char frameStart[16];  // generation 3 numbers its parameters one higher on the wire
    snprintf(frameStart, sizeof frameStart, "65 %02X ", address + 1);
    EXPECT_EQ(writes.back().rfind(frameStart, 0), 0u) << writes.back();
    unlink(path.c_str());
}

// A controller of generation 3 served by hand on a pty: it answers the
// status request and every write, but keeps back the reply to write number
// held until release(), so that the test acts while lpgctl waits for it.
class HandController {
public:
    explicit HandController(int held) : held_(held) {}
    bool start() {
        if (!pty_.open()) return false;
        thread_ = std::thread([this] { serve(); });
        return true;
    }
    const std::string& port() const { return pty_.slave; }
    bool waitForHeldWrite() const {
        for (int i = 0; i < 1000 && writes_ < held_; ++i) usleep(10000);
        return writes_ >= held_;
    }
    void release() { released_ = true; }
    int writes() const { return writes_; }
    int replies() const { return replies_; }
    ~HandController() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    void reply(const std::vector<uint8_t>& bytes) {
        (void)!write(pty_.master, bytes.data(), bytes.size());
    }
    // One request frame: the status reply of generation 3 variant 5, a
    // write's three bytes; the echo probe and block reads go unanswered.
    void answer(const std::string& frame) {
        const uint8_t lead = 0x65;
        char hex[16];
        snprintf(hex, sizeof hex, "%02X %02X %02X %02X", uint8_t(frame[0]), uint8_t(frame[1]),
                 uint8_t(frame[2]), uint8_t(frame[3]));
        if (std::string(hex) == "65 01 01 67") return reply({lead, 0x01, 0x45, 0xAB});
        if (!isWriteFrame(hex)) return;
        if (++writes_ == held_ && !released_) {
            heldValue_ = uint8_t(frame[2]);
            return void(holding_ = true);
        }
        ++replies_;
        reply({lead, uint8_t(frame[2]), uint8_t(lead + uint8_t(frame[2]))});
    }
    void serve() {
        std::string seen;
        while (!stop_) {
            if (holding_ && released_) {
                holding_ = false;
                ++replies_;  // counted first: lpgctl may be gone once it has the reply
                reply({0x65, heldValue_, uint8_t(0x65 + heldValue_)});
            }
            pollfd p = {pty_.master, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0) continue;
            char buf[64];
            const ssize_t n = read(pty_.master, buf, sizeof buf);
            if (n > 0) seen.append(buf, size_t(n));
            while (!seen.empty() && seen[0] != '\x65' && seen[0] != '\x0B') seen.erase(0, 1);
            for (; seen.size() >= 4; seen.erase(0, 4)) answer(seen.substr(0, 4));
        }
    }
    HeldPty pty_;
    const int held_;
    std::thread thread_;
    std::atomic<int> writes_{0}, replies_{0};
    std::atomic<uint8_t> heldValue_{0};
    std::atomic<bool> released_{false}, holding_{false}, stop_{false};
};

std::string demoSave() {
    const std::string path = scratchPath("interrupted.zs2");
    EXPECT_EQ(runLpgctl({"--port", "demo", "save", path}).code, ExitOk);
    return path;
}

std::string interruptedLine(int done) {
    return "lpgctl: interrupted: the first " + std::to_string(done) +
           " of 32 values are in the controller; the next would have been " +
           settingsKeyWord(settingsFormatFor(3), 3 + done) + " (key " + std::to_string(done + 1) +
           ")\n";
}

// Ctrl+C or SIGTERM while a write waits for its reply: that write is
// finished, nothing after it is sent, and the line says how far it got.
TEST(LpgctlLoad, ASignalStopsTheLoadAfterTheWriteInFlight) {
    const std::string file = demoSave();
    for (const int sig : {SIGINT, SIGTERM}) {
        HandController controller(12);
        ASSERT_TRUE(controller.start());
        LpgctlSession load;
        ASSERT_TRUE(load.start({"--port", controller.port(), "load", file}));
        ASSERT_TRUE(controller.waitForHeldWrite()) << "write 12 never came";
        load.signal(sig);
        controller.release();
        const CliRun r = load.finish();
        EXPECT_EQ(r.code, ExitInterrupted) << sig << r.err;
        EXPECT_EQ(r.err, interruptedLine(12));
        EXPECT_EQ(lineCount(r.out), 12) << r.out;
        EXPECT_NE(r.out.find("12/32 "), std::string::npos) << r.out;
        EXPECT_EQ(controller.writes(), 12);
        EXPECT_EQ(controller.replies(), 12);
    }
    unlink(file.c_str());
}

// On a terminal the progress bar's line is ended before the message.
TEST(LpgctlLoad, AnInterruptedProgressBarEndsItsLine) {
    const std::string file = demoSave();
    HandController controller(20);
    ASSERT_TRUE(controller.start());
    LpgctlSession load;
    ASSERT_TRUE(load.start({"--port", controller.port(), "load", file},
                           LpgctlSession::ErrorOutput::Terminal));
    ASSERT_TRUE(controller.waitForHeldWrite());
    load.signal(SIGINT);
    controller.release();
    const CliRun r = load.finish();
    EXPECT_EQ(r.code, ExitInterrupted) << r.err;
    const size_t message = r.err.find("lpgctl: interrupted: the first 20 of 32");
    ASSERT_NE(message, std::string::npos) << r.err;
    // The terminal turns each line end into CR LF.
    const std::string bar = r.err.substr(0, message);
    EXPECT_EQ(bar.substr(bar.size() - 2), "\r\n") << bar;
    EXPECT_NE(bar.rfind("] 20/32 "), std::string::npos) << bar;
    EXPECT_EQ(lineCount(r.err), 2) << r.err;
    unlink(file.c_str());
}

// `lpgctl load FILE | head -1`: the reader goes after the first line; the
// next line can't be written, and the load stops as on Ctrl+C.
TEST(LpgctlLoad, AClosedOutputPipeStopsTheLoadInGoodOrder) {
    const std::string file = demoSave();
    HandController controller(2);
    ASSERT_TRUE(controller.start());
    LpgctlSession load;
    ASSERT_TRUE(load.start({"--port", controller.port(), "load", file}));
    ASSERT_TRUE(load.waitFor(" 1/32 ")) << "no first line";
    ASSERT_TRUE(controller.waitForHeldWrite());
    load.closeOutputReader();
    controller.release();
    const CliRun r = load.finish();
    EXPECT_EQ(r.code, ExitInterrupted) << r.err;
    EXPECT_EQ(r.err, interruptedLine(2));
    EXPECT_EQ(controller.writes(), 2);
    EXPECT_EQ(controller.replies(), 2);
    unlink(file.c_str());
}

TEST(LpgctlHelp, ProgramAndEveryCommandHaveHelp) {
    const CliRun all = runLpgctl({"--help"});
    EXPECT_EQ(all.code, ExitOk);
    for (int i = 0; i < cliCommandCount; ++i) {
        const std::string name = cliCommands[i].name;
        EXPECT_NE(all.out.find("  " + name + " "), std::string::npos) << name;
        const CliRun one = runLpgctl({name, "--help"});
        EXPECT_EQ(one.code, ExitOk) << name;
        EXPECT_EQ(one.out.rfind("usage: lpgctl [--port PORT] " + name, 0), 0u) << one.out;
    }
}

}  // namespace
