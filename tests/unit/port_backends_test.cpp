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
const PortOps CountingBackend<Which>::ops = PortOps::called("counting")
                                                .withOpen(open)
                                                .withSettings(settings)
                                                .withTimeouts(timeouts)
                                                .withPurge(purge)
                                                .withWrite(write)
                                                .withRead(read)
                                                .withClose(close)
                                                .withTickCount(ticks)
                                                .withSleep(sleep);

using BackendA = CountingBackend<0>;
using BackendB = CountingBackend<1>;
using BackendC = CountingBackend<2>;

void expectEachClosedOnce(const Counts& c, const char* which) {
    EXPECT_EQ(c.foreign, 0) << which << " was asked to close a handle it never opened";
    for (const auto& h : c.closes) EXPECT_EQ(h.second, 1) << which << " handle " << h.first;
}

class PortBackends : public ::testing::Test {
protected:
    void SetUp() override {
        saved = LinkPort;
        savedRows.assign(portSchemes().begin(), portSchemes().end());
        resetLinkState();
        BackendA::counts = Counts();
        BackendB::counts = Counts();
    }
    void TearDown() override {
        resetLinkState();
        useLinkBackend(saved);
        for (size_t i = 0; i < savedRows.size(); ++i)
            registerPortBackend(portSchemes().first + i, savedRows[i].ops, savedRows[i].prepare);
    }
    const PortOps* saved = nullptr;
    std::vector<PortScheme> savedRows;
};

}  // namespace

TEST_F(PortBackends, LinkClosesEveryOpenOnceAcrossDownUpAndAChangeOfBackend) {
    useLinkBackend(&BackendA::ops);
    ASSERT_TRUE(selectPort("first", 1));
    // Nobody answers: every third missed poll closes the port, the next
    // opens it again.
    for (int i = 0; i < 10; ++i) pollStatus();
    ASSERT_GE(BackendA::counts.next, 3) << "the link never opened the port again";
    ASSERT_TRUE(selectPort("second", 2));
    pollStatus();
    // The COM menu after a network port: the backend changes while a port
    // of the old one is open; the old one must close it.
    useLinkBackend(&BackendB::ops);
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
    registerPortBackend(PortScheme::Serial, &BackendA::ops, nullptr);
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
    registerPortBackend(PortScheme::Serial, nullptr, nullptr);
    registerPortBackend(PortScheme::Replay, &BackendA::ops,
                        [](const PortName& name, std::string* error) {
                            *error = name.rest + ": not a recording";
                            return false;
                        });
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

// The window's ways to a port: a name typed in (as --port takes it), and a
// COM item, which leaves a network port or a replay for the serial ports but
// keeps the simulated controller.
TEST_F(PortBackends, NamedPortAndMenuPortChooseTheBackendWithThePath) {
    registerPortBackend(PortScheme::Serial, &BackendA::ops, nullptr);
    registerPortBackend(PortScheme::Demo, &BackendB::ops, nullptr);
    registerPortBackend(PortScheme::Replay, &BackendC::ops, nullptr);
    ASSERT_TRUE(selectPort("COM5:", 5));
    struct Case {
        const char* text;
        const PortOps* ops;
        const char* path;
        int number;
        const PortOps* afterMenu;  // the backend once COM2 is chosen from the menu
    };
    const Case cases[] = {
        {"COM4", &BackendA::ops, "\\\\.\\COM4", 4, &BackendA::ops},
        {"rfc2217://127.0.0.1:1", &netPortOps, "rfc2217://127.0.0.1:1", 2, &BackendA::ops},
        {"demo:1", &BackendB::ops, "demo", 2, &BackendB::ops},
        {"replay:drive.txt", &BackendC::ops, "drive.txt", 2, &BackendA::ops},
    };
    for (const Case& c : cases) {
        std::string error;
        ASSERT_TRUE(selectNamedPort(c.text, &error)) << c.text << ": " << error;
        EXPECT_EQ(LinkPort, c.ops) << c.text;
        EXPECT_STREQ(SelectedPortPath, c.path) << c.text;
        EXPECT_EQ(CommPort, c.number) << c.text;
        EXPECT_EQ(portNamedWhole(), c.ops == &netPortOps) << c.text;
        selectMenuPort("COM2:", 2);
        EXPECT_EQ(LinkPort, c.afterMenu) << c.text;
        EXPECT_STREQ(SelectedPortPath, "COM2:") << c.text;
    }
    // A refused name changes nothing.
    std::string error;
    EXPECT_FALSE(selectNamedPort("replay:", &error));
    EXPECT_EQ(error, "replay: needs a recording, as in replay:drive.txt");
    EXPECT_STREQ(SelectedPortPath, "COM2:");
    resetLinkState();
}
