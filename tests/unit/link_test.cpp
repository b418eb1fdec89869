// The controller link against the scripted port: opening, echo detection,
// supervision, block reads, writes and the exact calls made on the port.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/port_search.h"
#include "link/link_testing.h"
#include "scripted_port.h"

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using scripted::Call;

namespace {

int hookCalls = 0;
bool linkFailedInHook = false;
void countingHook() {
    ++hookCalls;
    linkFailedInHook = LinkFailed;
}

// n-byte block: lead 'e', given payload (zero-filled), then the checksum.
Bytes validBlock(size_t n, const Bytes& payload = {}) {
    Bytes b(n, 0);
    b[0] = 0x65;
    for (size_t i = 0; i < payload.size() && i + 1 < n - 1; ++i) b[i + 1] = payload[i];
    b[n - 1] = byteSum(b.data(), n - 1);
    return b;
}
Bytes statusReply(uint8_t identity) { return validBlock(4, {0x00, identity}); }

const Bytes ProbeFrame = {0x0B, 0x01, 0x01, 0x0D};
const Bytes StatusFrame = {0x65, 0x01, 0x01, 0x67};

template <typename Block>
Bytes storeBytes(const Block& b) {
    return Bytes(blockBytes(b), blockBytes(b) + sizeof b);
}

template <typename Block>
void fillStore(Block& b, uint8_t v) {
    memset(&b, v, sizeof b);
}

}  // namespace

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedPort = LinkPort;
        useLinkBackend(&scriptedPortOps);
        scripted::reset();
        resetLinkState();
        scripted::clearLog();
        hookCalls = 0;
        linkFailedInHook = false;
        linkHooks.error = countingHook;
    }
    void TearDown() override {
        linkHooks.error = nullptr;
        resetLinkState();
        useLinkBackend(savedPort);
    }
    // First poll after selection: the probe gets no answer, the status does.
    void bringUp(uint8_t identity) {
        scripted::queueSilence();
        scripted::queueReply(statusReply(identity));
        pollStatus();
        ASSERT_EQ(LinkState, LinkStateKind::Up);
        scripted::clearLog();
    }
    const PortOps* savedPort = nullptr;
};

class LinkOpen : public LinkFixture {};
class LinkEcho : public LinkFixture {};
class LinkSupervision : public LinkFixture {};
class LinkWrite : public LinkFixture {};
class LinkSelect : public LinkFixture {};
class BlockRead : public LinkFixture {};

// ---- opening ----

TEST_F(LinkOpen, AppliesExactSettingsThenTimeoutsToTheOpenedHandle) {
    openPort();
    const auto& log = scripted::log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].call, Call::Open);
    EXPECT_EQ(log[0].path, "\\\\.\\COM1");
    EXPECT_EQ(log[1].call, Call::Settings);
    EXPECT_EQ(log[2].call, Call::Timeouts);
    EXPECT_EQ(log[1].handle, log[0].handle);
    EXPECT_EQ(log[2].handle, log[0].handle);

    const PortSettings& s = log[1].settings;
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.flags, 0x00000200u);
    EXPECT_EQ(s.byteSize, 8);
    EXPECT_EQ(s.parity, 0);
    EXPECT_EQ(s.stopBits, 0);
    EXPECT_EQ(s.xonLim, 0);
    EXPECT_EQ(s.xoffLim, 0);
    EXPECT_EQ(s.xonChar, 0);
    EXPECT_EQ(s.xoffChar, 0);
    EXPECT_EQ(s.errorChar, 0);
    EXPECT_EQ(s.eofChar, 0);
    EXPECT_EQ(s.evtChar, 0);
    EXPECT_EQ(s.structLength, 0u);

    const PortTimeouts& t = log[2].timeouts;
    EXPECT_EQ(t.readInterval, 200u);
    EXPECT_EQ(t.readTotalMultiplier, 40u);
    EXPECT_EQ(t.readTotalConstant, 100u);
    EXPECT_EQ(t.writeTotalMultiplier, 40u);
    EXPECT_EQ(t.writeTotalConstant, 100u);

    EXPECT_TRUE(PortOpen);
    EXPECT_FALSE(LinkFailed);
    EXPECT_EQ(hookCalls, 0);
}

TEST_F(LinkOpen, FailedOpenIsNotReportedNorRetriedBeforeAClose) {
    scripted::setOpenFails(true);
    openPort();
    EXPECT_FALSE(PortOpen);
    EXPECT_TRUE(Link.OpenTried);
    EXPECT_EQ(PortHandle, InvalidPort);
    EXPECT_FALSE(LinkFailed);
    EXPECT_EQ(hookCalls, 0);
    // Settings and time-outs are still tried, and fail.
    EXPECT_EQ(scripted::trace(), (Lines{"open \\\\.\\COM1", "settings", "timeouts"}));
    EXPECT_FALSE(scripted::log()[1].ok);
    EXPECT_FALSE(scripted::log()[2].ok);
    // The exchanges go to the invalid handle, without a second open.
    readLiveBlock();
    writeParameter(5, 1);
    EXPECT_EQ(scripted::count(Call::Open), 1u);
}

