// The simulated controller: replies, writes, commands, faults, the engine
// scenario and the frame log; then the in-process port backend driven by the
// real link functions.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "link/parameters.h"
#include "link/port.h"
#include "sim/sim.h"

using Bytes = std::vector<uint8_t>;

namespace {

SimConfig configFor(int generation, SimFault fault = SimFault::None, int dropAfter = 0) {
    SimConfig c;
    c.generation = generation;
    c.variant = 5;
    c.fault = fault;
    c.dropAfter = dropAfter;
    return c;
}

Bytes frame(uint8_t b0, uint8_t b1, uint8_t b2) { return {b0, b1, b2, uint8_t(b0 + b1 + b2)}; }
Bytes readRequest(uint8_t block) { return frame(0x65, block, block); }

// Sends a request at nowMs and collects everything released up to laterMs.
Bytes exchange(const Bytes& request, uint32_t nowMs, uint32_t laterMs) {
    simReceive(request.data(), request.size(), nowMs);
    uint8_t buf[256];
    size_t n = simTakeOutput(buf, sizeof buf, laterMs);
    return Bytes(buf, buf + n);
}
Bytes exchange(const Bytes& request, uint32_t nowMs = 100) {
    return exchange(request, nowMs, nowMs);
}

// Write as the program numbers it; the wire gets +1 for generation 3.
Bytes writeProgram(int generation, uint8_t address, uint8_t value, uint32_t nowMs = 100) {
    uint8_t wire = uint8_t(address + (generation == 3 ? 1 : 0));
    return exchange(frame(0x65, wire, value), nowMs);
}

bool sumOk(const Bytes& b) {
    if (b.size() < 2) return false;
    uint8_t s = 0;
    for (size_t i = 0; i + 1 < b.size(); ++i) s = uint8_t(s + b[i]);
    return s == b.back();
}

std::string formatted(const SimFrame& f) {
    char line[128];
    simFormatFrame(f, line, sizeof line);
    return line;
}

}  // namespace

TEST(SimReplies, EachBlockHasItsLengthLeadAndChecksum) {
    const struct {
        int generation;
        uint8_t block;
        size_t length;
    } cases[] = {
        {3, 1, 4}, {3, 2, 11}, {3, 3, 14}, {3, 4, 16}, {3, 5, 21},
        {1, 1, 4}, {1, 2, 11}, {1, 3, 14}, {1, 4, 16},
    };
    for (const auto& c : cases) {
        simReset(configFor(c.generation));
        Bytes r = exchange(readRequest(c.block));
        SCOPED_TRACE("gen " + std::to_string(c.generation) + " block " + std::to_string(c.block));
        ASSERT_EQ(r.size(), c.length);
        EXPECT_EQ(r[0], 0x65);
        EXPECT_TRUE(sumOk(r));
    }
}

TEST(SimReplies, StatusCarriesGenerationAndVariant) {
    SimConfig c = configFor(3);
    c.variant = 5;
    simReset(c);
    EXPECT_EQ(exchange(readRequest(1))[2], 0x45);
    c = configFor(1);
    c.variant = 2;
    simReset(c);
    EXPECT_EQ(exchange(readRequest(1))[2], 0x02);
}

TEST(SimReplies, GenerationOneTakesBlockFiveFrameAsOptionsWrite) {
    simReset(configFor(1));
    Bytes r = exchange(readRequest(5));
    EXPECT_EQ(r, (Bytes{0x65, 0x05, 0x6A}));
    EXPECT_EQ(simState().configA.options, 5);
}

// The first address after the parameter table's last row.
int addressPastTheTable() {
    int past = 0;
    for (const Parameter& row : Parameters) past = std::max(past, row.address + row.span);
    return past;
}

TEST(SimReplies, StrangersGetNoReply) {
    const Bytes cases[] = {
        {0x65, 0x01, 0x01, 0x68},                               // bad checksum
        {0x0B, 0x01, 0x01, 0x0D},                               // echo probe
        frame(0x65, 0x02, 0x09),                                // generation 3: program address 1
        frame(0x65, uint8_t(addressPastTheTable() + 1), 0x01),  // generation 3
        frame(0x65, 0x01, 0x02),  // read command with the wrong argument
    };
    for (const Bytes& req : cases) {
        simReset(configFor(3));
        EXPECT_TRUE(exchange(req, 100, 5000).empty());
    }
}

