// Recorded drives: a session recorded through the recording hook plays back
// through the replay backend with the recorded values, at the recording's
// own times, and a replay never passes a write on.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/unit/test_files.h"

#include "link/blocks.h"
#include "link/parameters.h"
#include "link/link.h"
#include "readings/dashboard.h"
#include "sim/replay.h"
#include "sim/sim.h"
#include "link/link_testing.h"

namespace {

class ReplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLinkState();
        simPortUseRealTime(false);
        replayUseRealTime(false);
    }
    void TearDown() override {
        resetLinkState();
        simPortUseRealTime(true);
        replayUseRealTime(true);
    }
    // Plays text back from its start.
    void replay(const char* text) {
        std::string error;
        ASSERT_TRUE(replayLoadText(text, &error)) << error;
        resetLinkState();
        useLinkBackend(&replayPortOps);
    }
};

struct Snapshot {
    LiveBlock live;
    ConfigABlock configA;
};

// Polls the simulated controller as the readings page does, recording, and
// keeps the stores at two moments half a minute apart.
std::string recordDrive(Snapshot* early, Snapshot* late) {
    SimConfig c;
    simPortSetup(c);
    FILE* f = tmpfile();
    recordingStart(&simPortOps, f, "demo", "2026-01-01T00:00:00.000+00:00");
    useLinkBackend(&recordingPortOps);
    for (int tick = 0; tick < 700; ++tick) {
        readingsPollTick();
        if (tick == 8) *early = {Live, ConfigA};
        if (tick == 608) *late = {Live, ConfigA};
        simPortAdvanceClock(50);
    }
    EXPECT_FALSE(recordingFailed());
    const std::string text = streamText(f);
    fclose(f);
    return text;
}

}  // namespace

TEST_F(ReplayTest, RecordedDrivePlaysBackTheRecordedValuesAtTheirTimes) {
    Snapshot early, late;
    const std::string text = recordDrive(&early, &late);
    ASSERT_NE(std::memcmp(&early.live, &late.live, sizeof early.live), 0)
        << "the drive stood still";

    replay(text.c_str());
    // The recorded ticks were 50 ms apart plus their exchange times, so
    // compare at the recorded times of ticks 8 and 608 via the status replies.
    for (int tick = 0; tick <= 608; ++tick) {
        readingsPollTick();
        if (tick == 8) {
            EXPECT_EQ(std::memcmp(&Live, &early.live, sizeof Live), 0) << "tick 8";
            EXPECT_EQ(std::memcmp(&ConfigA, &early.configA, sizeof ConfigA), 0);
        }
        replayAdvanceClock(50);
    }
    EXPECT_EQ(std::memcmp(&Live, &late.live, sizeof Live), 0) << "tick 608";
    EXPECT_EQ(LinkState, LinkStateKind::Up);
}

TEST_F(ReplayTest, EachRequestGetsTheReplyRecordedNearestInTime) {
    replay(
        "# two status replies a second apart\n"
        "100 > 65 01 01 67\n"
        "110 < 65 00 45 AA\n"
        "1100 > 65 01 01 67\n"
        "1105 < 65 00\n"
        "1110 < 65 CA\n");
    struct Case {
        uint32_t at;
        uint8_t identity;
    };
    // Replay time 0 is the first recorded frame (100 ms).
    for (const Case& c : {Case{0, 0x45}, Case{490, 0x45}, Case{510, 0x65}, Case{9000, 0x65}}) {
        resetLinkState();
        useLinkBackend(&replayPortOps);
        replayUseRealTime(true);
        replayUseRealTime(false);  // clock back to 0
        replayAdvanceClock(c.at);
        linkForTests().EchoChecked = true;
        pollStatus();
        EXPECT_EQ(Status.identity, c.identity) << "at " << c.at;
    }
}

