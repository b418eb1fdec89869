// lpgctl serve as a process in front of lpgsim, reached over loopback TCP
// in raw mode (the RFC 2217 side is met by Python's client in scripts/test):
// reads pass, writes are refused and never reach the controller, a second
// client is told and closed, bad clients are survived, Ctrl+C ends it.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/unit/cli_process.h"

using Bytes = std::vector<uint8_t>;

namespace {

long long nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

const Bytes StatusRead = {0x65, 0x01, 0x01, 0x67};
const Bytes LiveRead = {0x65, 0x02, 0x02, 0x69};
const Bytes ExtendedRead = {0x65, 0x05, 0x05, 0x6F};
const Bytes OptionsWrite = {0x65, 0x06, 0x2A, 0x95};

// lpgctl serve running, its standard error read as it comes.
class ServeProcess {
public:
    bool start(const std::string& port, const std::vector<std::string>& extra) {
        int err[2];
        if (pipe(err) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(err[1], 2);
            const int devNull = open("/dev/null", O_RDWR);
            dup2(devNull, 0);
            dup2(devNull, 1);
            std::vector<std::string> args = {LPGCTL_PATH, "--port",   port,
                                             "serve",     "--listen", "127.0.0.1:0"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execv(LPGCTL_PATH, argv.data());
            _exit(127);
        }
        close(err[1]);
        err_ = err[0];
        fcntl(err_, F_SETFL, O_NONBLOCK);
        if (!waitFor("served on ") || !waitFor(")\n")) return false;
        // "PORT served on ADDR:N (...)": the address as lpgctl's ports take it.
        const size_t at = text_.find("served on ") + strlen("served on ");
        address_ = text_.substr(at, text_.find(" (", at) - at);
        tcpPort_ = atoi(address_.c_str() + address_.rfind(':') + 1);
        return tcpPort_ > 0;
    }
    // Waits until standard error holds text (count times); false at the deadline.
    bool waitFor(const std::string& text, int count = 1, int deadlineMs = 10000) {
        for (long long until = nowMs() + deadlineMs;;) {
            if (occurrences(text) >= count) return true;
            const long long left = until - nowMs();
            if (left <= 0) return false;
            pollfd p = {err_, POLLIN, 0};
            poll(&p, 1, int(left));
            char buf[4096];
            const ssize_t k = read(err_, buf, sizeof buf);
            if (k > 0) text_.append(buf, size_t(k));
        }
    }
    int occurrences(const std::string& text) const {
        int n = 0;
        for (size_t at = text_.find(text); at != std::string::npos; at = text_.find(text, at + 1))
            ++n;
        return n;
    }
    // Ctrl+C; the exit code, or -1 when it hadn't ended by the deadline.
    int interrupt(int deadlineMs = 10000) {
        kill(pid_, SIGINT);
        for (long long until = nowMs() + deadlineMs; nowMs() < until;) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                waitFor("stopped", 1, 1000);
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(5000);
        }
        return -1;
    }
    ~ServeProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (err_ >= 0) close(err_);
    }
    int tcpPort() const { return tcpPort_; }
    const std::string& address() const { return address_; }
    const std::string& text() const { return text_; }

private:
    pid_t pid_ = -1;
    int err_ = -1;
    int tcpPort_ = 0;
    std::string address_;
    std::string text_;
};