// Every address the parameter table gives a byte on a generation is
// answered and lands in that byte, a row added later too; an address of no
// row gets no reply.
TEST(SimWrites, EveryAddressOfTheTableLandsInItsByte) {
    for (int generation : {1, 3}) {
        for (const Parameter& row : Parameters) {
            const FieldRef f = parameterByte(row, generation);
            if (f.block == BlockId::None) continue;  // commands and forgotten addresses
            for (int i = 0; i < row.span; ++i) {
                simReset(configFor(generation));
                const uint8_t value = uint8_t(0x40 + i);
                EXPECT_EQ(writeProgram(generation, uint8_t(row.address + i), value),
                          (Bytes{0x65, value, uint8_t(0x65 + value)}))
                    << row.name << " gen " << generation;
                SimState& s = simState();
                const BlockSet blocks{&s.status, &s.live, &s.configA, &s.configB, &s.extended};
                const uint8_t* stored = fieldByte(FieldRef{f.block, uint8_t(f.offset + i)}, blocks);
                ASSERT_NE(stored, nullptr) << row.name;
                EXPECT_EQ(*stored, value) << row.name << " gen " << generation;
            }
        }
        for (int wire = 0; wire < 256; ++wire) {
            const int address = wire - (generation == 3 ? 1 : 0);
            if (parameterAt(address)) continue;
            simReset(configFor(generation));
            EXPECT_TRUE(exchange(frame(0x65, uint8_t(wire), 0x11), 100, 5000).empty())
                << "gen " << generation << " address " << address;
        }
    }
}

