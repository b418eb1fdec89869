// lpgctl log and record, the real program against lpgsim on a pty: a row a
// tick with plausible values through a link drop and back, through an
// adapter pulled out and put back, and a recording that answers in the
// controller's place.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <atomic>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/errors.h"
#include "cli/drive_status.h"
#include "shell/road_log.h"
#include "tests/unit/cli_process.h"
#include "tests/unit/cli_session.h"
#include "tests/unit/test_files.h"

namespace {

std::vector<std::vector<std::string>> csvRecords(const std::string& path) {
    std::vector<std::vector<std::string>> records;
    EXPECT_TRUE(csvParse(readFileBytes(path), &records));
    return records;
}

const int Ms = 1, Rpm = 2, Temp = 7, LinkUp = 12;

// The link_up column as one letter a stretch: "UDU" for up, down, up.
std::string linkStretches(const std::vector<std::vector<std::string>>& r) {
    std::string states;
    for (size_t i = 1; i < r.size(); ++i) {
        const char state = r[i].size() > LinkUp && r[i][LinkUp] == "1" ? 'U' : 'D';
        if (states.empty() || states.back() != state) states += state;
    }
    return states;
}

std::string linkTarget(const std::string& path) {
    char target[256];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, size_t(n)) : std::string();
}

long long monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

// Waits until the path exists (or, with gone, no longer exists).
bool waitForPath(const std::string& path, bool gone) {
    for (long long until = monotonicMs() + 5000; monotonicMs() < until; usleep(5000)) {
        struct stat st;
        if ((lstat(path.c_str(), &st) != 0) == gone) return true;
    }
    return false;
}

}  // namespace

TEST(LpgctlRoad, LogKeepsARowATickThroughALinkDropAndBack) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--fault", "drop:60"}));
    const std::string csv = scratchPath("road.csv");
    // Once the log shows the controller silent, it answers again.
    std::atomic<bool> logDone{false}, sawDown{false};
    std::thread watcher([&] {
        while (!logDone && !sawDown) {
            if (readFileBytes(csv).find(",0\r\n") != std::string::npos) {
                sawDown = true;
                sim.faultOff();
            }
            usleep(10000);
        }
    });
    const CliRun run = runLpgctl({"--port", sim.port(), "log", "--seconds", "5", "--out", csv});
    logDone = true;
    watcher.join();
    ASSERT_EQ(run.code, ExitOk) << run.err;
    ASSERT_TRUE(sawDown) << readFileBytes(csv);
    // Not on a terminal: no status line, the drop and the return as lines.
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
    const size_t down = run.err.find("link down at "), up = run.err.find("\nlink up again at ");
    EXPECT_NE(down, std::string::npos) << run.err;
    EXPECT_NE(up, std::string::npos) << run.err;
    EXPECT_LT(down, up) << run.err;

    const auto r = csvRecords(csv);
    ASSERT_GT(r.size(), 20u);
    EXPECT_EQ(r[0][LinkUp], "link_up");
    for (size_t i = 1; i < r.size(); ++i) {
        ASSERT_EQ(r[i].size(), 13u) << "row " << i;
        if (r[i][LinkUp] == "1") {
            const int rpm = std::stoi(r[i][Rpm]), t = std::stoi(r[i][Temp]);
            EXPECT_TRUE(rpm >= 0 && rpm <= 8000 && t >= -40 && t <= 130) << "row " << i;
        } else {
            EXPECT_EQ(r[i][Rpm], "") << "row " << i;
        }
        if (i > 1) {
            EXPECT_GT(std::stol(r[i][Ms]), std::stol(r[i - 1][Ms])) << "row " << i;
        }
    }
    EXPECT_EQ(linkStretches(r), "UDU");
    // The rows a tick: one status request for each.
    int statusRequests = 0;
    for (const std::string& f : sim.received()) statusRequests += f == "65 01 01 67";
    EXPECT_EQ(statusRequests, int(r.size()) - 1);
    unlink(csv.c_str());
}

TEST(LpgctlRoad, LogFollowsTheAdapterOutAndBackIn) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--fault", "unplug:2"}));
    const std::string before = linkTarget(sim.port());
    const std::string csv = scratchPath("unplug.csv");
    // Out after a few ticks, 2 s away, then found again within the link's
    // reopening round of three slow polls.
    const CliRun run =
        runLpgctl({"--port", sim.port(), "log", "--seconds", "9", "--out", csv}, 40000);
    ASSERT_EQ(run.code, ExitOk) << run.err;
    const auto r = csvRecords(csv);
    ASSERT_GT(r.size(), 20u);
    EXPECT_EQ(linkStretches(r), "UDU") << readFileBytes(csv);
    for (size_t i = 1; i < r.size(); ++i) {
        if (r[i][LinkUp] == "0") {
            EXPECT_EQ(r[i][Rpm], "") << "row " << i;
        }
    }

    // The same controller answered on a new pty, which the link followed.
    EXPECT_NE(linkTarget(sim.port()), before);
    const std::string log = sim.logText();
    const size_t out = log.find(" unplugged\n"), in = log.find(" plugged in\n");
    ASSERT_NE(out, std::string::npos) << log;
    ASSERT_NE(in, std::string::npos) << log;
    EXPECT_LT(out, in);
    EXPECT_NE(log.find(" < 65", in), std::string::npos) << "no reply after the plug-in";
    unlink(csv.c_str());
}