TEST_F(LinkOpen, FailedOpenCountsThreeMissesThenClosesAndRetries) {
    scripted::setOpenFails(true);
    for (int i = 0; i < 3; ++i) pollStatus();
    EXPECT_FALSE(PortOpen);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(PollInterval, 1000);
    EXPECT_EQ(scripted::count(Call::Open), 1u);
    EXPECT_EQ(scripted::count(Call::Close), 0u);  // nothing real to close
    pollStatus();
    EXPECT_EQ(scripted::count(Call::Open), 2u);
    EXPECT_EQ(hookCalls, 0);
}

struct OpenDurationCase {
    uint32_t clockStart;
    uint32_t duration;
    bool fails;
};

void PrintTo(const OpenDurationCase& c, std::ostream* os) {
    *os << "open of " << c.duration << " ms from tick " << c.clockStart;
}

class LinkOpenDuration : public LinkFixture,
                         public ::testing::WithParamInterface<OpenDurationCase> {};

TEST_P(LinkOpenDuration, OpenTakingMoreThan3000msFailsTheLink) {
    const OpenDurationCase c = GetParam();
    scripted::advanceClock(c.clockStart);
    scripted::setOpenDuration(c.duration);
    openPort();
    EXPECT_EQ(LinkFailed, c.fails);
    EXPECT_EQ(hookCalls, c.fails ? 1 : 0);
    EXPECT_EQ(PortOpen, !c.fails);
    if (c.fails) {
        EXPECT_TRUE(linkFailedInHook);
        // Closed first, then settings and time-outs go to the dead handle.
        EXPECT_EQ(scripted::trace(), (Lines{"open \\\\.\\COM1", "close", "settings", "timeouts"}));
        EXPECT_FALSE(scripted::log()[2].ok);
    }
}

INSTANTIATE_TEST_SUITE_P(LinkOpen, LinkOpenDuration,
                         ::testing::Values(OpenDurationCase{0, 0, false},
                                           OpenDurationCase{0, 3000, false},
                                           OpenDurationCase{0, 3001, true},
                                           OpenDurationCase{1000, 10000, true},
                                           // tick counter wraps during the open
                                           OpenDurationCase{0xFFFFFF00u, 0x200, false},
                                           OpenDurationCase{0xFFFFFF00u, 3001, true}));

TEST_F(LinkOpen, SlowOpenStopsFurtherOpenAttemptsUntilSelection) {
    scripted::setOpenDuration(3500);
    pollStatus();
    EXPECT_TRUE(LinkFailed);
    EXPECT_EQ(hookCalls, 1);
    EXPECT_FALSE(PortOpen);
    EXPECT_EQ(scripted::count(Call::Close), 1u);
    for (int i = 0; i < 5; ++i) pollStatus();
    EXPECT_EQ(scripted::count(Call::Open), 1u);
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_TRUE(scripted::framesWritten().empty());

    scripted::setOpenDuration(0);
    selectPort("\\\\.\\COM2", 2);
    scripted::queueSilence();
    scripted::queueReply(statusReply(0x40));
    pollStatus();
    EXPECT_EQ(scripted::count(Call::Open), 2u);
    EXPECT_EQ(LinkState, LinkStateKind::Up);
}

TEST_F(LinkOpen, ClosePortClosesOnlyAnOpenPort) {
    closePort();
    EXPECT_EQ(scripted::count(Call::Close), 0u);
    openPort();
    closePort();
    EXPECT_FALSE(PortOpen);
    EXPECT_EQ(PortHandle, InvalidPort);
    EXPECT_EQ(scripted::count(Call::Close), 1u);
    closePort();
    EXPECT_EQ(scripted::count(Call::Close), 1u);
}

// ---- echo probe ----

TEST_F(LinkEcho, FirstPollSendsProbeThenStatusWithPurgesTxThenRx) {
    scripted::queueSilence();
    scripted::queueReply(statusReply(0x45));
    pollStatus();
    EXPECT_EQ(scripted::trace(), (Lines{
                                     "open \\\\.\\COM1",
                                     "settings",
                                     "timeouts",
                                     "purge 4",
                                     "purge 8",
                                     "write 0B 01 01 0D",
                                     "read 4",
                                     "write 65 01 01 67",
                                     "read 4 -> 65 00 45 AA",
                                 }));
    EXPECT_TRUE(EchoChecked);
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(BytesTransferred, 4u);
    EXPECT_EQ(storeBytes(Status), statusReply(0x45));

    // The probe is made once per selection.
    scripted::clearLog();
    scripted::queueReply(statusReply(0x45));
    pollStatus();
    EXPECT_EQ(scripted::trace(),
              (Lines{"purge 4", "purge 8", "write 65 01 01 67", "read 4 -> 65 00 45 AA"}));
}