// A loopback TCP client with a deadline on every wait.
class Client {
public:
    explicit Client(int port, int receiveBuffer = 0) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        // A server that stops reading fails the send, never hangs the test.
        const timeval sendLimit = {5, 0};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
        if (receiveBuffer > 0)
            setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { close(); }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool connected() const { return connected_; }
    bool send(const Bytes& b) {
        return ::send(fd_, b.data(), b.size(), MSG_NOSIGNAL) == ssize_t(b.size());
    }
    // Reads until n bytes came, the peer closed, or the deadline.
    Bytes read(size_t n, int deadlineMs = 5000) {
        Bytes got;
        for (long long until = nowMs() + deadlineMs; got.size() < n && nowMs() < until;) {
            pollfd p = {fd_, POLLIN, 0};
            if (poll(&p, 1, int(until - nowMs())) <= 0) break;
            uint8_t buf[1024];
            const ssize_t k = recv(fd_, buf, std::min(sizeof buf, n - got.size()), 0);
            if (k <= 0) break;
            got.insert(got.end(), buf, buf + k);
        }
        return got;
    }
    // True when the server closes the connection within the deadline; what
    // came before goes to *text.
    bool closedByServer(std::string* text, int deadlineMs = 5000) {
        for (long long until = nowMs() + deadlineMs; nowMs() < until;) {
            pollfd p = {fd_, POLLIN, 0};
            if (poll(&p, 1, int(until - nowMs())) <= 0) return false;
            char buf[512];
            const ssize_t k = recv(fd_, buf, sizeof buf, 0);
            if (k <= 0) return true;
            text->append(buf, size_t(k));
        }
        return false;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

std::string hexOf(const Bytes& b) {
    std::string s;
    char part[4];
    for (uint8_t x : b) {
        snprintf(part, sizeof part, s.empty() ? "%02X" : " %02X", x);
        s += part;
    }
    return s;
}

int writeFramesIn(const LpgsimProcess& sim) {
    int writes = 0;
    for (const std::string& f : sim.received()) writes += isWriteFrame(f);
    return writes;
}

struct Bench {
    LpgsimProcess sim;
    ServeProcess serve;
    bool start(const std::vector<std::string>& simArgs, const std::vector<std::string>& serveArgs) {
        return sim.start(simArgs) && serve.start(sim.port(), serveArgs);
    }
};

}  // namespace

TEST(Serve, ReadsPassAndWritesAreRefusedUnsent) {
    Bench b;
    ASSERT_TRUE(b.start({"--gen", "1"}, {"--raw"})) << b.serve.text();
    Client c(b.serve.tcpPort());
    ASSERT_TRUE(c.connected());
    ASSERT_TRUE(c.send(StatusRead));
    const Bytes status = c.read(4);
    ASSERT_EQ(status.size(), 4u) << b.serve.text();
    EXPECT_EQ(status[0], 0x65);
    ASSERT_TRUE(c.send(LiveRead));
    EXPECT_EQ(c.read(11).size(), 11u);
    // Generation 1 takes a block 5 read as a write of its options.
    ASSERT_TRUE(c.send(OptionsWrite));
    ASSERT_TRUE(c.send(ExtendedRead));
    ASSERT_TRUE(c.send(StatusRead));
    EXPECT_EQ(c.read(4), status) << "the refused frames got no reply of their own";
    // One line a second; the next refusal within it is counted.
    EXPECT_TRUE(b.serve.waitFor("refused: write of 42 to wire address 6")) << b.serve.text();
    EXPECT_TRUE(b.serve.waitFor("1 more refused from 127.0.0.1:")) << b.serve.text();
    ASSERT_TRUE(b.sim.waitForReceived(hexOf(StatusRead), 2));
    EXPECT_EQ(writeFramesIn(b.sim), 0) << b.sim.logText();
    EXPECT_EQ(b.serve.interrupt(), 0);
}

TEST(Serve, WritesPassWhenAllowed) {
    Bench b;
    ASSERT_TRUE(b.start({"--gen", "3"}, {"--raw", "--allow-writes"})) << b.serve.text();
    Client c(b.serve.tcpPort());
    ASSERT_TRUE(c.send(StatusRead));
    ASSERT_EQ(c.read(4).size(), 4u);
    ASSERT_TRUE(c.send(OptionsWrite));
    const Bytes reply = c.read(3);
    ASSERT_EQ(reply.size(), 3u) << b.serve.text();
    EXPECT_EQ(reply[1], 0x2A);
    EXPECT_TRUE(b.sim.waitForReceived(hexOf(OptionsWrite), 1));
    EXPECT_EQ(b.serve.occurrences("refused"), 0) << b.serve.text();
}

TEST(Serve, ASecondClientIsToldAndClosed) {
    Bench b;
    ASSERT_TRUE(b.start({}, {"--raw"})) << b.serve.text();
    Client first(b.serve.tcpPort());
    ASSERT_TRUE(b.serve.waitFor(" connected"));
    Client second(b.serve.tcpPort());
    std::string told;
    ASSERT_TRUE(second.closedByServer(&told)) << "the second client was never closed";
    EXPECT_NE(told.find("busy: another client is connected"), std::string::npos) << told;
    EXPECT_EQ(told.find("127.0.0.1"), std::string::npos) << "the holder's address is its own";
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_TRUE(b.serve.waitFor("turned away")) << b.serve.text();
    // Many more: a line a second in the log, not one each.
    const long long since = nowMs();
    for (int i = 0; i < 20; ++i) {
        Client more(b.serve.tcpPort());
        std::string ignored;
        ASSERT_TRUE(more.closedByServer(&ignored)) << i;
    }
    b.serve.waitFor("no such line", 1, 200);  // reads in what serve has written by now
    EXPECT_LE(b.serve.occurrences("turned away: "), 2 + int((nowMs() - since) / 1000))
        << b.serve.text();
    ASSERT_TRUE(first.send(StatusRead));
    EXPECT_EQ(first.read(4).size(), 4u) << "the first client is served on";
}

TEST(Serve, SurvivesClientsThatVanishSendGarbageOrStopReading) {
    Bench b;
    ASSERT_TRUE(b.start({}, {"--raw"})) << b.serve.text();
    {
        Client garbage(b.serve.tcpPort());
        Bytes junk(3000);
        for (size_t i = 0; i < junk.size(); ++i) junk[i] = uint8_t(i * 37 + 11);
        ASSERT_TRUE(garbage.send(junk));
        ASSERT_TRUE(b.serve.waitFor("start no request frame dropped")) << b.serve.text();
    }  // and vanishes
    ASSERT_TRUE(b.serve.waitFor("disconnected")) << b.serve.text();
    {
        // Asks for far more than it reads, through a small window.
        Client stalled(b.serve.tcpPort(), 2048);
        Bytes flood;
        for (int i = 0; i < 20000; ++i) flood.insert(flood.end(), LiveRead.begin(), LiveRead.end());
        for (size_t at = 0; at < flood.size(); at += 4096)
            stalled.send(
                Bytes(flood.begin() + at, flood.begin() + std::min(flood.size(), at + 4096)));
        EXPECT_TRUE(b.serve.waitFor("let go: it stopped reading", 1, 30000)) << b.serve.text();
    }
    Client next(b.serve.tcpPort());
    ASSERT_TRUE(b.serve.waitFor(" connected", 3));
    ASSERT_TRUE(next.send(StatusRead));
    EXPECT_EQ(next.read(4).size(), 4u) << b.serve.text();
}

TEST(Serve, CtrlCEndsItAndFreesThePort) {
    Bench b;
    ASSERT_TRUE(b.start({}, {})) << b.serve.text();
    Client c(b.serve.tcpPort());
    ASSERT_TRUE(b.serve.waitFor(" connected"));
    EXPECT_EQ(b.serve.interrupt(), 0) << b.serve.text();
    EXPECT_NE(b.serve.text().find("let go: the server stops"), std::string::npos) << b.serve.text();
    std::string rest;
    EXPECT_TRUE(c.closedByServer(&rest));
    // The serial port is free again: another lpgctl takes it at once.
    EXPECT_EQ(runLpgctl({"--port", b.sim.port(), "status"}).code, 0);
}

namespace {

// A generation-1 controller on a pty of the test's own, answering in a
// thread: its ConfigA block starts like a generation-3 status (65 00 45 AA),
// and every frame but the four reads counts as a write (block 5 is the same
// bytes as a write of 5 to its options).
class ModelController {
public:
    bool start() {
        termios raw = {};
        cfmakeraw(&raw);
        char name[128];
        if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) return false;
        path_ = name;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~ModelController() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_);
    }
    const std::string& path() const { return path_; }
    int writes() const { return writes_; }
    int reads() const { return reads_; }

private:
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> writes_{0}, reads_{0};

