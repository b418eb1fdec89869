// The network client against hostile servers of the test's own on
// 127.0.0.1: servers that never stop sending (Telnet commands, option
// toggles, noise, a frame's worth of bytes over and over), one that never
// reads, one that says something and closes, one that resets. lpgctl must end
// within its own deadline with its documented exit code, in little memory;
// the network port must give up a server that reads nothing. Each server
// stops by itself when the client has gone, or at its own deadline.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/errors.h"
#include "link/net_connect.h"
#include "link/net_socket.h"
#include "link/port_net.h"
#include "link/telnet.h"
#include "sim/sim.h"
#include "tests/unit/cli_process.h"
#include "tests/unit/cli_session.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// How long a hostile server goes on at most, whatever the client does.
const int ServerLifeMs = 30000;

// A listening socket on address (127.0.0.1 or ::1) and port (0: a free one);
// receiveBuffer > 0 keeps what it takes in unread small.
int listenAt(const char* address, unsigned port, int receiveBuffer = 0) {
    const bool v6 = strchr(address, ':') != nullptr;
    const int fd = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_storage a = {};
    socklen_t n = 0;
    if (v6) {
        sockaddr_in6* a6 = reinterpret_cast<sockaddr_in6*>(&a);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(uint16_t(port));
        inet_pton(AF_INET6, address, &a6->sin6_addr);
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
        n = sizeof *a6;
    } else {
        sockaddr_in* a4 = reinterpret_cast<sockaddr_in*>(&a);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(uint16_t(port));
        inet_pton(AF_INET, address, &a4->sin_addr);
        n = sizeof *a4;
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), n) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

unsigned portOf(int fd) {
    sockaddr_storage a = {};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    return a.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&a)->sin6_port)
                                   : ntohs(reinterpret_cast<sockaddr_in*>(&a)->sin_port);
}

enum class Behaviour {
    TelnetNops,     // IAC NOP without end
    OptionToggles,  // DO/DONT and WILL/WONT of options, flipped without end
    Noise,          // bytes of a fixed pseudo-random sequence without end
    FrameBytes,     // 65 01 45 over and over
    DeafToggles,    // option toggles without end, and never a byte read
    TextThenClose,  // one line of text, then an orderly close
    Reset,          // a reset as soon as the client is there
};

Bytes patternOf(Behaviour b) {
    using namespace telnet;
    switch (b) {
    case Behaviour::TelnetNops: return {IAC, NOP};
    case Behaviour::OptionToggles:
    case Behaviour::DeafToggles:
        return {IAC, DO, OptBinary, IAC, DONT, OptBinary, IAC, DO, 99, IAC, WILL, 7, IAC, WONT, 7};
    case Behaviour::FrameBytes: return {0x65, 0x01, 0x45};
    case Behaviour::Noise: {
        Bytes noise(4096);
        uint32_t x = 12345;
        for (uint8_t& b : noise) b = uint8_t((x = x * 1103515245u + 12345u) >> 16);
        return noise;
    }
    case Behaviour::TextThenClose:
    case Behaviour::Reset: break;
    }
    return {};
}

// One hostile server: every client gets the behaviour, one after another,
// until the server is destroyed or its life is over.
class HostileServer {
public:
    explicit HostileServer(Behaviour b)
        : behaviour(b),
          pattern(patternOf(b)),
          listener(listenAt("127.0.0.1", 0, b == Behaviour::DeafToggles ? 4096 : 0)) {
        if (listener >= 0) thread = std::thread([this] { run(); });
    }
    ~HostileServer() {
        stop = true;
        if (thread.joinable()) thread.join();
        if (listener >= 0) close(listener);
    }
    unsigned port() const { return portOf(listener); }

private:
    Behaviour behaviour;
    Bytes pattern;
    int listener;
    std::atomic<bool> stop{false};
    std::thread thread;

    void run() {
        const uint32_t end = netsock::nowMs() + ServerLifeMs;
        while (!stop && int32_t(end - netsock::nowMs()) > 0) {
            pollfd p = {listener, POLLIN, 0};
            if (poll(&p, 1, 50) != 1) continue;
            const int c = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (c >= 0) serve(c, end);
        }
    }

