// The network port against servers of the test's own on 127.0.0.1: the
// RFC 2217 client's bytes on the wire, and the link over a connection that
// drops, never completes, never answers, or can't be made at all.
#include <algorithm>
#include <atomic>
#include <cstring>
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
#include "link/blocks.h"
#include "link/link.h"
#include "link/net_socket.h"
#include "link/port_net.h"
#include "link/telnet.h"
#include "sim/sim.h"
#include "tests/unit/cli_process.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// A listening socket on 127.0.0.1; port 0 takes a free one.
int listenOn(unsigned port, int backlog = 4) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

unsigned portOf(int fd) {
    sockaddr_in a = {};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

// Accepts within ms; -1 when nobody came.
int acceptWithin(int listener, int ms) {
    pollfd p = {listener, POLLIN, 0};
    if (poll(&p, 1, ms) != 1) return -1;
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

// What a server saw of the client, parsed as Telnet.
struct Seen {
    std::vector<std::pair<int, int>> negotiations;
    std::vector<Bytes> subs;
    Bytes data;
};

int boxes = 0;
void countBox() { ++boxes; }

// The link on the network backend, the box counted, state reset either way.
struct NetLink : ::testing::Test {
    void SetUp() override {
        resetLinkState();
        useLinkBackend(&netPortOps);
        boxes = 0;
        linkHooks.error = countBox;
    }
    void TearDown() override {
        resetLinkState();
        linkHooks.error = nullptr;
    }
    // Polls on the link's rhythm until done() or the deadline; false then.
    template <class F>
    bool pollUntil(F done, uint32_t ms) {
        for (const uint32_t end = netsock::nowMs() + ms; int32_t(end - netsock::nowMs()) > 0;) {
            pollStatus();
            if (done()) return true;
            netsock::sleepMs(20);
        }
        return false;
    }
};

// A controller behind a raw TCP port: the simulator answers what it is sent,
// on a clock of its own that runs ahead far enough for every reply to be out.
class SimServer {
public:
    // swallowWrite > 0: that write (counted from 1) never reaches the
    // controller, and its client gets 00 00 00 for a reply, as a proxy
    // that mangles it would give.
    explicit SimServer(unsigned port = 0, int swallowWrite = 0)
        : listener(listenOn(port)), swallowWrite(swallowWrite) {
        if (listener >= 0) thread = std::thread([this] { serve(); });
    }
    ~SimServer() { stop(); }
    unsigned port() const { return portOf(listener); }
    void stop() {
        running = false;
        if (thread.joinable()) thread.join();
        if (listener >= 0) close(listener);
        listener = -1;
    }

private:
    int listener;
    int swallowWrite;
    int writes = 0;
    std::atomic<bool> running{true};
    std::thread thread;
    // Whole frames of pending to the controller, save the one swallowed.
    void pass(Bytes* pending, uint32_t* clock, int c) {
        for (; pending->size() >= 4; pending->erase(pending->begin(), pending->begin() + 4)) {
            const Bytes f(pending->begin(), pending->begin() + 4);
            const bool read = f[0] == 0x0B || (f[1] >= 1 && f[1] <= 5 && f[1] == f[2]);
            if (!read && ++writes == swallowWrite) {
                send(c, "\0\0\0", 3, MSG_NOSIGNAL);
                continue;
            }
            simReceive(f.data(), 4, *clock += 1000);
        }
    }
    void serve() {
        SimConfig config;
        simReset(config);
        uint32_t clock = 0;
        while (running) {
            const int c = acceptWithin(listener, 50);
            if (c < 0) continue;
            uint8_t in[64], out[64];
            Bytes pending;
            while (running) {
                const int k = netsock::receiveSome(c, in, sizeof in, 50);
                if (k < 0) break;
                if (k == 0) continue;
                pending.insert(pending.end(), in, in + k);
                pass(&pending, &clock, c);
                const size_t n = simTakeOutput(out, sizeof out, clock += 1000);
                if (n > 0) send(c, out, n, MSG_NOSIGNAL);
            }
            close(c);
        }
    }
};

}  // namespace

TEST(NetPortRfc2217, NegotiatesSetsTheLineAndDoubles0xFFBothWays) {
    const int listener = listenOn(0);
    ASSERT_GE(listener, 0);
    Seen seen;
    std::thread server([&] {
        const int c = acceptWithin(listener, 5000);
        if (c < 0) return;
        using namespace telnet;
        // Agreement, an option nobody asked for, and a NOTIFY before any data.
        const Bytes hello = {IAC, DO,  OptComPort, IAC,        WILL, OptBinary, IAC, DO,
                             99,  IAC, SB,         OptComPort, 106,  0x10,      IAC, SE};
        send(c, hello.data(), hello.size(), MSG_NOSIGNAL);
        Parser p;
        uint8_t in[256];
        bool replied = false;
        for (int k; (k = netsock::receiveSome(c, in, sizeof in, 3000)) > 0;) {
            for (int i = 0; i < k; ++i) {
                Event e;
                if (!p.feed(in[i], &e)) continue;
                if (e.kind == Event::Data) seen.data.push_back(e.byte);
                if (e.kind == Event::Negotiation) seen.negotiations.push_back({e.byte, e.option});
                if (e.kind == Event::Subnegotiation)
                    seen.subs.push_back(Bytes(e.sub, e.sub + e.subLength));
            }
            if (!replied && seen.data.size() >= 4) {
                const Bytes reply = {0x65, IAC, IAC, 0x10, IAC, IAC};  // 65 FF 10 FF
                send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
                replied = true;
            }
        }
        close(c);
    });
    const std::string url = "rfc2217://127.0.0.1:" + std::to_string(portOf(listener));
    const PortId h = netPortOps.open(url.c_str());
    std::string error;
    ASSERT_TRUE(netPortWaitConnected(h, 5000, &error)) << error;
    netPortOps.applyTimeouts(h, LinkPortTimeouts);
    const uint8_t frame[4] = {0x65, 0xFF, 0x01, 0x65};
    uint32_t done = 0;
    EXPECT_TRUE(netPortOps.write(h, frame, 4, &done));
    EXPECT_EQ(done, 4u);
    uint8_t reply[4] = {};
    EXPECT_TRUE(netPortOps.read(h, reply, 4, &done));
    EXPECT_EQ(Bytes(reply, reply + done), (Bytes{0x65, 0xFF, 0x10, 0xFF}));
    EXPECT_TRUE(netPortOps.purge(h, PurgeRxClear | PurgeTxClear));
    EXPECT_TRUE(netPortOps.write(h, frame, 4, &done));  // carries the purge out
    EXPECT_EQ(netPortOps.problem(h), nullptr);
    netPortOps.close(h);
    server.join();
    close(listener);

    using namespace telnet;
    const std::vector<std::pair<int, int>> offered = {
        {WILL, OptBinary}, {WILL, OptSuppressGoAhead}, {WILL, OptComPort},
        {DO, OptBinary},   {DO, OptSuppressGoAhead},   {WONT, 99}};
    EXPECT_EQ(seen.negotiations, offered);
    const std::vector<Bytes> subs = {
        {44, 1, 0, 0, 0x25, 0x80}, {44, 2, 8}, {44, 3, 1}, {44, 4, 1}, {44, 5, 1}, {44, 12, 3}};
    EXPECT_EQ(seen.subs, subs);
    EXPECT_EQ(seen.data, (Bytes{0x65, 0xFF, 0x01, 0x65, 0x65, 0xFF, 0x01, 0x65}));
}

TEST_F(NetLink, ComesBackByItselfWhenTheServerIsBackWithoutABox) {
    unsigned port = 0;
    {
        SimServer server;
        port = server.port();
        ASSERT_TRUE(selectPort(("socket://127.0.0.1:" + std::to_string(port)).c_str(), 0));
        ASSERT_TRUE(pollUntil([] { return LinkState == LinkStateKind::Up; }, 5000)) << "never up";
    }  // the server goes away
    ASSERT_TRUE(pollUntil([] { return LinkState == LinkStateKind::Down; }, 5000))
        << "still up after the server went away";
    SimServer again(port);
    EXPECT_TRUE(pollUntil([] { return LinkState == LinkStateKind::Up; }, 8000)) << "not up again";
    EXPECT_EQ(boxes, 0);
    EXPECT_FALSE(LinkFailed);
}

TEST_F(NetLink, AnUnreachablePortIsOneBoxNamingIt) {
    const int gone = listenOn(0);
    const unsigned refusedPort = portOf(gone);
    close(gone);  // nobody listens there any more: refused
    const std::string refused = "socket://127.0.0.1:" + std::to_string(refusedPort);
    struct Case {
        std::string url, mentions;
    };
    const Case cases[] = {
        {"rfc2217://controller.invalid:2217", "does not resolve"},
        {refused, "refused"},
        {"rfc2217://127.0.0.1", "HOST:PORT"},
    };
    for (const Case& c : cases) {
        SetUp();
        ASSERT_TRUE(selectPort(c.url.c_str(), 0));
        EXPECT_TRUE(pollUntil([] { return LinkFailed; }, 5000)) << c.url;
        for (int i = 0; i < 3; ++i) pollStatus();  // no second box
        EXPECT_EQ(boxes, 1) << c.url;
        const std::string why = linkPortProblem();
        EXPECT_EQ(why.rfind(c.url + ": ", 0), 0u) << why;
        EXPECT_NE(why.find(c.mentions), std::string::npos) << why;
    }
}

TEST_F(NetLink, AConnectThatNeverCompletesFailsEveryExchangeAtOnce) {
    // A full accept queue: the kernel drops the next connect's SYN, so it
    // stays pending.
    const int listener = listenOn(0, 0);
    ASSERT_GE(listener, 0);
    const std::string url = "socket://127.0.0.1:" + std::to_string(portOf(listener));
    std::string error;
    const PortId filler1 = netPortOps.open(url.c_str());
    const PortId filler2 = netPortOps.open(url.c_str());
    ASSERT_TRUE(selectPort(url.c_str(), 0));
    uint32_t longest = 0;
    const uint32_t end = netsock::nowMs() + NetConnectTimeoutMs + 1000;
    while (int32_t(end - netsock::nowMs()) > 0) {
        const uint32_t t0 = netsock::nowMs();
        pollStatus();
        readLiveBlock();
        longest = std::max(longest, netsock::nowMs() - t0);
        netsock::sleepMs(50);
    }
    // A read's own time-out (4 bytes: 260 ms) was never waited out.
    EXPECT_LT(longest, 250u);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(boxes, 0);
    netPortOps.close(filler1);
    netPortOps.close(filler2);
    close(listener);
}

TEST_F(NetLink, AServerThatNeverAnswersIsAControllerThatDoesnt) {
    const int listener = listenOn(0);
    ASSERT_GE(listener, 0);
    ASSERT_TRUE(selectPort(("rfc2217://127.0.0.1:" + std::to_string(portOf(listener))).c_str(), 0));
    std::string error;
    openPort();
    ASSERT_TRUE(netPortWaitConnected(PortHandle, 5000, &error)) << error;
    for (int i = 0; i < 3; ++i) pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_FALSE(StatusValid);
    EXPECT_EQ(boxes, 0);
    close(listener);
}

// lpgctl: a network port that can't be reached is one line naming it, with
// an exit code of its own; a malformed one is wrong use.
TEST(LpgctlNetworkPort, UnreachableOrMalformedIsOneLine) {
    const int gone = listenOn(0);
    const std::string refused = "socket://127.0.0.1:" + std::to_string(portOf(gone));
    close(gone);
    struct Case {
        std::string url;
        int code;
        std::string mentions;
    };
    const Case cases[] = {
        {"rfc2217://controller.invalid:2217", ExitNetwork, "does not resolve"},
        {refused, ExitNetwork, "refused"},
        {"rfc2217://127.0.0.1", ExitUsage, "give HOST:PORT"},
        {"tcp://127.0.0.1:70000", ExitUsage, "PORT 1 to 65535"},
    };
    for (const Case& c : cases) {
        const CliRun run = runLpgctl({"--port", c.url, "status"});
        EXPECT_EQ(run.code, c.code) << c.url << ": " << run.err;
        EXPECT_EQ(run.err.rfind("lpgctl: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.url), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST_F(NetLink, TheEchoProbeWaitsForTheConnection) {
    // The accept queue full at first (one waiting connection, backlog 0), so
    // the link's connect is still pending at its first poll; the server
    // takes the waiting one away only after that poll.
    const int listener = listenOn(0, 0);
    ASSERT_GE(listener, 0);
    std::string error;
    const netsock::Socket filler = netsock::startConnect("127.0.0.1", portOf(listener), &error);
    ASSERT_NE(filler, netsock::NoSocket) << error;
    Bytes got;
    std::atomic<size_t> count{0};
    std::atomic<bool> firstPollDone{false}, done{false};
    std::thread server([&] {
        while (!firstPollDone) netsock::sleepMs(5);
        close(acceptWithin(listener, 5000));  // the filler
        const int c = acceptWithin(listener, 5000);
        uint8_t in[64];
        for (int k; c >= 0 && !done && (k = netsock::receiveSome(c, in, sizeof in, 50)) >= 0;) {
            got.insert(got.end(), in, in + k);
            count = got.size();
        }
        if (c >= 0) close(c);
    });
    ASSERT_TRUE(selectPort(("socket://127.0.0.1:" + std::to_string(portOf(listener))).c_str(), 0));
    pollStatus();
    firstPollDone = true;
    pollUntil([&] { return count >= 8; }, 5000);
    done = true;
    server.join();
    netsock::closeSocket(filler);
    close(listener);
    ASSERT_GE(got.size(), 4u) << "nothing arrived";
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 4), (Bytes{0x0B, 0x01, 0x01, 0x0D}));
}

TEST(NetPortLookup, AnInstanceClosedWhileItsNameIsLookedUpLeavesNothingBehind) {
    // More opens than the backend keeps instances: each close must free its
    // slot at once, whether or not the worker has answered yet.
    for (int i = 0; i < 20; ++i) {
        const PortId h = netPortOps.open("socket://controller.invalid:2217");
        ASSERT_NE(h, InvalidPort) << "open " << i;
        netPortOps.close(h);
    }
    // A name that doesn't resolve is still told as such, once looked up.
    const PortId h = netPortOps.open("rfc2217://controller.invalid:2217");
    std::string error;
    EXPECT_FALSE(netPortWaitConnected(h, NetConnectTimeoutMs, &error));
    EXPECT_NE(error.find("does not resolve"), std::string::npos) << error;
    EXPECT_NE(netPortOps.problem(h), nullptr);
    netPortOps.close(h);
}

// A write whose reply doesn't echo its value on generation 3 is not
// confirmed: the load stops there and names it, with or without the read
// back; a load that went through without one says it wasn't read back.
TEST(LpgctlNetworkPort, AGeneration3WriteWithoutItsEchoStopsTheLoad) {
    const std::string file = scratchPath("proxy.zs2");
    ASSERT_EQ(runLpgctl({"--port", "demo", "save", file}).code, ExitOk);
    for (const bool verify : {false, true}) {
        SimServer proxy(0, 10);
        const std::string url = "socket://127.0.0.1:" + std::to_string(proxy.port());
        std::vector<std::string> args = {"--port", url, "load", file};
        if (!verify) args.push_back("--no-verify");
        const CliRun r = runLpgctl(args);
        EXPECT_EQ(r.code, ExitWriteFailed) << verify << ": " << r.err;
        EXPECT_NE(r.err.find("InjectDelay= (key 10 of 32, address 14) was not confirmed: the "
                             "reply echoes 0"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find("sent 32 values"), std::string::npos) << r.out;
    }
    SimServer honest;
    const std::string url = "socket://127.0.0.1:" + std::to_string(honest.port());
    const CliRun r = runLpgctl({"--port", url, "load", file, "--no-verify"});
    EXPECT_EQ(r.code, ExitOk) << r.err;
    EXPECT_NE(r.out.find("sent 32 values from " + file + " to the controller on " + url +
                         "; not read back (--no-verify)\n"),
              std::string::npos)
        << r.out;
    unlink(file.c_str());
}
