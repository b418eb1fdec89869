#include "tests/unit/cli_session.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long long nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

// A pty's master, its slave's descriptor in *slave; -1 on failure.
int openTerminal(int* slave) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    *slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    return *slave < 0 ? -1 : master;
}

}  // namespace

bool LpgctlSession::start(const std::vector<std::string>& args, ErrorOutput err) {
    int out[2], errPipe[2] = {-1, -1};
    if (pipe(out) != 0) return false;
    if (err == ErrorOutput::Terminal)
        errPipe[0] = openTerminal(&errPipe[1]);
    else if (pipe(errPipe) != 0)
        errPipe[0] = -1;
    if (errPipe[0] < 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(errPipe[1], 2);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        for (int fd : {out[0], out[1], errPipe[0], errPipe[1]}) close(fd);
        std::vector<char*> argv = {const_cast<char*>(LPGCTL_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(LPGCTL_PATH, argv.data());
        _exit(127);
    }
    close(out[1]);
    close(errPipe[1]);
    out_ = out[0];
    err_ = errPipe[0];
    return pid_ > 0;
}

// One poll of both outputs; false once both have ended (a pty's master
// reads EIO when the slave's last holder has gone).
bool LpgctlSession::readSome(int waitMs) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    std::string* sinks[2] = {&seen_.out, &seen_.err};
    int* ends[2] = {&out_, &err_};
    if (out_ < 0 && err_ < 0) return false;
    if (poll(fds, 2, waitMs) < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[4096];
        const ssize_t k = read(fds[i].fd, buf, sizeof buf);
        if (k > 0) {
            sinks[i]->append(buf, size_t(k));
        } else {
            close(*ends[i]);
            *ends[i] = -1;
        }
    }
    return true;
}

bool LpgctlSession::waitFor(const std::string& text, int deadlineMs) {
    for (const long long until = nowMs() + deadlineMs; nowMs() < until;) {
        if (seen_.out.find(text) != std::string::npos || seen_.err.find(text) != std::string::npos)
            return true;
        if (!readSome(20)) return false;
    }
    return false;
}

void LpgctlSession::signal(int sig) const {
    if (pid_ > 0) kill(pid_, sig);
}

void LpgctlSession::closeOutputReader() {
    if (out_ >= 0) close(out_);
    out_ = -1;
}

CliRun LpgctlSession::finish(int deadlineMs) {
    const long long until = nowMs() + deadlineMs;
    while ((out_ >= 0 || err_ >= 0) && nowMs() < until) readSome(20);
    const bool ended = out_ < 0 && err_ < 0;
    if (!ended) {
        kill(pid_, SIGKILL);
        seen_.err += "\n[lpgctl killed at the test's deadline]";
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (ended && WIFEXITED(status)) seen_.code = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        seen_.err += "\n[lpgctl died of signal " + std::to_string(WTERMSIG(status)) + "]";
    return seen_;
}

LpgctlSession::~LpgctlSession() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {out_, err_})
        if (fd >= 0) close(fd);
}