    void serve(int c, uint32_t end) {
        if (behaviour == Behaviour::TextThenClose) {
            const std::string text = "Port's device already in use\r\n";
            send(c, text.data(), text.size(), MSG_NOSIGNAL);
            close(c);
            return;
        }
        if (behaviour == Behaviour::Reset) {
            const linger now = {1, 0};
            setsockopt(c, SOL_SOCKET, SO_LINGER, &now, sizeof now);
            close(c);
            return;
        }
        // The pattern as fast as the client takes it, until it has gone.
        Bytes burst;
        while (burst.size() < 16384) burst.insert(burst.end(), pattern.begin(), pattern.end());
        uint8_t sink[4096];
        while (!stop && int32_t(end - netsock::nowMs()) > 0) {
            ssize_t k = 1;
            while (behaviour != Behaviour::DeafToggles && (k = recv(c, sink, sizeof sink, 0)) > 0) {
            }
            if (k == 0 || (k < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) break;
            const ssize_t sent = send(c, burst.data(), burst.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
            if (sent <= 0) {
                pollfd p = {c, short(POLLOUT | POLLIN), 0};
                poll(&p, 1, 20);
                // A deaf server still sees its client go.
                char probe;
                if (behaviour == Behaviour::DeafToggles &&
                    recv(c, &probe, 1, MSG_PEEK | MSG_DONTWAIT) == 0)
                    break;
            }
        }
        close(c);
    }
};

std::string urlOf(const char* scheme, unsigned port) {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port);
}

// lpgctl's own deadline for a command against a network port: the connect's
// 3 s, then its status tries, each a few serial time-outs.
const long CommandDeadlineMs = 8000;
// What lpgctl may hold resident at most against any of them, as seen while
// it runs; and the heap it is given, so that a runaway fails at once even
// when it is too quick to be seen (threads' stacks count as heap).
const long MemoryLimitKiB = 16 * 1024;
const long HeapLimitKiB = 64 * 1024;

}  // namespace

TEST(HostileServer, StatusEndsInTimeWithItsExitCodeInLittleMemory) {
    struct Case {
        const char* name;
        Behaviour behaviour;
        const char* scheme;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {"endless IAC NOP", Behaviour::TelnetNops, "rfc2217", ExitNoController, "no controller"},
        {"option toggles", Behaviour::OptionToggles, "rfc2217", ExitNoController, ""},
        {"noise, Telnet", Behaviour::Noise, "rfc2217", ExitNoController, "checksum"},
        {"noise, raw", Behaviour::Noise, "socket", ExitNoController, "checksum"},
        {"65 01 45 without end", Behaviour::FrameBytes, "socket", ExitNoController, "checksum"},
        {"never reads", Behaviour::DeafToggles, "rfc2217", -1, ""},
        {"text, then close", Behaviour::TextThenClose, "rfc2217", ExitNetwork,
         "the server says: \"Port's device already in use\" and closed the connection"},
        {"reset", Behaviour::Reset, "socket", ExitNetwork, "reset"},
    };
    for (const Case& c : cases) {
        HostileServer server(c.behaviour);
        const std::string url = urlOf(c.scheme, server.port());
        const CliRun r = runLpgctl({"--port", url, "status"}, 20000, HeapLimitKiB);
        // A server that reads nothing is given up, or answers no status.
        if (c.code < 0)
            EXPECT_TRUE(r.code == ExitNetwork || r.code == ExitNoController) << c.name << r.err;
        else
            EXPECT_EQ(r.code, c.code) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.name << ": " << r.err;
        EXPECT_LT(r.elapsedMs, CommandDeadlineMs) << c.name;
        EXPECT_LT(r.peakKiB, MemoryLimitKiB) << c.name;
        RecordProperty(std::string(c.name) + " ms, KiB",
                       std::to_string(r.elapsedMs) + ", " + std::to_string(r.peakKiB));
    }
}

// A log of a few seconds against a server that never stops sending ends on
// time; Ctrl+C ends one without --seconds within a second, as an
// interruption (no controller ever answered).
TEST(HostileServer, LogEndsOnTimeAndOnCtrlC) {
    HostileServer server(Behaviour::Noise);
    const std::string url = urlOf("rfc2217", server.port());
    const CliRun timed = runLpgctl({"--port", url, "log", "--seconds", "3"}, 20000, HeapLimitKiB);
    EXPECT_EQ(timed.code, ExitLinkNeverUp) << timed.err;
    EXPECT_LT(timed.elapsedMs, 3000 + 2000) << timed.err;
    EXPECT_LT(timed.peakKiB, MemoryLimitKiB);

    LpgctlSession log;
    ASSERT_TRUE(log.start({"--port", url, "log"}));
    ASSERT_TRUE(log.waitFor(",0\r\n")) << "no row logged";
    const uint32_t t0 = netsock::nowMs();
    log.signal(SIGINT);
    const CliRun r = log.finish(5000);
    EXPECT_LT(netsock::nowMs() - t0, 1000u);
    EXPECT_EQ(r.code, ExitInterrupted) << r.err;
    EXPECT_NE(r.err.find("interrupted: no controller had answered on " + url), std::string::npos)
        << r.err;
}