    static Bytes withSum(Bytes b) {
        uint8_t sum = 0;
        for (size_t i = 0; i + 1 < b.size(); ++i) sum = uint8_t(sum + b[i]);
        b.back() = sum;
        return b;
    }
    Bytes replyTo(const Bytes& f) {
        const bool read = f[1] == f[2] && f[1] >= 1 && f[1] <= 4;
        reads_ += read;
        writes_ += !read;
        if (!read) return withSum({0x65, f[2], 0});
        if (f[1] == 1) return {0x65, 0x00, 0x05, 0x6A};
        if (f[1] == 3) return withSum({0x65, 0x00, 0x45, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        return withSum(Bytes(f[1] == 2 ? 11 : 16, 0x65));
    }
    void run() {
        Bytes frame;
        for (long long until = nowMs() + 120000; !stop_ && nowMs() < until;) {
            pollfd p = {master_, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0) continue;
            uint8_t b;
            if (read(master_, &b, 1) != 1) continue;
            if (frame.empty() && b != 0x65) continue;
            frame.push_back(b);
            if (frame.size() < 4) continue;
            const Bytes reply = replyTo(frame);
            frame.clear();
            if (write(master_, reply.data(), reply.size()) < 0) continue;
        }
    }
};

}  // namespace

// The attack on a read-only serve in front of a generation-1 controller: a
// client pipelines a ConfigA read and a status read in one segment, then
// reads block 5. On the relay of old, the status watch took the ConfigA
// reply's first bytes for the status and let block 5 through on the first try.
TEST(Serve, APipelinedStatusNeverLetsAWriteThroughToGeneration1) {
    ModelController controller;
    ASSERT_TRUE(controller.start());
    ServeProcess serve;
    ASSERT_TRUE(serve.start(controller.path(), {"--raw"})) << serve.text();
    const Bytes pipelined = {0x65, 0x03, 0x03, 0x6B, 0x65, 0x01, 0x01, 0x67};
    Client c(serve.tcpPort());
    int tries = 0;
    for (; tries < 20 && controller.writes() == 0; ++tries) {
        ASSERT_TRUE(c.send(pipelined));
        ASSERT_EQ(c.read(14 + 4).size(), 18u) << serve.text();
        ASSERT_TRUE(c.send(ExtendedRead));
        EXPECT_TRUE(c.read(21, 150).empty()) << "try " << tries;
    }
    ASSERT_TRUE(serve.waitFor("refused: read of block 5", 1)) << serve.text();
    EXPECT_EQ(controller.writes(), 0) << "a write got through on try " << tries;
    EXPECT_GE(controller.reads(), 1 + 2 * tries) << "serve's own status and the client's two";
}

TEST(Serve, ANewClientGetsNoneOfTheLastOnesReplies) {
    Bench b;
    ASSERT_TRUE(b.start({}, {"--raw"})) << b.serve.text();
    {
        Client greedy(b.serve.tcpPort());
        Bytes many;
        for (int i = 0; i < 1000; ++i) many.insert(many.end(), LiveRead.begin(), LiveRead.end());
        ASSERT_TRUE(greedy.send(many));
        ASSERT_EQ(greedy.read(11).size(), 11u) << b.serve.text();
    }  // and leaves with 999 reads asked
    ASSERT_TRUE(b.serve.waitFor("disconnected")) << b.serve.text();
    Client next(b.serve.tcpPort());
    ASSERT_TRUE(next.send(StatusRead));
    const Bytes status = next.read(64, 1500);
    ASSERT_EQ(status.size(), 4u) << hexOf(status);
    EXPECT_EQ(status[0], 0x65);
}

TEST(Serve, AnIdleClientIsLetGo) {
    Bench b;
    ASSERT_TRUE(b.start({}, {"--raw", "--idle", "1"})) << b.serve.text();
    Client c(b.serve.tcpPort());
    ASSERT_TRUE(c.send(StatusRead));
    ASSERT_EQ(c.read(4).size(), 4u);
    const long long since = nowMs();
    std::string rest;
    ASSERT_TRUE(c.closedByServer(&rest, 10000)) << b.serve.text();
    EXPECT_GE(nowMs() - since, 900);
    EXPECT_TRUE(b.serve.waitFor("let go: no request for 1 s")) << b.serve.text();
}

// The adapter pulled out under a connected client and put back: serve says
// so in its log, opens the port again, and answers the same client.
TEST(Serve, AnswersAgainAfterTheAdapterComesBack) {
    Bench b;
    ASSERT_TRUE(b.start({"--fault", "unplug:600"}, {"--raw"})) << b.serve.text();
    Client c(b.serve.tcpPort());
    for (int i = 0; i < 30 && !b.serve.waitFor("fails (unplugged?)", 1, 10); ++i) {
        ASSERT_TRUE(c.send(StatusRead));
        c.read(4, 400);
    }
    ASSERT_TRUE(b.serve.waitFor("fails (unplugged?)")) << b.serve.text();
    ASSERT_TRUE(c.send(StatusRead));
    EXPECT_TRUE(c.read(4, 1500).empty()) << "an answer while unplugged";
    b.sim.faultOff();
    const long long back = nowMs();
    Bytes status;
    while (status.size() < 4 && nowMs() - back < 8000) {
        ASSERT_TRUE(c.send(StatusRead)) << b.serve.text();
        status = c.read(4, 300);
    }
    ASSERT_EQ(status.size(), 4u) << b.serve.text();
    EXPECT_LT(nowMs() - back, 5000);
    EXPECT_TRUE(b.serve.waitFor("is back")) << b.serve.text();
    EXPECT_EQ(b.serve.occurrences("let go"), 0) << b.serve.text();
}

// An IPv4 loopback address written the IPv6 way is still this machine's:
// no warning, and the address printed is one lpgctl takes.
TEST(Serve, PrintsItsAddressAsLpgctlTakesIt) {
    Bench b;
    if (!b.start({}, {"--allow-writes", "--listen", "[::ffff:127.0.0.1]:0"})) {
        if (b.serve.text().find("can't listen") != std::string::npos)
            GTEST_SKIP() << "no IPv6 here: " << b.serve.text();
        FAIL() << b.serve.text();
    }
    EXPECT_EQ(b.serve.address(), "[::ffff:127.0.0.1]:" + std::to_string(b.serve.tcpPort()));
    EXPECT_EQ(b.serve.text().find("beyond this machine"), std::string::npos) << b.serve.text();
    const CliRun run = runLpgctl({"--port", "rfc2217://" + b.serve.address(), "status"});
    EXPECT_EQ(run.code, 0) << run.err;
}

namespace {

// Bytes read from fd until n came or the deadline; *lastMs is when the last came.
Bytes readTty(int fd, size_t n, int deadlineMs, long long* lastMs) {
    Bytes got;
    for (long long until = nowMs() + deadlineMs; got.size() < n && nowMs() < until;) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, int(until - nowMs())) <= 0) break;
        uint8_t buf[256];
        const ssize_t k = read(fd, buf, std::min(sizeof buf, n - got.size()));
        if (k <= 0) break;
        got.insert(got.end(), buf, buf + k);
        *lastMs = nowMs();
    }
    return got;
}

}  // namespace