TEST_F(LinkEcho, EchoingPortFailsLinkOnceUntilNewSelection) {
    scripted::queueReply(ProbeFrame);
    pollStatus();
    EXPECT_EQ(hookCalls, 1);
    EXPECT_TRUE(linkFailedInHook);
    EXPECT_TRUE(LinkFailed);
    EXPECT_FALSE(EchoChecked);
    EXPECT_FALSE(PortOpen);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    // The status step then runs on the closed handle and counts one miss.
    EXPECT_EQ(FailureCount, 1);
    EXPECT_EQ(BytesTransferred, 0u);
    EXPECT_EQ(scripted::trace(), (Lines{
                                     "open \\\\.\\COM1",
                                     "settings",
                                     "timeouts",
                                     "purge 4",
                                     "purge 8",
                                     "write 0B 01 01 0D",
                                     "read 4 -> 0B 01 01 0D",
                                     "purge 4",
                                     "purge 8",
                                     "close",
                                     "write 65 01 01 67",
                                     "purge 8",
                                 }));
    EXPECT_FALSE(scripted::log()[10].ok);  // nothing sent on the closed handle

    for (int i = 0; i < 6; ++i) pollStatus();
    EXPECT_EQ(scripted::count(Call::Open), 1u);
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(scripted::framesWritten().size(), 1u);  // only the probe went out

    selectPort("\\\\.\\COM7", 7);
    EXPECT_FALSE(LinkFailed);
    EXPECT_FALSE(EchoChecked);
    scripted::clearLog();
    scripted::queueSilence();
    scripted::queueReply(statusReply(0x20));
    pollStatus();
    ASSERT_GE(scripted::log().size(), 1u);
    EXPECT_EQ(scripted::log()[0].path, "\\\\.\\COM7");
    EXPECT_EQ(scripted::framesWritten(), (std::vector<Bytes>{ProbeFrame, StatusFrame}));
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(hookCalls, 1);
}

TEST_F(LinkEcho, PartialOrDifferentProbeAnswerIsNoEcho) {
    const std::vector<Bytes> answers = {
        {},
        {0x0B, 0x01, 0x01},
        {0x0B, 0x01, 0x01, 0x0E},
        {0x65, 0x00, 0x00, 0x65},
    };
    for (const Bytes& a : answers) {
        SCOPED_TRACE(::testing::PrintToString(a));
        selectPort("\\\\.\\COM1", 1);
        scripted::queueReply(a);
        scripted::queueReply(statusReply(0));
        pollStatus();
        EXPECT_TRUE(EchoChecked);
        EXPECT_FALSE(LinkFailed);
        EXPECT_EQ(hookCalls, 0);
        EXPECT_EQ(LinkState, LinkStateKind::Up);
    }
}

TEST_F(LinkEcho, ProbeWriteFailureCountsAsChecked) {
    scripted::setWriteFails(true);
    pollStatus();
    EXPECT_TRUE(EchoChecked);
    EXPECT_FALSE(LinkFailed);
    EXPECT_EQ(scripted::count(Call::Read), 0u);
    EXPECT_EQ(FailureCount, 1);
}

// ---- supervision ----

struct MissCase {
    const char* name;
    Bytes reply;
};

TEST_F(LinkSupervision, ThreeMissingRepliesTakeLinkDown) {
    const std::vector<MissCase> misses = {
        {"silence", {}},
        {"zero bytes", {0x00, 0x00, 0x00, 0x00}},
        {"wrong lead with good sum", {0x66, 0x00, 0x00, 0x66}},
        {"short without lead", {0x01}},
    };
    for (const MissCase& m : misses) {
        SCOPED_TRACE(m.name);
        resetLinkState();
        bringUp(0x40);
        fillStore(blockStores().Live, 0x11);
        fillStore(blockStores().ConfigA, 0x22);
        fillStore(blockStores().ConfigB, 0x33);
        fillStore(blockStores().Extended, 0x44);
        fillStore(blockStores().WriteReply, 0x55);

        for (int i = 1; i <= 2; ++i) {
            scripted::queueReply(m.reply);
            pollStatus();
            EXPECT_EQ(FailureCount, i);
            EXPECT_EQ(LinkState, LinkStateKind::Up);
            EXPECT_TRUE(PortOpen);
            EXPECT_EQ(PollInterval, 50);
        }
        scripted::clearLog();
        scripted::queueReply(m.reply);
        pollStatus();
        EXPECT_EQ(LinkState, LinkStateKind::Down);
        EXPECT_EQ(FailureCount, 0);
        EXPECT_EQ(PollInterval, 1000);
        EXPECT_FALSE(PortOpen);
        EXPECT_EQ(storeBytes(Status), Bytes(4, 0));
        EXPECT_EQ(storeBytes(Live), Bytes(11, 0));
        EXPECT_EQ(storeBytes(ConfigA), Bytes(14, 0));
        EXPECT_EQ(storeBytes(ConfigB), Bytes(16, 0));
        EXPECT_EQ(storeBytes(Extended), Bytes(21, 0));
        EXPECT_EQ(storeBytes(WriteReply), Bytes(3, 0x55));
        EXPECT_EQ(ControllerGeneration, 1);
        // Tail of the third poll: receive, then transmit purged, then closed.
        Lines t = scripted::trace();
        ASSERT_GE(t.size(), 3u);
        EXPECT_EQ(Lines(t.end() - 3, t.end()), (Lines{"purge 8", "purge 4", "close"}));
        EXPECT_EQ(hookCalls, 0);
    }
}