TEST_F(ReplayTest, WritesAreRefusedAndNothingIsSent) {
    replay(
        "0 > 65 01 01 67\n"
        "5 < 65 00 45 AA\n"
        "10 > 65 06 2A 95\n"
        "20 < 65 2A 00\n");
    pollStatus();
    ASSERT_EQ(ControllerGeneration, 3);
    writeParameter(Addr::Options, 0x2A);  // recorded, and still refused
    EXPECT_EQ(BytesTransferred, 0u);
    EXPECT_TRUE(replayWriteRefused());
    readLiveBlock();
    EXPECT_FALSE(replayWriteRefused());
}

TEST_F(ReplayTest, BlockFiveOfAGenerationOneDriveIsAWriteAndRefused) {
    replay(
        "0 > 65 01 01 67\n"
        "5 < 65 00 05 6A\n");  // generation 1
    pollStatus();
    ASSERT_EQ(ControllerGeneration, 1);
    readExtendedBlock();
    EXPECT_TRUE(replayWriteRefused());
}

TEST_F(ReplayTest, ARequestRecordedWithoutReplyStaysUnanswered) {
    replay("0 > 65 01 01 67\n");
    for (int i = 0; i < 3; ++i) pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(FailureCount, 0);  // three misses closed the port
}

TEST_F(ReplayTest, BrokenRecordingsAreRefusedNamingTheLine) {
    replay("0 > 65 01 01 67\n5 < 65 00 45 AA\n");
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"", "no recorded frames"},
        {"# only a comment\n", "no recorded frames"},
        {"0 > 65 01 01 67\nten < 65\n", "line 2 is not a recorded frame"},
        {"0 > 65 01 01 6\n", "line 1 is not a recorded frame"},
        {"0 ? 65\n", "line 1 is not a recorded frame"},
        {"99999999999 > 65\n", "line 1 is not a recorded frame"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(replayLoadText(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    // The recording loaded before is still the one played.
    resetLinkState();
    useLinkBackend(&replayPortOps);
    pollStatus();
    EXPECT_EQ(Status.identity, 0x45);
}

TEST_F(ReplayTest, AFileReadInPiecesPlaysAsItsText) {
    Snapshot early, late;
    const std::string text = recordDrive(&early, &late);
    ASSERT_GT(text.size(), 1u << 16) << "fits in one piece";
    FILE* f = tmpfile();
    fputs(text.c_str(), f);
    rewind(f);
    std::string error;
    ASSERT_TRUE(replayLoadFile(f, 1 << 30, &error)) << error;
    fclose(f);
    resetLinkState();
    useLinkBackend(&replayPortOps);
    for (int tick = 0; tick <= 608; ++tick) {
        readingsPollTick();
        if (tick == 8) {
            EXPECT_EQ(std::memcmp(&Live, &early.live, sizeof Live), 0) << "tick 8";
        }
        replayAdvanceClock(50);
    }
    EXPECT_EQ(std::memcmp(&Live, &late.live, sizeof Live), 0) << "tick 608";
}

TEST_F(ReplayTest, BrokenRecordingFilesAreRefusedNamingTheLine) {
    std::string endless = "0 > 65 01 01 67\n5 <";
    for (int i = 0; i < 100000; ++i) endless += " 00";
    struct Case {
        std::string text;
        long long maxBytes;
        const char* error;
    };
    const Case cases[] = {
        {endless + "\n", 1 << 30, "line 2 is not a recorded frame"},
        {endless, 1 << 30, "line 2 is not a recorded frame"},
        {std::string("0 > 65 01 01 67\n5 < 65\0 00\n", 27), 1 << 30,
         "line 2 is not a recorded frame"},
        {"0 > 65 01 01 67\n5 < 65 00 45 AA\n", 20, "too large for a recording"},
    };
    for (const Case& c : cases) {
        FILE* f = tmpfile();
        fwrite(c.text.data(), 1, c.text.size(), f);
        rewind(f);
        std::string error;
        EXPECT_FALSE(replayLoadFile(f, c.maxBytes, &error)) << c.error;
        EXPECT_EQ(error, c.error);
        fclose(f);
    }
}