TEST(LpgctlRoad, FaultOffPutsAnUnpluggedAdapterBackAtOnce) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--fault", "unplug:600"}));
    const CliRun first = runLpgctl({"--port", sim.port(), "log", "--seconds", "1"});
    ASSERT_EQ(first.code, ExitOk) << first.err;
    ASSERT_TRUE(waitForPath(sim.port(), true)) << "the link stayed while unplugged";
    EXPECT_EQ(runLpgctl({"--port", sim.port(), "status"}).code, ExitNoSuchPort);

    sim.faultOff();
    ASSERT_TRUE(waitForPath(sim.port(), false)) << "the link did not come back";
    const CliRun back = runLpgctl({"--port", sim.port(), "status"});
    EXPECT_EQ(back.code, ExitOk) << back.err;
    const std::string log = sim.logText();
    const size_t in = log.find(" plugged in\n"), cleared = log.find(" fault cleared\n");
    ASSERT_NE(in, std::string::npos) << log;
    EXPECT_LT(in, cleared);
}

TEST(LpgctlRoad, ARecordingAnswersDumpInTheControllersPlace) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--gen", "3", "--variant", "7"}));
    const std::string rec = scratchPath("drive.rec");
    const CliRun record = runLpgctl({"--port", sim.port(), "record", rec, "--seconds", "1"});
    ASSERT_EQ(record.code, ExitOk) << record.err;
    const CliRun live = runLpgctl({"--port", sim.port(), "dump", "--json"});
    ASSERT_EQ(live.code, ExitOk) << live.err;
    sim.stop();

    // The controller is gone; the recording stands in for it. The live
    // block moved on meanwhile, the settings and service data did not.
    const CliRun replayed = runLpgctl({"--port", "replay:" + rec, "dump", "--json"});
    ASSERT_EQ(replayed.code, ExitOk) << replayed.err;
    for (const char* field : {"\"version\": \"3.07\"", "\"switch_over_speed_rpm\": 2000,",
                              "\"registration\": \"SIM 001\""}) {
        EXPECT_NE(live.out.find(field), std::string::npos) << field << "\n" << live.out;
        EXPECT_NE(replayed.out.find(field), std::string::npos) << field << "\n" << replayed.out;
    }
    // Nothing can be changed on a recorded drive.
    const std::string saved = scratchPath("replayed.zs2");
    ASSERT_EQ(runLpgctl({"--port", "replay:" + rec, "save", saved}).code, ExitOk);
    const CliRun load = runLpgctl({"--port", "replay:" + rec, "load", saved});
    EXPECT_EQ(load.code, ExitWriteFailed);
    EXPECT_NE(load.err.find("recorded drive"), std::string::npos) << load.err;
    unlink(saved.c_str());
    unlink(rec.c_str());
}

TEST(LpgctlRoad, WrongUseAndBrokenLogsAreOneLineWithTheirCode) {
    const std::string broken = scratchPath("broken.csv");
    writeFileBytes(broken, "time,ms\r\n1,2\r\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"--port", "demo", "log", "--o", "x.csv"},
         ExitUsage,
         "unknown option --o (lpgctl log --help"},
        {{"--port", "demo", "log", "--seconds", "1x"}, ExitUsage, "whole number of seconds"},
        {{"--port", "demo", "log", "--seconds"}, ExitUsage, "--seconds needs a value"},
        {{"plot", "a.csv", "b.csv", "--out", "x.png"}, ExitUsage, "one file only, not b.csv"},
        {{"plot", broken}, ExitUsage, "plot needs LOG.csv and --out FILE.png"},
        {{"plot", broken, "--out", "x.png"}, ExitBadFile, "no column \"engine_speed_rpm\""},
        {{"--port", "demo", "record"}, ExitUsage, "record needs the file"},
        {{"--port", "replay:/nonexistent.rec", "log"}, ExitBadFile, "/nonexistent.rec: "},
        // Neither waits on a device that streams without end.
        {{"--port", "replay:/dev/zero", "log"}, ExitBadFile, "/dev/zero: not a regular file"},
        {{"plot", "/dev/zero", "--out", "x.png"}, ExitBadFile, "/dev/zero: not a regular file"},
    };
    for (const Case& c : cases) {
        const CliRun r = runLpgctl(c.args);
        EXPECT_EQ(r.code, c.code) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    unlink(broken.c_str());
}