// A USB adapter's latency timer: a short reply is held until the timer runs
// out; replies that fill the adapter's buffer go on at once, and only what
// is left over waits.
TEST(LpgsimLatency, HoldsRepliesUntilTheTimerOrAFullBuffer) {
    const int latencyMs = 1500;
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--latency", std::to_string(latencyMs)}));
    const int fd = open(sim.port().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    long long last = 0;
    long long sent = nowMs();
    ASSERT_EQ(write(fd, StatusRead.data(), 4), 4);
    EXPECT_EQ(readTty(fd, 4, 5000, &last).size(), 4u);
    EXPECT_GE(last - sent, latencyMs - 10) << "the status reply came before the timer ran out";

    Bytes six;
    for (int i = 0; i < 6; ++i) six.insert(six.end(), ExtendedRead.begin(), ExtendedRead.end());
    sent = nowMs();
    ASSERT_EQ(write(fd, six.data(), six.size()), ssize_t(six.size()));
    // 126 bytes: two full buffers of 62 at once, 2 bytes left to the timer.
    EXPECT_EQ(readTty(fd, 124, 5000, &last).size(), 124u);
    EXPECT_LT(last - sent, latencyMs - 300) << "full buffers waited for the timer";
    EXPECT_EQ(readTty(fd, 2, 5000, &last).size(), 2u);
    EXPECT_GE(last - sent, latencyMs - 10);
    close(fd);
}
