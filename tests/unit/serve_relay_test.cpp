// lpgctl serve's relay against models of a client and a controller: one
// exchange at a time, the generation from serve's own status requests only,
// clean client changes, the limits, and a port that fails and comes back.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/serve_relay.h"
#include "link/port.h"
#include "tests/unit/serve_model.h"

using servemodel::Bytes;
using servemodel::Rig;

namespace {

const Bytes StatusRead = {0x65, 0x01, 0x01, 0x67};
const Bytes LiveRead = {0x65, 0x02, 0x02, 0x69};
const Bytes ConfigARead = {0x65, 0x03, 0x03, 0x6B};
const Bytes ExtendedRead = {0x65, 0x05, 0x05, 0x6F};
const Bytes OptionsWrite = {0x65, 0x06, 0x2A, 0x95};
// What a generation-3 status looks like: its identity byte is 0x40..0x5F.
const Bytes Gen3Status = {0x65, 0x00, 0x45, 0xAA};

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The attack on a read-only serve: a generation-1 controller whose ConfigA
// block starts like a generation-3 status, a client that pipelines a ConfigA
// read and a status read, then a block 5 read (on generation 1, a write of
// 5 to its options). Each way of trying, many times, reconnecting whenever
// it is let go.
struct AttackCase {
    const char* what;
    uint32_t replyDelayMs;  // before each reply starts
    bool purgeBetween;      // the client purges between its status and block 5
    int tries;
    uint32_t waitMs;  // after each try's block 5 read (half the tries: 5 ms)
};

const AttackCase AttackCases[] = {
    {"pipelined, prompt replies", 2, false, 1000, 60},
    {"pipelined, a purge before block 5", 2, true, 1000, 60},
    {"pipelined, replies late past the time-outs", 700, false, 100, 2500},
};

TEST(ServeRelay, AReadOnlyServePassesOnlyReadsWhateverTheClientPipelines) {
    for (const AttackCase& c : AttackCases) {
        Rig rig(1, false);
        rig.controller.setBlock(3, Gen3Status);
        rig.replyDelayMs = c.replyDelayMs;
        int clients = 0;
        for (int attempt = 0; attempt < c.tries; ++attempt) {
            if (attempt == 0 || !rig.letGoWhy.empty()) {
                rig.letGoWhy.clear();
                rig.relay.clientConnected("10.0.0.9:4000", rig.now);
                ++clients;
            }
            rig.send(ConfigARead + StatusRead);
            rig.run(attempt % 7);
            if (c.purgeBetween) rig.relay.clientPurge(PurgeRxClear | PurgeTxClear);
            rig.send(ExtendedRead);
            rig.run(attempt % 2 ? c.waitMs : 5);
        }
        rig.run(3000);
        EXPECT_EQ(rig.controller.writes(), 0) << c.what;
        EXPECT_NE(rig.relay.generation(), 3) << c.what;
        EXPECT_GT(rig.linesWith("refused: read of block 5"), 0) << c.what;
        // Faster than 64 refusals a minute, the attacker is let go.
        if (c.waitMs < 1000) {
            EXPECT_GT(clients, 1) << c.what;
        }
    }
}

TEST(ServeRelay, EachRequestGetsExactlyItsReplyInTurn) {
    Rig rig(3, false);
    rig.relay.clientConnected("c", rig.now);
    rig.send(LiveRead + StatusRead + ExtendedRead);
    rig.run(2000);
    ASSERT_EQ(rig.handed.size(), 11u + 4u + 21u);
    EXPECT_EQ(rig.handed[11], 0x65);
    EXPECT_EQ(rig.handed[11 + 4], 0x65);
    EXPECT_EQ(rig.relay.generation(), 3) << "block 5 passes on generation 3";
    // serve's own status first, then the three, one at a time.
    const std::vector<Bytes> want = {StatusRead, LiveRead, StatusRead, ExtendedRead};
    EXPECT_EQ(rig.controller.received(), want);
}

TEST(ServeRelay, ANewClientGetsNoneOfTheLastOnesReplies) {
    Rig rig(3, false);
    rig.relay.clientConnected("first", rig.now);
    Bytes many;
    for (int i = 0; i < 200; ++i) many = many + LiveRead;
    rig.send(many);
    rig.run(30);  // mid-way through a reply
    rig.relay.clientGone(rig.now);
    rig.handed.clear();
    rig.relay.clientConnected("second", rig.now);
    EXPECT_EQ(rig.relay.generation(), 0) << "nothing learnt survives a client change";
    rig.send(StatusRead);
    rig.run(2000);
    ASSERT_EQ(rig.handed.size(), 4u);
    EXPECT_EQ(rig.handed[0], 0x65);
    EXPECT_EQ(rig.handed[3], byteSum(rig.handed.data(), 3));
}

TEST(ServeRelay, AClientsPurgeDropsItsQueueAndTheReplyInFlight) {
    Rig rig(3, false);
    rig.relay.clientConnected("c", rig.now);
    rig.run(500);
    rig.send(LiveRead + LiveRead + LiveRead);
    rig.run(3);
    rig.relay.clientPurge(PurgeRxClear | PurgeTxClear);
    rig.send(StatusRead);
    rig.run(1000);
    EXPECT_EQ(rig.handed.size(), 4u) << "only the status after the purge is answered";
    EXPECT_EQ(rig.controller.received().size(), 3u) << "own status, one Live read, the status";
}

struct LimitCase {
    const char* what;
    Bytes each;
    int times;
    uint32_t everyMs;
    const char* why;  // "" when the client stays
};

const LimitCase LimitCases[] = {
    {"writes refused, 64 in a minute", OptionsWrite, 64, 100, "64 refused frames within a minute"},
    {"writes refused, 63 in a minute", OptionsWrite, 63, 100, ""},
    {"writes refused, slower than 64 a minute", OptionsWrite, 100, 1000, ""},
    {"garbage, 4 KiB in a minute", Bytes(64, 0x13), 64, 100,
     "4096 bytes that start no request frame within a minute"},
    {"silent for 60 s", Bytes(), 1, 60001, "no request for 60 s"},
    {"a status every 59 s", StatusRead, 3, 59000, ""},
};

TEST(ServeRelay, ClientsThatIdleOrAbuseAreLetGo) {
    for (const LimitCase& c : LimitCases) {
        Rig rig(3, false);
        rig.relay.clientConnected("10.0.0.9:4000", rig.now);
        for (int i = 0; i < c.times && rig.letGoWhy.empty(); ++i) {
            rig.send(c.each);
            rig.run(c.everyMs);
        }
        EXPECT_EQ(rig.letGoWhy, c.why) << c.what;
        EXPECT_EQ(rig.relay.wantsClientBytes(), !*c.why) << c.what;
    }
}

TEST(ServeRelay, RefusalsAreLoggedAtMostALineASecond) {
    Rig rig(3, false);
    rig.relay.clientConnected("10.0.0.9:4000", rig.now);
    rig.run(300);  // serve's own status request
    for (int i = 0; i < 50; ++i) rig.send(OptionsWrite);
    rig.run(10);
    EXPECT_EQ(rig.linesWith("refused: write of 42 to wire address 6 (65 06 2A 95)"), 1);
    rig.run(1000);
    EXPECT_EQ(rig.linesWith("49 more refused from 10.0.0.9:4000"), 1);
    EXPECT_EQ(rig.lines.size(), 2u);
    rig.send(Bytes(100, 0x13) + OptionsWrite);
    rig.run(10);
    EXPECT_EQ(rig.linesWith("100 byte(s) that start no request frame dropped"), 1);
    EXPECT_EQ(rig.controller.writes(), 0);
}

TEST(ServeRelay, APortThatFailsAnswersNothingAndComesBack) {
    Rig rig(3, false);
    rig.relay.clientConnected("c", rig.now);
    rig.run(500);
    rig.relay.portDown();
    rig.send(StatusRead + LiveRead + ExtendedRead);
    rig.run(2000);
    EXPECT_TRUE(rig.handed.empty()) << "nothing the client didn't ask for";
    EXPECT_EQ(rig.controller.received().size(), 1u) << "nothing sent while down";
    rig.relay.portUp();
    rig.send(ExtendedRead);
    rig.run(2000);
    EXPECT_EQ(rig.handed.size(), 21u) << "the generation asked again once the port is back";
    EXPECT_TRUE(rig.letGoWhy.empty());
}

TEST(ServeRelay, ThreeUnansweredStatusRequestsMakeTheControllerSilent) {
    Rig rig(3, false);
    rig.replyDelayMs = 100000;
    rig.relay.clientConnected("c", rig.now);
    for (int i = 0; i < 2; ++i) {
        rig.send(StatusRead);
        rig.run(1500);
    }
    EXPECT_TRUE(rig.relay.controllerSilent());
    rig.relay.portDown();
    EXPECT_FALSE(rig.relay.controllerSilent());
}

TEST(ServeRelay, AClientsStatusLeftUnansweredMakesServeAskAgainBeforeBlock5) {
    Rig rig(3, false);
    rig.relay.clientConnected("c", rig.now);
    rig.run(500);
    ASSERT_EQ(rig.relay.generation(), 3);
    rig.replyDelayMs = 1000;  // the client's status comes after its time-out
    rig.send(StatusRead);
    rig.run(270);
    EXPECT_EQ(rig.relay.generation(), 0);
    rig.replyDelayMs = 2;
    rig.run(2000);
    rig.handed.clear();
    rig.send(ExtendedRead);
    rig.run(1000);
    EXPECT_EQ(rig.handed.size(), 21u);
    EXPECT_EQ(rig.controller.received().back(), ExtendedRead);
    EXPECT_EQ(rig.controller.received()[rig.controller.received().size() - 2], StatusRead);
}

TEST(ServeRelay, ReplyLengthsFollowTheRequestAndGeneration) {
    const struct {
        Bytes frame;
        int generation;
        size_t length;
    } cases[] = {
        {StatusRead, 1, 4},    {LiveRead, 1, 11},    {ConfigARead, 3, 14},
        {ExtendedRead, 3, 21}, {ExtendedRead, 1, 3}, {OptionsWrite, 3, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replyLengthOf(c.frame.data(), c.generation), c.length)
            << int(c.frame[1]) << " on generation " << c.generation;
}

}  // namespace
