// lpgctl log and record, the real program against lpgsim on a pty: a row a
// tick with plausible values through a link drop and back, and a recording
// that plays back what the controller said.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/road_log.h"

namespace {

uint32_t nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void napMs(int ms) {
    timespec ts = {0, long(ms) * 1000000L};
    nanosleep(&ts, nullptr);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& stdoutPath = "/dev/null") {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (!freopen(stdoutPath.c_str(), "w", stdout)) _exit(126);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// The exit code, or -1 when the process is still running at the deadline
// (it is then killed).
int awaitExit(pid_t pid, uint32_t deadlineMs) {
    const uint32_t until = nowMs() + deadlineMs;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (int32_t(until - nowMs()) <= 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        napMs(10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

bool awaitText(const std::string& path, const std::string& text, uint32_t deadlineMs) {
    const uint32_t until = nowMs() + deadlineMs;
    while (fileText(path).find(text) == std::string::npos) {
        if (int32_t(until - nowMs()) <= 0) return false;
        napMs(10);
    }
    return true;
}

// lpgsim on a pty of its own, for one test.
class LpgctlRoad : public ::testing::Test {
protected:
    std::string dir, link;
    pid_t sim = -1;

    void SetUp() override {
        char tmpl[] = "/tmp/lpgctl-road-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        link = dir + "/pty";
    }
    void TearDown() override {
        if (sim > 0) {
            kill(sim, SIGTERM);
            awaitExit(sim, 3000);
        }
        std::system(("rm -rf " + dir).c_str());
    }
    void startSim(const std::vector<std::string>& flags) {
        std::vector<std::string> argv = {LPGSIM_PATH, "--link", link};
        argv.insert(argv.end(), flags.begin(), flags.end());
        sim = spawn(argv);
        const uint32_t until = nowMs() + 3000;
        struct stat st;
        while (lstat(link.c_str(), &st) != 0 && int32_t(until - nowMs()) > 0) napMs(5);
        ASSERT_EQ(lstat(link.c_str(), &st), 0) << "lpgsim made no pty";
    }
    std::vector<std::vector<std::string>> rows(const std::string& csv) {
        std::vector<std::vector<std::string>> records;
        EXPECT_TRUE(csvParse(fileText(csv), &records));
        return records;
    }
};

const int Ms = 1, Rpm = 2, Temp = 7, LinkUp = 12;

}  // namespace

TEST_F(LpgctlRoad, LogKeepsARowATickThroughALinkDropAndBack) {
    startSim({"--fault", "drop:60"});
    const std::string csv = dir + "/road.csv";
    const pid_t log = spawn({LPGCTL_PATH, "--port", link, "log", "--seconds", "5", "--out", csv});
    // The controller falls silent after 60 frames; once the log says so,
    // it answers again.
    ASSERT_TRUE(awaitText(csv, ",0\r\n", 5000)) << fileText(csv);
    kill(sim, SIGUSR1);
    ASSERT_EQ(awaitExit(log, 15000), 0);

    const auto r = rows(csv);
    ASSERT_GT(r.size(), 20u);
    EXPECT_EQ(r[0][LinkUp], "link_up");
    // Up, then down, then up again, each row complete.
    std::string states;
    for (size_t i = 1; i < r.size(); ++i) {
        ASSERT_EQ(r[i].size(), 13u) << "row " << i;
        const char state = r[i][LinkUp] == "1" ? 'U' : 'D';
        if (states.empty() || states.back() != state) states += state;
        if (state == 'U') {
            const int rpm = std::stoi(r[i][Rpm]), t = std::stoi(r[i][Temp]);
            EXPECT_TRUE(rpm >= 0 && rpm <= 8000 && t >= -40 && t <= 130) << "row " << i;
        } else {
            EXPECT_EQ(r[i][Rpm], "") << "row " << i;
        }
        if (i > 1) {
            EXPECT_GT(std::stol(r[i][Ms]), std::stol(r[i - 1][Ms])) << "row " << i;
        }
    }
    EXPECT_EQ(states, "UDU");
}

TEST_F(LpgctlRoad, RecordingReplaysTheControllersReplies) {
    startSim({"--gen", "1", "--variant", "7"});
    const std::string rec = dir + "/drive.rec";
    ASSERT_EQ(
        awaitExit(spawn({LPGCTL_PATH, "--port", link, "record", rec, "--seconds", "1"}), 10000), 0);
    const std::string text = fileText(rec);
    EXPECT_NE(text.find(" > 65 02 02 69\n"), std::string::npos) << text;
    kill(sim, SIGTERM);
    awaitExit(sim, 3000);
    sim = -1;

    // The controller is gone; the recording answers in its place.
    const std::string out = dir + "/status.txt";
    ASSERT_EQ(awaitExit(spawn({LPGCTL_PATH, "--port", "replay:" + rec, "status"}, out), 10000), 0);
    EXPECT_NE(fileText(out).find("1.07"), std::string::npos) << fileText(out);
    const std::string csv = dir + "/replayed.csv";
    ASSERT_EQ(awaitExit(spawn({LPGCTL_PATH, "--port", "replay:" + rec, "log", "--seconds", "1",
                               "--out", csv}),
                        10000),
              0);
    const auto r = rows(csv);
    ASSERT_GT(r.size(), 10u);
    EXPECT_EQ(r[5][LinkUp], "1");
}