TEST_F(LinkSupervision, TwoMissesThenValidReplyResetsCount) {
    bringUp(0x00);
    scripted::queueSilence();
    pollStatus();
    scripted::queueSilence();
    pollStatus();
    EXPECT_EQ(FailureCount, 2);
    scripted::queueReply(statusReply(0x00));
    pollStatus();
    EXPECT_EQ(FailureCount, 0);
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(PollInterval, 50);
    EXPECT_TRUE(PortOpen);
    EXPECT_EQ(scripted::count(Call::Close), 0u);
}

TEST_F(LinkSupervision, ShortStatusWithLeadPurgesTwiceAndCloses) {
    bringUp(0x00);
    scripted::queueReply({0x65, 0x00});
    pollStatus();
    EXPECT_EQ(BytesTransferred, 2u);
    // Lead 'e' but a zero checksum byte: short purge, then bad-sum purge and close.
    EXPECT_EQ(scripted::trace(), (Lines{"purge 4", "purge 8", "write 65 01 01 67",
                                        "read 4 -> 65 00", "purge 8", "purge 8", "close"}));
}

TEST_F(LinkSupervision, LinkComesBackAfterLossAtFastInterval) {
    bringUp(0x40);
    for (int i = 0; i < 3; ++i) pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Down);
    ASSERT_EQ(PollInterval, 1000);
    scripted::clearLog();
    scripted::queueReply(statusReply(0x40));
    pollStatus();
    // Reopened, and no second probe for the same selection.
    EXPECT_EQ(scripted::count(Call::Open), 1u);
    EXPECT_EQ(scripted::framesWritten(), (std::vector<Bytes>{StatusFrame}));
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(PollInterval, 50);
}

TEST_F(LinkSupervision, BadChecksumStatusClosesPortWithoutCounting) {
    bringUp(0x40);
    scripted::queueSilence();
    pollStatus();
    ASSERT_EQ(FailureCount, 1);
    const Bytes before = storeBytes(Status);
    scripted::clearLog();

    scripted::queueReply({0x65, 0x00, 0x41, 0x00});
    pollStatus();
    EXPECT_FALSE(PortOpen);
    EXPECT_EQ(FailureCount, 1);
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    EXPECT_EQ(PollInterval, 50);
    EXPECT_EQ(storeBytes(Status), before);
    EXPECT_EQ(scripted::trace(), (Lines{"purge 4", "purge 8", "write 65 01 01 67",
                                        "read 4 -> 65 00 41 00", "purge 8", "close"}));

    scripted::clearLog();
    scripted::queueReply(statusReply(0x41));
    pollStatus();
    EXPECT_EQ(scripted::count(Call::Open), 1u);
    EXPECT_EQ(FailureCount, 0);
    EXPECT_EQ(Status.identity, 0x41);
}

// Replies that came but failed their checks are counted until a valid one;
// silence is not counted, and a fresh selection starts the count over.
TEST_F(LinkSupervision, GarbledRepliesAreCountedUntilAValidOne) {
    struct Step {
        const char* name;
        Bytes reply;
        int garbled;
    };
    const Step steps[] = {
        {"bad checksum", {0x65, 0x00, 0x41, 0x00}, 1},
        {"silence", {}, 1},
        {"junk without lead", {0x13, 0x37, 0x00, 0x01}, 2},
        {"valid", statusReply(0x41), 0},
        {"short with lead", {0x65, 0x00}, 1},
    };
    bringUp(0x41);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.reply.empty())
            scripted::queueSilence();
        else
            scripted::queueReply(s.reply);
        pollStatus();
        EXPECT_EQ(GarbledReplies, s.garbled);
    }
    scripted::queueReply(validBlock(11));
    readLiveBlock();
    EXPECT_EQ(GarbledReplies, 0);
    scripted::queueReply({0x65, 0x01, 0x02});
    readLiveBlock();
    EXPECT_EQ(GarbledReplies, 1);
    selectPort("\\\\.\\COM2", 2);
    EXPECT_EQ(GarbledReplies, 0);
}

TEST_F(LinkSupervision, EveryPollDecodesGenerationAndVariantFromTheIdentity) {
    struct Case {
        uint8_t identity;
        int generation, variant;
    };
    const Case cases[] = {{0x00, 1, 0},  {0x05, 1, 5}, {0x20, 2, 0}, {0x45, 3, 5},
                          {0x5F, 3, 31}, {0x60, 4, 0}, {0xE0, 8, 0}, {0xFF, 8, 31}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.identity));
        resetLinkState();
        bringUp(c.identity);
        EXPECT_EQ(generationOf(c.identity), c.generation);
        EXPECT_EQ(ControllerGeneration, c.generation);
        EXPECT_EQ(ControllerVariant, c.variant);
    }
}

// ---- block reads ----

struct BlockReplyCase {
    const char* name;
    Bytes reply;    // what the port returns for the 11-byte Live read
    bool replaced;  // store takes the (zero-padded) reply
    Lines trace;    // calls after the request frame went out
};

