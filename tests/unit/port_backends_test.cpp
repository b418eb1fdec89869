// The backends' table and the owning port handle: every open closed exactly
// once, by the backend that opened it, whatever the link does in between.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/link.h"
#include "link/port_backends.h"

namespace {

// A backend that opens anything, never answers, and counts each handle's
// closes; a close of a handle it never opened is counted as foreign.
struct Counts {
    std::map<PortId, int> closes;  // by handle opened
    int foreign = 0;
    PortId next = 0;
};

template <int Which>
struct CountingBackend {
    static Counts counts;
    static PortId open(const char*) {
        const PortId h = 100 * (Which + 1) + counts.next++;
        counts.closes[h] = 0;
        return h;
    }
    static bool settings(PortId, const PortSettings&) { return true; }
    static bool timeouts(PortId, const PortTimeouts&) { return true; }
    static bool purge(PortId, unsigned) { return true; }
    static bool write(PortId, const uint8_t*, uint32_t n, uint32_t* done) {
        *done = n;
        return true;
    }
    static bool read(PortId, uint8_t*, uint32_t, uint32_t* done) {
        *done = 0;
        return true;
    }
    static void close(PortId h) {
        auto it = counts.closes.find(h);
        if (it == counts.closes.end())
            ++counts.foreign;
        else
            ++it->second;
    }
    static uint32_t ticks() { return 0; }
    static void sleep(uint32_t) {}
    static const PortOps ops;
};
template <int Which>
Counts CountingBackend<Which>::counts;
template <int Which>
const PortOps CountingBackend<Which>::ops = {
    "counting", open, settings, timeouts, purge, write, read, close, ticks, sleep, nullptr,
};

using BackendA = CountingBackend<0>;
using BackendB = CountingBackend<1>;

void expectEachClosedOnce(const Counts& c, const char* which) {
    EXPECT_EQ(c.foreign, 0) << which << " was asked to close a handle it never opened";
    for (const auto& h : c.closes) EXPECT_EQ(h.second, 1) << which << " handle " << h.first;
}

const PortScheme Schemes[] = {PortScheme::Serial, PortScheme::Demo, PortScheme::Replay,
                              PortScheme::Rfc2217, PortScheme::RawTcp};

class PortBackends : public ::testing::Test {
protected:
    void SetUp() override {
        saved = LinkPort;
        for (PortScheme s : Schemes) savedRows.push_back(portBackendFor(s));
        resetLinkState();
        BackendA::counts = Counts();
        BackendB::counts = Counts();
    }
    void TearDown() override {
        resetLinkState();
        LinkPort = saved;
        for (const PortBackend& row : savedRows) registerPortBackend(row);
    }
    const PortOps* saved = nullptr;
    std::vector<PortBackend> savedRows;
};

}  // namespace

TEST_F(PortBackends, LinkClosesEveryOpenOnceAcrossDownUpAndAChangeOfBackend) {
    LinkPort = &BackendA::ops;
    ASSERT_TRUE(selectPort("first", 1));
    // Nobody answers: every third missed poll closes the port, the next
    // opens it again.
    for (int i = 0; i < 10; ++i) pollStatus();
    ASSERT_GE(BackendA::counts.next, 3) << "the link never opened the port again";
    ASSERT_TRUE(selectPort("second", 2));
    pollStatus();
    // The COM menu after a network port: the backend changes while a port
    // of the old one is open; the old one must close it.
    LinkPort = &BackendB::ops;
    ASSERT_TRUE(selectPort("third", 3));
    pollStatus();
    resetLinkState();
    expectEachClosedOnce(BackendA::counts, "backend A");
    expectEachClosedOnce(BackendB::counts, "backend B");
    EXPECT_EQ(BackendB::counts.next, 1);
}

TEST_F(PortBackends, OwnedPortClosesOnceThroughMovesAndResets) {
    {
        OwnedPort a = openOwnedPort(&BackendA::ops, "x");
        ASSERT_TRUE(a.isOpen());
        OwnedPort b(std::move(a));
        EXPECT_FALSE(a.isOpen());
        OwnedPort c = openOwnedPort(&BackendA::ops, "y");
        c = std::move(b);  // closes y, takes x
        c.reset();
        c.reset();
        OwnedPort d = openOwnedPort(&BackendB::ops, "z");  // closed on scope end
    }
    EXPECT_EQ(BackendA::counts.next, 2);
    expectEachClosedOnce(BackendA::counts, "backend A");
    expectEachClosedOnce(BackendB::counts, "backend B");
}

TEST_F(PortBackends, TablePicksTheRowByTheGrammar) {
    registerPortBackend({PortScheme::Serial, &BackendA::ops, nullptr});
    struct Case {
        const char* text;
        const PortOps* ops;
        const char* path;
    };
    const Case cases[] = {
        {"COM3", &BackendA::ops, "COM3"},
        {"/dev/ttyUSB0", &BackendA::ops, "/dev/ttyUSB0"},
        {"rfc2217://127.0.0.1:2217", &netPortOps, "rfc2217://127.0.0.1:2217"},
        {"tcp://localhost:4001", &netPortOps, "tcp://localhost:4001"},
    };
    for (const Case& c : cases) {
        PortUse use;
        std::string error;
        ASSERT_TRUE(choosePortBackend(c.text, &use, &error)) << c.text << ": " << error;
        EXPECT_EQ(use.ops, c.ops) << c.text;
        EXPECT_EQ(use.path, c.path) << c.text;
    }
    std::string error;
    OwnedPort port = openPortBackend("COM4", &error);
    EXPECT_TRUE(port.isOpen()) << error;
    EXPECT_EQ(port.ops(), &BackendA::ops);
}

TEST_F(PortBackends, RefusalsAreOneLine) {
    registerPortBackend({PortScheme::Serial, nullptr, nullptr});
    registerPortBackend(
        {PortScheme::Replay, &BackendA::ops, [](const PortName& name, std::string* error) {
             *error = name.rest + ": not a recording";
             return false;
         }});
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"COM3", "this program has no serial ports backend"},
        {"replay:drive.txt", "drive.txt: not a recording"},
        {"rfc2217://host",
         "rfc2217://host is not a network port: give HOST:PORT, as in "
         "rfc2217://localhost:2217"},
    };
    for (const Case& c : cases) {
        std::string error;
        OwnedPort port = openPortBackend(c.text, &error);
        EXPECT_FALSE(port.isOpen()) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    EXPECT_EQ(BackendA::counts.next, 0);
}