// A drive in which no controller ever answered is written all the same,
// but ends with a warning and its own exit code: a silent controller for
// log, one that falls silent once record has read it.
TEST(LpgctlRoad, ADriveWithoutAnAnswerWarns) {
    struct Case {
        const char* fault;
        const char* command;
        const char* says;
    } cases[] = {
        {"silent", "log", "every row says link_up 0"},
        {"drop:6", "record", "the recording holds only unanswered requests"},
    };
    for (const Case& c : cases) {
        LpgsimProcess sim;
        ASSERT_TRUE(sim.start({"--fault", c.fault}));
        const std::string file = scratchPath("never.out");
        std::vector<std::string> args = {"--port", sim.port(), c.command};
        if (std::string(c.command) == "log") args.push_back("--out");
        args.insert(args.end(), {file, "--seconds", "2"});
        const CliRun r = runLpgctl(args);
        EXPECT_EQ(r.code, ExitLinkNeverUp) << c.command << "\n" << r.err;
        EXPECT_NE(r.err.find("lpgctl: warning: no controller answered on " + sim.port() +
                             " during the whole drive; " + c.says + "\n"),
                  std::string::npos)
            << r.err;
        // The rows (or frames) were still written.
        const std::string text = readFileBytes(file);
        EXPECT_GT(std::count(text.begin(), text.end(), '\n'), 2) << text;
        unlink(file.c_str());
    }
}

// A path that can't be written is refused, with its reason, before the
// port is opened: the controller never hears a frame.
TEST(LpgctlRoad, OutputPathsAreCheckedBeforeTheDrive) {
    const std::string folder = makeScratchDir("lpgctl_out");
    ASSERT_FALSE(folder.empty());
    const std::string missing = folder + "/nodir/x";
    const std::vector<std::vector<std::string>> cases = {
        {"log", "--seconds", "3", "--plot", missing + ".png"},
        {"log", "--seconds", "3", "--out", missing + ".csv"},
        {"log", "--seconds", "3", "--out", folder},
        {"record", missing + ".rec", "--seconds", "3"},
    };
    for (const auto& c : cases) {
        LpgsimProcess sim;
        ASSERT_TRUE(sim.start());
        std::vector<std::string> args = {"--port", sim.port()};
        args.insert(args.end(), c.begin(), c.end());
        const CliRun r = runLpgctl(args);
        EXPECT_EQ(r.code, ExitOutputFailed) << c.back() << "\n" << r.err;
        const bool isFolder = c.back() == folder;
        EXPECT_NE(r.err.find(isFolder ? "a folder, not a file" : "no such folder"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        // Every run that polls starts with the echo probe: only the status
        // run's may be there.
        EXPECT_EQ(runLpgctl({"--port", sim.port(), "status"}).code, ExitOk);
        ASSERT_TRUE(sim.waitForReceived("65 01 01 67", 1));
        const auto frames = sim.received();
        EXPECT_EQ(std::count(frames.begin(), frames.end(), "0B 01 01 0D"), 1) << sim.logText();
    }
    removeScratchDir(folder);
}

// On a terminal a recording shows where it goes, for how long, how many
// frames and the link, on one line redrawn in place, then a summary.
TEST(LpgctlRoad, ARecordingOnATerminalShowsItsStatusLine) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start());
    const std::string rec = scratchPath("status.rec");
    LpgctlSession record;
    ASSERT_TRUE(
        record.start({"--port", sim.port(), "record", rec}, LpgctlSession::ErrorOutput::Terminal));
    const std::string line = "\rrecording to " + rec + ", Ctrl+C to stop  0:01  ";
    ASSERT_TRUE(record.waitFor(line)) << "no status line after a second";
    record.signal(SIGINT);
    const CliRun r = record.finish();
    EXPECT_EQ(r.code, ExitOk) << r.err;
    EXPECT_NE(r.err.find(" frames  link up"), std::string::npos) << r.err;
    const size_t summary = r.err.find("\r\nrecorded ");
    ASSERT_NE(summary, std::string::npos) << r.err;
    const size_t in = r.err.find(" frames in 0:", summary);
    ASSERT_NE(in, std::string::npos) << r.err;
    const int seconds = atoi(r.err.c_str() + in + 13);
    EXPECT_GE(seconds, 1) << r.err;
    EXPECT_EQ(r.err.substr(in + 15), " to " + rec + "\r\n") << r.err;
    // A few redraws a second, not one a tick (20 a second).
    const long redraws =
        std::count(r.err.begin(), r.err.end(), '\r') - std::count(r.err.begin(), r.err.end(), '\n');
    EXPECT_LE(redraws, (seconds + 1) * (1000 / DriveStatus::RedrawMs) + 2) << r.err;
    unlink(rec.c_str());
}