TEST_F(BlockRead, LiveReplyReplacesOrKeepsStoreWithItsPurges) {
    const Bytes valid = validBlock(11, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    Bytes badSum = valid;
    badSum[10] ^= 0xFF;
    Bytes wrongLead = valid;
    wrongLead[0] = 0x66;
    wrongLead[10] = byteSum(wrongLead.data(), 10);
    // Ten bytes whose zero padding still makes a valid block.
    const Bytes shortButValid = {0x65, 0x9B, 0, 0, 0, 0, 0, 0, 0, 0};

    const std::vector<BlockReplyCase> cases = {
        {"valid", valid, true, {"read 11 -> 65 01 02 03 04 05 06 07 08 09 92"}},
        {"short", {0x65, 0x01, 0x02}, false, {"read 11 -> 65 01 02", "purge 8", "purge 8"}},
        {"short, padding passes",
         shortButValid,
         true,
         {"read 11 -> 65 9B 00 00 00 00 00 00 00 00", "purge 8"}},
        {"bad checksum", badSum, false, {"read 11 -> 65 01 02 03 04 05 06 07 08 09 6D", "purge 8"}},
        {"wrong lead", wrongLead, false, {"read 11 -> 66 01 02 03 04 05 06 07 08 09 93"}},
        {"silence", {}, false, {"read 11", "purge 8"}},
    };
    for (const BlockReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        bringUp(0x40);
        fillStore(blockStores().Live, 0x77);
        scripted::queueReply(c.reply);
        readLiveBlock();

        Bytes expected = c.replaced ? c.reply : Bytes(11, 0x77);
        if (c.replaced) expected.resize(11, 0);
        EXPECT_EQ(storeBytes(Live), expected);
        EXPECT_EQ(LastBlockReadValid, c.replaced);
        EXPECT_EQ(BytesTransferred, c.reply.size());

        Lines want = {"purge 4", "write 65 02 02 69"};
        want.insert(want.end(), c.trace.begin(), c.trace.end());
        EXPECT_EQ(scripted::trace(), want);
        // Block reads never supervise the link.
        EXPECT_EQ(LinkState, LinkStateKind::Up);
        EXPECT_EQ(FailureCount, 0);
        EXPECT_EQ(PollInterval, 50);
        EXPECT_TRUE(PortOpen);
        resetLinkState();
    }
}

TEST_F(BlockRead, RefusedRequestPurgesReceiveAndKeepsStore) {
    bringUp(0x40);
    fillStore(blockStores().ConfigB, 0x31);
    linkForTests().BytesTransferred = 99;
    scripted::setWriteFails(true);
    readConfigBBlock();
    EXPECT_EQ(BytesTransferred, 0u);
    EXPECT_FALSE(LastBlockReadValid);
    EXPECT_EQ(storeBytes(ConfigB), Bytes(16, 0x31));
    EXPECT_EQ(scripted::trace(), (Lines{"purge 4", "write 65 04 04 6D", "purge 8"}));
}

TEST_F(BlockRead, EachReadSendsItsRequestAndFillsItsStore) {
    struct Case {
        void (*read)();
        Bytes request;
        size_t length;
        Bytes (*store)();
    };
    const Case cases[] = {
        {readLiveBlock, {0x65, 0x02, 0x02, 0x69}, 11, [] { return storeBytes(Live); }},
        {readConfigABlock, {0x65, 0x03, 0x03, 0x6B}, 14, [] { return storeBytes(ConfigA); }},
        {readConfigBBlock, {0x65, 0x04, 0x04, 0x6D}, 16, [] { return storeBytes(ConfigB); }},
        {readExtendedBlock, {0x65, 0x05, 0x05, 0x6F}, 21, [] { return storeBytes(Extended); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        bringUp(0x40);
        Bytes payload;
        for (size_t i = 0; i + 2 < c.length; ++i) payload.push_back(static_cast<uint8_t>(0x10 + i));
        const Bytes reply = validBlock(c.length, payload);
        scripted::queueReply(reply);
        c.read();
        EXPECT_EQ(scripted::framesWritten(), (std::vector<Bytes>{c.request}));
        ASSERT_EQ(scripted::log().back().call, Call::Read);
        EXPECT_EQ(scripted::log().back().value, c.length);
        EXPECT_EQ(c.store(), reply);
        EXPECT_TRUE(LastBlockReadValid);
        resetLinkState();
    }
}

TEST_F(BlockRead, ValidityFollowsTheRepliesAndIsLostWithTheLink) {
    struct Case {
        void (*read)();
        size_t length;
        bool* valid;
    };
    const Case cases[] = {
        {readLiveBlock, 11, &blockStores().LiveValid},
        {readConfigABlock, 14, &blockStores().ConfigAValid},
        {readConfigBBlock, 16, &blockStores().ConfigBValid},
        {readExtendedBlock, 21, &blockStores().ExtendedValid},
    };
    bringUp(0x40);
    EXPECT_TRUE(StatusValid);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        Bytes bad = validBlock(c.length, Bytes(c.length - 2, 1));
        bad.back() ^= 1;
        scripted::queueReply(bad);
        c.read();
        EXPECT_FALSE(*c.valid) << "a garbled first reply";
        scripted::queueReply(validBlock(c.length, Bytes(c.length - 2, 1)));
        c.read();
        EXPECT_TRUE(*c.valid);
        scripted::queueSilence();
        c.read();
        EXPECT_TRUE(*c.valid) << "a failed read keeps the valid bytes it had";
        scripted::queueReply(statusReply(0x40));
        pollStatus();  // the next tick
    }
    selectPort("\\\\.\\COM2", 2);
    for (const Case& c : cases) EXPECT_FALSE(*c.valid) << "another port, another controller";
    EXPECT_FALSE(StatusValid);

    bringUp(0x40);
    for (const Case& c : cases) {
        scripted::queueReply(validBlock(c.length, Bytes(c.length - 2, 1)));
        c.read();
    }
    for (int i = 0; i < 3; ++i) {
        scripted::queueSilence();
        pollStatus();
    }
    ASSERT_EQ(LinkState, LinkStateKind::Down);
    for (const Case& c : cases) EXPECT_FALSE(*c.valid) << "zeroed by the link loss";
    EXPECT_FALSE(StatusValid);
}

TEST_F(BlockRead, ASilentReadHoldsTheOtherReadsOfTheTickUntilTheNextPoll) {
    bringUp(0x40);
    scripted::queueSilence();
    readLiveBlock();
    EXPECT_TRUE(ControllerQuiet);
    scripted::clearLog();
    readConfigABlock();
    readConfigBBlock();
    readExtendedBlock();
    EXPECT_TRUE(scripted::framesWritten().empty()) << "each would wait out its time-out";
    EXPECT_FALSE(LastBlockReadValid);
    EXPECT_EQ(BytesTransferred, 0u);

    // A garbled reply is an answer: the next read still goes out.
    scripted::queueReply(statusReply(0x40));
    pollStatus();
    EXPECT_FALSE(ControllerQuiet);
    scripted::queueReply({0x65, 0x01});
    readLiveBlock();
    EXPECT_FALSE(ControllerQuiet);
    scripted::clearLog();
    scripted::queueReply(validBlock(14, Bytes(12, 3)));
    readConfigABlock();
    EXPECT_EQ(scripted::framesWritten().size(), 1u);
    EXPECT_TRUE(LastBlockReadValid);
}

TEST_F(BlockRead, OpensAClosedPortFirst) {
    scripted::queueReply(validBlock(14));
    readConfigABlock();
    EXPECT_EQ(scripted::trace(),
              (Lines{"open \\\\.\\COM1", "settings", "timeouts", "purge 4", "write 65 03 03 6B",
                     "read 14 -> 65 00 00 00 00 00 00 00 00 00 00 00 00 65"}));
    EXPECT_TRUE(LastBlockReadValid);
}

TEST_F(BlockRead, RequestFramesTableInOrder) {
    const Bytes expected[6] = {{0x65, 0x01, 0x01, 0x67}, {0x65, 0x02, 0x02, 0x69},
                               {0x65, 0x03, 0x03, 0x6B}, {0x65, 0x04, 0x04, 0x6D},
                               {0x65, 0x05, 0x05, 0x6F}, {0x0B, 0x01, 0x01, 0x0D}};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Bytes(RequestFrames[i], RequestFrames[i] + 4), expected[i]) << i;
}

// ---- writes ----

TEST_F(LinkWrite, FramesPerGeneration) {
    struct Case {
        uint8_t identity;
        int address;
        int value;
        Bytes frame;
    };
    const Case cases[] = {
        {0x00, 5, 0x00, {0x65, 0x05, 0x00, 0x6A}},
        {0x00, 5, 0x10, {0x65, 0x05, 0x10, 0x7A}},
        {0x1F, 5, 0x96, {0x65, 0x05, 0x96, 0x00}},
        {0x00, 5, 0xFF, {0x65, 0x05, 0xFF, 0x69}},
        {0x40, 5, 0x00, {0x65, 0x06, 0x00, 0x6B}},
        {0x45, 5, 0x10, {0x65, 0x06, 0x10, 0x7B}},
        {0x40, 5, 0x95, {0x65, 0x06, 0x95, 0x00}},
        {0x5F, 5, 0xFF, {0x65, 0x06, 0xFF, 0x6A}},
        {0x40, 30, 51, {0x65, 31, 51, 0x65 + 31 + 51}},
        {0x00, 30, 51, {0x65, 30, 51, 0x65 + 30 + 51}},
        // only the low 8 bits of the value go out
        {0x00, 21, 0x14C, {0x65, 21, 0x4C, static_cast<uint8_t>(0x65 + 21 + 0x4C)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.frame));
        bringUp(c.identity);
        scripted::queueReply({0x65, static_cast<uint8_t>(c.value), 0x00});
        writeParameter(c.address, c.value);
        EXPECT_EQ(scripted::framesWritten(), (std::vector<Bytes>{c.frame}));
        EXPECT_EQ(BytesTransferred, 3u);
        EXPECT_EQ(WriteReply.value, static_cast<uint8_t>(c.value));
        resetLinkState();
    }
}

TEST_F(LinkWrite, OtherGenerationsSendNothingAndConfirmNothing) {
    for (int gen : {2, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE(gen);
        bringUp(static_cast<uint8_t>((gen - 1) * 32 + 3));
        linkForTests().BytesTransferred = 3;
        blockStores().WriteReply = WriteReplyBlock{1, 2, 3};
        writeParameter(5, 7);
        EXPECT_TRUE(scripted::log().empty());
        // A stale count would read as a confirmed write.
        EXPECT_EQ(BytesTransferred, 0u);
        EXPECT_EQ(storeBytes(WriteReply), (Bytes{1, 2, 3}));
        EXPECT_EQ(ControllerGeneration, gen);
        resetLinkState();
    }
}

TEST_F(LinkWrite, PurgesRxThenTxAndSleepsTheReplyDelay) {
    bringUp(0x40);
    linkForTests().WriteReplyDelay = 250;
    const uint32_t t0 = scripted::now();
    scripted::queueReply({0x65, 0x33, 0x00});
    writeParameter(30, 51);
    EXPECT_EQ(scripted::trace(), (Lines{"purge 8", "purge 4", "write 65 1F 33 B7", "sleep 250",
                                        "read 3 -> 65 33 00", "purge 8"}));
    EXPECT_EQ(scripted::now() - t0, 250u);
    EXPECT_EQ(WriteReply.value, 0x33);
}

TEST_F(LinkWrite, SleepsEvenWhenTheWriteFails) {
    bringUp(0x00);
    linkForTests().BytesTransferred = 3;
    scripted::setWriteFails(true);
    writeParameter(5, 1);
    EXPECT_EQ(scripted::trace(),
              (Lines{"purge 8", "purge 4", "write 65 05 01 6B", "sleep 0", "purge 8"}));
    EXPECT_EQ(BytesTransferred, 0u);  // the refused write itself moved 0 bytes
}

TEST_F(LinkWrite, ShortReplyLeavesOldBytesAfterTheNewOnes) {
    struct Case {
        Bytes reply;
        Bytes store;
        uint32_t count;
    };
    const Case cases[] = {
        {{}, {0xA1, 0xA2, 0xA3}, 0},
        {{0x11}, {0x11, 0xA2, 0xA3}, 1},
        {{0x11, 0x22}, {0x11, 0x22, 0xA3}, 2},
        {{0x11, 0x22, 0x33}, {0x11, 0x22, 0x33}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        bringUp(0x00);
        blockStores().WriteReply = WriteReplyBlock{0xA1, 0xA2, 0xA3};
        scripted::queueReply(c.reply);
        writeParameter(5, 1);
        EXPECT_EQ(storeBytes(WriteReply), c.store);
        EXPECT_EQ(BytesTransferred, c.count);
        resetLinkState();
    }
}

TEST_F(LinkWrite, OpensAClosedPortBeforeWriting) {
    blockStores().Status.identity = 0x40;  // generation 3 but never polled
    writeParameter(33, 0x80);
    Lines t = scripted::trace();
    ASSERT_GE(t.size(), 6u);
    EXPECT_EQ(Lines(t.begin(), t.begin() + 6), (Lines{"open \\\\.\\COM1", "settings", "timeouts",
                                                      "purge 8", "purge 4", "write 65 22 80 07"}));
}

// ---- selection and reset ----

TEST_F(LinkSelect, SelectionClosesThenSetsPathAndClearsFlags) {
    bringUp(0x40);
    linkForTests().LinkFailed = true;
    linkForTests().EchoChecked = true;
    selectPort("\\\\.\\COM12", 12);
    EXPECT_EQ(scripted::trace(), (Lines{"close"}));
    EXPECT_FALSE(PortOpen);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM12");
    EXPECT_EQ(CommPort, 12);
    EXPECT_FALSE(LinkFailed);
    EXPECT_FALSE(EchoChecked);
}

// Device paths as long as the system allows are kept whole; a longer one
// is refused and the selection stays as it was.
TEST_F(LinkSelect, LongPathsAreKeptWholeOrRefusedNeverCut) {
    selectPort("\\\\.\\COM3", 3);
    const std::string longest = "/dev/serial/by-id/" + std::string(PortPathCapacity - 19, 'x');
    for (size_t length : {size_t(64), size_t(300), longest.size()}) {
        const std::string path = longest.substr(0, length);
        EXPECT_TRUE(selectPort(path.c_str(), 0)) << length;
        EXPECT_EQ(std::string(SelectedPortPath), path) << length;
    }
    scripted::clearLog();
    pollStatus();
    ASSERT_FALSE(scripted::log().empty());
    EXPECT_EQ(scripted::log()[0].path, longest);

    selectPort("\\\\.\\COM3", 3);
    EXPECT_FALSE(selectPort((longest + "y").c_str(), 4));
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM3");
    EXPECT_EQ(CommPort, 3);
}

TEST_F(LinkSelect, ResetGivesStartUpValues) {
    bringUp(0x45);
    fillStore(blockStores().Live, 1);
    fillStore(blockStores().WriteReply, 2);
    linkForTests().PollInterval = 1000;
    linkForTests().WriteReplyDelay = 250;
    selectPort("\\\\.\\COM3", 3);
    resetLinkState();
    EXPECT_EQ(PortHandle, InvalidPort);
    EXPECT_FALSE(PortOpen);
    EXPECT_FALSE(LinkFailed);
    EXPECT_FALSE(EchoChecked);
    EXPECT_EQ(FailureCount, 0);
    EXPECT_EQ(LinkState, LinkStateKind::Down);
    EXPECT_EQ(PollInterval, 50);
    EXPECT_EQ(WriteReplyDelay, 0);
    EXPECT_EQ(BytesTransferred, 0u);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM1");
    EXPECT_EQ(strlen(SelectedPortPath), 8u);  // \\.\COM1
    EXPECT_EQ(CommPort, 0);
    EXPECT_EQ(ControllerGeneration, 0);
    EXPECT_EQ(ControllerVariant, 0);
    EXPECT_EQ(storeBytes(Status), Bytes(4, 0));
    EXPECT_EQ(storeBytes(Live), Bytes(11, 0));
    EXPECT_EQ(storeBytes(WriteReply), Bytes(3, 0));
}

// A write built before the new port's controller has answered would carry
// the old controller's generation (its address shift): nothing goes out
// until the status request there has been answered, whatever changed the port.
TEST_F(LinkSelect, NoWriteGoesOutUntilTheNewPortsControllerAnswers) {
    struct Way {
        const char* name;
        void (*change)();
        bool probes;  // a new selection sends the echo probe first
    };
    const Way ways[] = {
        {"port menu", [] { selectPort("\\\\.\\COM2", 2); }, true},
        {"port search list", [] { portSearchChoose(1); }, true},
        {"port search Ok",
         [] {
             portSearchOpen();
             portSearchKeep(1);
         },
         false},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        bringUp(0x40);  // generation 3: address 5 goes out as 6
        w.change();
        linkForTests().BytesTransferred = 3;
        writeParameter(5, 7);
        EXPECT_EQ(BytesTransferred, 0u);  // the caller sees no confirmation
        // Nobody there yet, then a garbled reply: still no write.
        if (w.probes) scripted::queueSilence();
        scripted::queueSilence();
        pollStatus();
        writeParameter(5, 7);
        scripted::queueReply({0x65, 0x00, 0x00, 0x00});
        pollStatus();
        writeParameter(5, 7);
        std::vector<Bytes> polls = {StatusFrame, StatusFrame};
        if (w.probes) polls.insert(polls.begin(), ProbeFrame);
        EXPECT_EQ(scripted::framesWritten(), polls);
        // A generation-1 controller answers: its own address goes out.
        scripted::clearLog();
        scripted::queueReply(statusReply(0x00));
        pollStatus();
        scripted::queueReply({0x65, 0x07, 0x00});
        writeParameter(5, 7);
        EXPECT_EQ(scripted::framesWritten(),
                  (std::vector<Bytes>{StatusFrame, {0x65, 0x05, 0x07, 0x71}}));
        resetLinkState();
        scripted::clearLog();
    }
}

// The same port again reaches the same controller: writes go out at once.
TEST_F(LinkSelect, TheSamePortAgainNeedsNoNewAnswer) {
    bringUp(0x40);
    portSearchOpen();
    portSearchCancel();  // back to the port of the start: COM1 as before
    scripted::queueReply({0x65, 0x07, 0x00});
    writeParameter(5, 7);
    EXPECT_EQ(scripted::framesWritten(), (std::vector<Bytes>{{0x65, 0x06, 0x07, 0x72}}));
}

// ---- port table and fixed settings ----

TEST(PortTable, PathForNumber) {
    struct Case {
        int n;
        const char* path;
    };
    const Case cases[] = {
        {0, "\\\\.\\COM1"},      {1, "\\\\.\\COM1"},     {2, "\\\\.\\COM2"},
        {12, "\\\\.\\COM12"},    {256, "\\\\.\\COM256"}, {257, "\\\\.\\COM1"},
        {100000, "\\\\.\\COM1"}, {-1, "\\\\.\\COM1"},    {-100000, "\\\\.\\COM1"},
    };
    for (const Case& c : cases) EXPECT_STREQ(portTablePath(c.n), c.path) << c.n;
    EXPECT_EQ(strlen(portTablePath(12)), 9u);  // backslash, backslash, dot, backslash, COM12
}

TEST(PortTable, FixedSettingsAndTimeouts) {
    EXPECT_EQ(LinkPortSettings.baudRate, 9600u);
    EXPECT_EQ(LinkPortSettings.flags, 0x200u);
    EXPECT_EQ(LinkPortSettings.byteSize, 8);
    EXPECT_EQ(LinkPortSettings.parity, 0);
    EXPECT_EQ(LinkPortSettings.stopBits, 0);
    EXPECT_EQ(LinkPortSettings.structLength, 0u);
    EXPECT_EQ(LinkPortTimeouts.readInterval, 200u);
    EXPECT_EQ(LinkPortTimeouts.readTotalMultiplier, 40u);
    EXPECT_EQ(LinkPortTimeouts.readTotalConstant, 100u);
    EXPECT_EQ(LinkPortTimeouts.writeTotalMultiplier, 40u);
    EXPECT_EQ(LinkPortTimeouts.writeTotalConstant, 100u);
}