TEST(SimWrites, ProgramAddressLandsInItsByteForBothGenerations) {
    SimState& s = simState();
    const struct {
        int generation;
        uint8_t address;
        const uint8_t* target;
    } cases[] = {
        {3, 5, &s.configA.options},
        {1, 5, &s.configA.options},
        {3, 12, &s.extended.zamOtwBj},
        {1, 12, &s.configA.emulDoTimeHi},
        {3, 13, &s.extended.zamOtwDo},
        {1, 13, &s.configA.emulDoTimeLo},
        {3, 15, &s.configA.lpgOnTemp},
        {3, 18, &s.live.attInit},
        {1, 18, &s.live.attInit},
        {3, 22, &s.configB.lpgOnRpmHi},
        {3, 29, &s.configA.tpsInert},
        {3, 31, &s.configB.attMaxBj},
        {3, 32, &s.configB.attMinBj},
        {3, 33, &s.extended.prog1},
        {3, 36, &s.extended.prog4},
        {3, 37, &s.configA.emulDoTimeHi},
        {3, 38, &s.extended.gasHoursLo},
        {3, 39, &s.extended.gasHoursHi},
        {3, 40, &s.extended.installDateLo},
        {3, 41, &s.extended.installDateHi},
        {3, 42, &s.extended.registration[0]},
        {3, 48, &s.extended.registration[6]},
        {3, 49, &s.extended.gasMinutes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("gen " + std::to_string(c.generation) + " address " +
                     std::to_string(c.address));
        simReset(configFor(c.generation));
        uint8_t value = uint8_t(*c.target ^ 0x5A);
        Bytes r = writeProgram(c.generation, c.address, value);
        EXPECT_EQ(r, (Bytes{0x65, value, uint8_t(0x65 + value)}));
        EXPECT_EQ(*c.target, value);
    }
}

TEST(SimWrites, WrittenValueComesBackInItsBlock) {
    simReset(configFor(3));
    writeProgram(3, Addr::LpgOnRpmLo, 0x34);
    Bytes b = exchange(readRequest(4));
    ASSERT_EQ(b.size(), 16u);
    EXPECT_EQ(b[offsetof(ConfigBBlock, lpgOnRpmLo)], 0x34);
    EXPECT_TRUE(sumOk(b));
    writeProgram(3, Addr::AttInit, 77);
    EXPECT_EQ(exchange(readRequest(2))[offsetof(LiveBlock, attInit)], 77);
}

TEST(SimCommands, FactoryResetRestoresAndGenerationOneAnswers3) {
    for (int gen : {1, 3}) {
        simReset(configFor(gen));
        writeProgram(gen, Addr::Options, 0x01);
        writeProgram(gen, Addr::LpgOnRpmHi, 0x30);
        writeProgram(gen, Addr::AttInit, 9);
        Bytes r = writeProgram(gen, Addr::Command, CmdFactoryReset);
        ASSERT_EQ(r.size(), 3u);
        EXPECT_EQ(r[1], gen == 1 ? 0x33 : CmdFactoryReset);
        EXPECT_EQ(simState().configA.options, 0x6A);
        EXPECT_EQ(simState().configB.lpgOnRpmHi, 0x1D);
        EXPECT_EQ(simState().live.attInit, 128);
    }
}

TEST(SimCommands, GasLevelSensorCommandSetsThresholds) {
    simReset(configFor(3));
    for (uint8_t a = Addr::Prog1; a <= Addr::Prog4; ++a) writeProgram(3, a, 0);
    writeProgram(3, Addr::Command, CmdGasLevelSensor);
    const ExtendedBlock& e = simState().extended;
    EXPECT_EQ(e.prog1, 40);
    EXPECT_EQ(e.prog2, 90);
    EXPECT_EQ(e.prog3, 140);
    EXPECT_EQ(e.prog4, 190);
}

TEST(SimCommands, LearnShowsLearnModeThenAnAnswer) {
    simReset(configFor(3));
    writeProgram(3, Addr::Command, CmdLearn, 1000);
    simAdvance(1100);
    EXPECT_TRUE(simState().live.flagsB & 0x02);
    simAdvance(5100);
    EXPECT_FALSE(simState().live.flagsB & 0x02);
    EXPECT_EQ(simState().live.flagsB & 0x30, 0x10);
    simAdvance(20000);
    EXPECT_EQ(simState().live.flagsB & 0x32, 0);
}

TEST(SimFaults, EachFaultShowsOnTheWire) {
    const Bytes status = readRequest(1);
    {
        simReset(configFor(3, SimFault::Echo));
        const Bytes probe = {0x0B, 0x01, 0x01, 0x0D};
        EXPECT_EQ(exchange(probe), probe);
        EXPECT_EQ(exchange(status), status);
    }
    {
        simReset(configFor(3, SimFault::Silent));
        EXPECT_TRUE(exchange(status, 100, 10000).empty());
        ASSERT_EQ(simFrameLog().size(), 1u);
        EXPECT_EQ(simFrameLog()[0].dir, '>');
    }
    {
        simReset(configFor(3, SimFault::BadSum));
        Bytes r = exchange(status);
        ASSERT_EQ(r.size(), 4u);
        EXPECT_EQ(r[0], 0x65);
        EXPECT_FALSE(sumOk(r));
    }
    {
        simReset(configFor(3, SimFault::Short));
        EXPECT_EQ(exchange(readRequest(2)).size(), 10u);
    }
    {
        simReset(configFor(3, SimFault::Slow));
        EXPECT_TRUE(exchange(status, 100, 100 + SimSlowDelayMs - 1).empty());
        uint8_t buf[8];
        EXPECT_EQ(simTakeOutput(buf, sizeof buf, 100 + SimSlowDelayMs), 4u);
    }
    {
        simReset(configFor(3, SimFault::Drop, 2));
        EXPECT_EQ(exchange(status).size(), 4u);
        EXPECT_EQ(exchange(status).size(), 4u);
        EXPECT_TRUE(exchange(status, 100, 5000).empty());
    }
    {
        simReset(configFor(3, SimFault::Garbage));
        for (int i = 0; i < 6; ++i) {
            Bytes r = exchange(status);
            ASSERT_FALSE(r.empty());
            EXPECT_NE(r[0], 0x65) << "reply " << i << " starts clean";
        }
    }
}

TEST(SimFaults, NamesParse) {
    const struct {
        const char* name;
        bool ok;
        SimFault fault;
        int drop;
    } cases[] = {
        {"echo", true, SimFault::Echo, 0},     {"silent", true, SimFault::Silent, 0},
        {"badsum", true, SimFault::BadSum, 0}, {"short", true, SimFault::Short, 0},
        {"slow", true, SimFault::Slow, 0},     {"garbage", true, SimFault::Garbage, 0},
        {"drop:7", true, SimFault::Drop, 7},   {"drop:", false, SimFault::None, 0},
        {"drop:x", false, SimFault::None, 0},  {"noise", false, SimFault::None, 0},
    };
    for (const auto& c : cases) {
        SimFault f = SimFault::None;
        int drop = -1;
        EXPECT_EQ(simParseFault(c.name, &f, &drop), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(f, c.fault) << c.name;
            EXPECT_EQ(drop, c.drop) << c.name;
        }
    }
}

TEST(SimFraming, ResyncsAfterJunkAndJoinsSplitFrames) {
    simReset(configFor(3));
    Bytes junkThenStatus = {0x00, 0x65, 0x65, 0x01, 0x01, 0x67};
    EXPECT_EQ(exchange(junkThenStatus).size(), 4u);

    simReceive(readRequest(1).data(), 2, 200);
    EXPECT_EQ(exchange(Bytes{0x01, 0x67}, 210).size(), 4u);

    // a half frame left lying is forgotten, so its rest is junk
    simReceive(readRequest(1).data(), 2, 300);
    EXPECT_TRUE(exchange(Bytes{0x01, 0x67}, 400, 1000).empty());
    EXPECT_EQ(exchange(readRequest(1), 500).size(), 4u);
}

TEST(SimPacing, BytesFollowAtNineSixHundredBaud) {
    SimConfig c = configFor(3);
    c.pace = true;
    simReset(c);
    simReceive(readRequest(1).data(), 4, 100);
    uint8_t buf[8];
    EXPECT_EQ(simTakeOutput(buf, sizeof buf, 100), 0u);
    EXPECT_EQ(simTakeOutput(buf, sizeof buf, 102), 1u);
    EXPECT_EQ(simTakeOutput(buf, sizeof buf, 104), 2u);
    uint32_t next = 0;
    ASSERT_TRUE(simNextRelease(&next));
    EXPECT_EQ(next, 105u);
    EXPECT_EQ(simTakeOutput(buf, sizeof buf, 105), 1u);
}

TEST(SimScenario, EveryLiveFieldMovesOverACycle) {
    simReset(configFor(3));
    std::set<uint8_t> seen[sizeof(LiveBlock)];
    std::set<uint8_t> tank, flagsANibble, flagsALow;
    uint8_t flagsBSeen = 0;
    for (uint32_t t = 0; t <= SimCycleMs; t += 50) {
        simAdvance(t);
        Bytes live = exchange(readRequest(2), t);
        ASSERT_EQ(live.size(), 11u);
        for (size_t i = 0; i < live.size(); ++i) seen[i].insert(live[i]);
        tank.insert(simState().extended.tankLevel);
        flagsANibble.insert(live[7] & 0xF0);
        flagsALow.insert(live[7] & 0x07);
        flagsBSeen |= live[8];
        if (live[6] == 255) {
            EXPECT_EQ(live[7] & 0x08, 0) << "ready while stopped at " << t;
        }
    }
    const size_t moving[] = {1, 2, 3, 5, 6, 7, 8, 9, 10};
    for (size_t i : moving) EXPECT_GT(seen[i].size(), 1u) << "Live byte " << i;
    EXPECT_TRUE(seen[6].count(255)) << "engine never stopped";
    EXPECT_LE(*seen[9].begin(), 65);
    EXPECT_GE(*seen[9].rbegin(), 195);
    EXPECT_EQ(flagsANibble, (std::set<uint8_t>{0x10, 0x20, 0x40, 0x80}));
    EXPECT_EQ(flagsALow, (std::set<uint8_t>{1, 2, 4}));
    EXPECT_EQ(flagsBSeen & 0xCD, 0xCD) << "gas, gas off, cut-off, bits 6 and 7";
    EXPECT_EQ(tank, (std::set<uint8_t>{0, 1, 2, 3, 4}));
}

TEST(SimScenario, TimeOnGasCountsAndIsDeterministic) {
    simReset(configFor(3));
    for (uint32_t t = 0; t <= 3 * SimCycleMs; t += 1000) simAdvance(t);
    TimeOnGas after = {simState().extended.gasHoursLo, simState().extended.gasMinutes};
    EXPECT_GT(after.minutes + 60 * after.hours, 12u * 60 + 34) << "counter didn't move";
    LiveBlock first = simState().live;
    simReset(configFor(3));
    for (uint32_t t = 0; t <= 3 * SimCycleMs; t += 700) simAdvance(t);
    simAdvance(3 * SimCycleMs);
    EXPECT_EQ(std::memcmp(&first, &simState().live, sizeof first), 0);
}

TEST(SimScenario, NoChangeOverWhileColdWithTemperatureFunctionOn) {
    simReset(configFor(3));
    writeProgram(3, Addr::LpgOnTemp, 250, 0);  // never warm enough
    for (uint32_t t = 0; t < SimCycleMs; t += 100) {
        simAdvance(t);
        ASSERT_EQ(simState().live.flagsB & 0x01, 0) << t;
    }
}

TEST(SimLog, FramesFormatAsTimeDirectionAndHex) {
    simReset(configFor(3), 1000);
    exchange(readRequest(1), 2520);
    const std::vector<SimFrame>& log = simFrameLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(formatted(log[0]), "1520 > 65 01 01 67");
    EXPECT_EQ(formatted(log[1]), "1520 < 65 01 45 AB");
    char tiny[12];
    EXPECT_LT(simFormatFrame(log[0], tiny, sizeof tiny), sizeof tiny);
    EXPECT_STREQ(tiny, "1520 > 65");
    simClearLog();
    EXPECT_TRUE(simFrameLog().empty());
}

// ---- the in-process port backend under the real link ----

namespace {

int errorBoxes = 0;
void countErrorBox() { ++errorBoxes; }

class SimPort : public ::testing::Test {
protected:
    void SetUp() override {
        useLinkBackend(&simPortOps);
        resetLinkState();
        linkHooks.error = countErrorBox;
        errorBoxes = 0;
        simPortUseRealTime(false);
    }
    void TearDown() override {
        resetLinkState();
        linkHooks.error = nullptr;
        simPortUseRealTime(true);
    }
    void start(SimConfig c) { simPortSetup(c); }
    bool logHas(char dir, const Bytes& bytes) {
        for (const SimFrame& f : simFrameLog())
            if (f.dir == dir && f.bytes == bytes) return true;
        return false;
    }
};

}  // namespace

TEST_F(SimPort, PollsReadsAndWritesLikeAController) {
    start(configFor(3));
    pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(ControllerGeneration, 3);
    EXPECT_EQ(ControllerVariant, 5);
    readLiveBlock();
    EXPECT_TRUE(LastBlockReadValid);
    readConfigABlock();
    EXPECT_EQ(ConfigA.options, 0x6A);
    readExtendedBlock();
    EXPECT_EQ(std::memcmp(Extended.registration, "SIM 001", 7), 0);

    writeParameter(Addr::Options, 0x2A);
    EXPECT_EQ(BytesTransferred, 3u);
    EXPECT_EQ(WriteReply.value, 0x2A);
    EXPECT_EQ(simState().configA.options, 0x2A);
    EXPECT_TRUE(logHas('>', {0x65, 0x06, 0x2A, 0x95}));
}

TEST_F(SimPort, SlowControllerTimesOutOnTheVirtualClock) {
    start(configFor(3, SimFault::Slow));
    uint32_t t0 = simPortNow();
    for (int i = 0; i < 3; ++i) pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(PollInterval, 1000);
    // the probe and three status reads each waited out 40 x 4 + 100 ms
    EXPECT_EQ(simPortNow() - t0, 4u * 260);
    EXPECT_EQ(errorBoxes, 0);
}

TEST_F(SimPort, PurgeDropsOnlyWhatHasArrived) {
    start(configFor(3, SimFault::Slow));
    pollStatus();  // probe and status both time out; the status reply is late
    EXPECT_EQ(FailureCount, 1);
    simPortAdvanceClock(SimSlowDelayMs - 2 * 260);
    // The late status reply lands in the next read, which doesn't purge
    // first (the unanswered status would hold it: let it go out anyway).
    linkForTests().ControllerQuiet = false;
    readLiveBlock();
    EXPECT_EQ(BytesTransferred, 4u);
    EXPECT_FALSE(LastBlockReadValid);
}

TEST_F(SimPort, EchoingPortIsDetected) {
    start(configFor(3, SimFault::Echo));
    pollStatus();
    EXPECT_TRUE(LinkFailed);
    EXPECT_EQ(errorBoxes, 1);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
}

TEST_F(SimPort, ShortRepliesLeaveStoresAlone) {
    start(configFor(3));
    pollStatus();
    readLiveBlock();
    LiveBlock before = Live;
    simSetFault(SimFault::Short);
    simPortAdvanceClock(5000);
    const uint32_t t0 = simPortNow();
    readLiveBlock();
    EXPECT_FALSE(LastBlockReadValid);
    EXPECT_EQ(std::memcmp(&before, &Live, sizeof Live), 0);
    // the interval time-out ends the short reply, long before 40 x 11 + 100 ms
    EXPECT_EQ(simPortNow() - t0, 200u);
}

TEST_F(SimPort, SecondOpenIsRefusedUntilClosed) {
    start(configFor(3));
    PortId a = simPortOps.open("any");
    ASSERT_NE(a, InvalidPort);
    EXPECT_EQ(simPortOps.open("other"), InvalidPort);
    simPortOps.close(a);
    PortId b = simPortOps.open("other");
    EXPECT_NE(b, InvalidPort);
    simPortOps.close(b);
}