// A server that reads nothing while it keeps asking for answers: the
// answers are not kept without end, and the port gives it up.
TEST(HostileServer, AServerThatReadsNothingIsGivenUp) {
    HostileServer server(Behaviour::DeafToggles);
    const PortId h = netPortOps.open(urlOf("rfc2217", server.port()).c_str());
    std::string error;
    ASSERT_TRUE(netPortWaitConnected(h, 5000, &error)) << error;
    netPortOps.applyTimeouts(h, LinkPortTimeouts);
    const uint8_t status[4] = {0x65, 0x01, 0x01, 0x67};
    const uint32_t end = netsock::nowMs() + 15000;
    while (!netPortOps.problem(h) && int32_t(end - netsock::nowMs()) > 0) {
        uint32_t done = 0;
        uint8_t reply[4];
        netPortOps.purge(h, PurgeRxClear | PurgeTxClear);
        if (netPortOps.write(h, status, 4, &done)) netPortOps.read(h, reply, 4, &done);
    }
    ASSERT_NE(netPortOps.problem(h), nullptr) << "still not given up";
    EXPECT_NE(std::string(netPortOps.problem(h)).find("reads nothing"), std::string::npos)
        << netPortOps.problem(h);
    netPortOps.close(h);
}

// A name's addresses are tried in turn: one that refuses hands over to the
// next, either way round.
TEST(NetConnectorTest, TriesEachAddressInTurn) {
    for (const char* listening : {"127.0.0.1", "::1"}) {
        const int l = listenAt(listening, 0);
        ASSERT_GE(l, 0) << listening;
        const unsigned port = portOf(l);
        std::vector<netsock::Address> both, one;
        std::string error;
        // The other one first: nobody listens there on that port.
        for (const char* a : {strcmp(listening, "::1") == 0 ? "127.0.0.1" : "::1", listening}) {
            ASSERT_TRUE(netsock::resolve(a, port, false, &one, &error)) << a << ": " << error;
            both.insert(both.end(), one.begin(), one.end());
        }
        NetConnector connector(both, 3000);
        NetConnector::State s = NetConnector::State::Trying;
        for (int i = 0; i < 100 && s == NetConnector::State::Trying; ++i) s = connector.poll(50);
        EXPECT_EQ(s, NetConnector::State::Connected) << listening << ": " << connector.error();
        const netsock::Socket got = connector.take();
        EXPECT_NE(got, netsock::NoSocket);
        netsock::closeSocket(got);
        close(l);
    }
}

TEST(NetConnectorTest, EveryAddressRefusedIsRefused) {
    const int l = listenAt("127.0.0.1", 0);
    const unsigned port = portOf(l);
    close(l);
    std::vector<netsock::Address> both, one;
    std::string error;
    for (const char* a : {"::1", "127.0.0.1"}) {
        ASSERT_TRUE(netsock::resolve(a, port, false, &one, &error)) << error;
        both.insert(both.end(), one.begin(), one.end());
    }
    NetConnector connector(both, 3000);
    NetConnector::State s = NetConnector::State::Trying;
    for (int i = 0; i < 100 && s == NetConnector::State::Trying; ++i) s = connector.poll(50);
    EXPECT_EQ(s, NetConnector::State::Refused);
    EXPECT_NE(connector.error().find("refused"), std::string::npos) << connector.error();
    EXPECT_NE(connector.error().find("2 addresses"), std::string::npos) << connector.error();
}

TEST(ServerWords, OnlyTextIsTakenForWords) {
    const std::pair<std::string, std::string> cases[] = {
        {"Port's device already in use\r\n", "Port's device already in use"},
        {std::string("\x65\x01\x45\x01", 4) + "busy: try  again\n", "busy: try again"},
        {std::string("\x65\x01\x45\xAB", 4), ""},
        {"eAB", ""},
        {"", ""},
        {std::string("text then\x01", 10), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(serverWords(c.first), c.second) << c.first;
}
