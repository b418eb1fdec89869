#include "tests/unit/cli_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long long nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

std::string testDir() {
    char self[512];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return ".";
    self[n] = 0;
    std::string dir(self);
    return dir.substr(0, dir.rfind('/'));
}

struct Identity {
    bool change;
    uid_t user;
    gid_t group;
    long dataLimitKiB;  // > 0: the most heap it may take, so a runaway fails at once
};

pid_t spawn(const std::string& program, const std::vector<std::string>& args, int outFd, int errFd,
            Identity as = {false, 0, 0, 0}) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (as.dataLimitKiB > 0) {
        const rlimit limit = {rlim_t(as.dataLimitKiB) * 1024, rlim_t(as.dataLimitKiB) * 1024};
        setrlimit(RLIMIT_DATA, &limit);
    }
    if (as.change && (setgroups(0, nullptr) != 0 || setgid(as.group) != 0 || setuid(as.user) != 0))
        _exit(126);
    if (outFd >= 0) dup2(outFd, 1);
    if (errFd >= 0) dup2(errFd, 2);
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// The peak resident memory of a running process so far (VmHWM), in KiB; 0
// once it has gone.
long peakResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return atol(line.c_str() + 6);
    return 0;
}

// Reads both pipes until they close or the deadline passes, looking at the
// process's peak memory every few ms meanwhile (it only ever grows).
bool drain(int outFd, int errFd, CliRun* run, pid_t pid, long long deadline) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&run->out, &run->err};
    int open = 2;
    while (open > 0) {
        const long peak = peakResidentKiB(pid);
        if (peak > run->peakKiB) run->peakKiB = peak;
        const long long left = deadline - nowMs();
        if (left <= 0) return false;
        if (poll(fds, 2, static_cast<int>(left < 10 ? left : 10)) < 0 && errno != EINTR)
            return false;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t k = read(fds[i].fd, buf, sizeof buf);
            if (k > 0) {
                sinks[i]->append(buf, static_cast<size_t>(k));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

}  // namespace

static CliRun runProgram(const std::vector<std::string>& args, int deadlineMs, Identity as) {
    CliRun run;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return run;
    const long long start = nowMs();
    const pid_t pid = spawn(LPGCTL_PATH, args, out[1], err[1], as);
    close(out[1]);
    close(err[1]);
    const bool done = drain(out[0], err[0], &run, pid, start + deadlineMs);
    close(out[0]);
    close(err[0]);
    if (!done) {
        kill(pid, SIGKILL);
        run.err += "\n[lpgctl killed at the test's deadline]";
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.elapsedMs = long(nowMs() - start);
    if (done && WIFEXITED(status)) run.code = WEXITSTATUS(status);
    return run;
}

CliRun runLpgctl(const std::vector<std::string>& args, int deadlineMs, long dataLimitKiB) {
    return runProgram(args, deadlineMs, {false, 0, 0, dataLimitKiB});
}

CliRun runLpgctlAs(uid_t user, gid_t group, const std::vector<std::string>& args) {
    return runProgram(args, 20000, {true, user, group, 0});
}

bool LpgsimProcess::start(const std::vector<std::string>& extra) {
    static int count = 0;
    const std::string stem =
        "lpgsim_cli." + std::to_string(getpid()) + "." + std::to_string(++count);
    link_ = testDir() + "/" + stem + ".pty";
    log_ = testDir() + "/" + stem + ".log";
    unlink(link_.c_str());
    unlink(log_.c_str());
    std::vector<std::string> args = {"--link", link_, "--log", log_};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = spawn(LPGSIM_PATH, args, -1, -1);
    for (long long until = nowMs() + 5000; nowMs() < until;) {
        struct stat st;
        if (lstat(link_.c_str(), &st) == 0) return true;
        usleep(2000);
    }
    return false;
}

void LpgsimProcess::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    unlink(link_.c_str());
    unlink(log_.c_str());
}

void LpgsimProcess::faultOff() const {
    if (pid_ > 0) kill(pid_, SIGUSR1);
}

std::string LpgsimProcess::logText() const {
    std::ifstream in(log_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> LpgsimProcess::received() const {
    std::vector<std::string> frames;
    std::istringstream in(logText());
    std::string line;
    while (std::getline(in, line)) {
        const size_t mark = line.find(" > ");
        if (mark != std::string::npos && line[0] != '#') frames.push_back(line.substr(mark + 3));
    }
    return frames;
}

bool LpgsimProcess::waitForReceived(const std::string& frame, int count) const {
    for (long long until = nowMs() + 5000; nowMs() < until;) {
        int seen = 0;
        for (const std::string& f : received()) seen += f == frame;
        if (seen >= count) return true;
        usleep(2000);
    }
    return false;
}

bool isWriteFrame(const std::string& hexBytes) {
    static const char* const Reads[] = {"65 01 01 67", "65 02 02 69", "65 03 03 6B",
                                        "65 04 04 6D", "65 05 05 6F", "0B 01 01 0D"};
    for (const char* r : Reads)
        if (hexBytes == r) return false;
    return true;
}

std::string scratchPath(const std::string& name) {
    return testDir() + "/cli_scratch." + std::to_string(getpid()) + "." + name;
}
