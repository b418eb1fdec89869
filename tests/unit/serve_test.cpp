// lpgctl serve's portable parts: the request framer, the judgement of each
// frame, the Telnet and RFC 2217 answers, and the options. The relay between
// client and controller is in serve_relay_test.cpp.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/serve.h"
#include "cli/serve_client.h"
#include "cli/serve_frames.h"
#include "link/port.h"

using Bytes = std::vector<uint8_t>;

namespace {

struct FramingCase {
    const char* what;
    Bytes stream;
    std::vector<Bytes> frames;
    size_t dropped;
};

const FramingCase FramingCases[] = {
    {"a status read", {0x65, 0x01, 0x01, 0x67}, {{0x65, 0x01, 0x01, 0x67}}, 0},
    {"two frames back to back",
     {0x65, 0x02, 0x02, 0x69, 0x65, 0x06, 0x2A, 0x95},
     {{0x65, 0x02, 0x02, 0x69}, {0x65, 0x06, 0x2A, 0x95}},
     0},
    {"noise before a frame", {0x00, 0x13, 0x65, 0x01, 0x01, 0x67}, {{0x65, 0x01, 0x01, 0x67}}, 2},
    {"a stray lead byte before a frame",
     {0x65, 0x65, 0x01, 0x01, 0x67},
     {{0x65, 0x01, 0x01, 0x67}},
     1},
    {"a lead byte inside a bad frame starts the search again",
     {0x65, 0x01, 0x65, 0x03, 0x03, 0x6B},
     {{0x65, 0x03, 0x03, 0x6B}},
     2},
    {"the echo probe is no request frame", {0x0B, 0x01, 0x01, 0x0D}, {}, 4},
    {"a half frame waits for the rest", {0x65, 0x01}, {}, 0},
    {"0xFF in a write's value", {0x65, 0x07, 0xFF, 0x6B}, {{0x65, 0x07, 0xFF, 0x6B}}, 0},
};

TEST(ServeFraming, CutsTheClientsBytesIntoRequestFrames) {
    for (const FramingCase& c : FramingCases) {
        RequestFramer framer;
        std::vector<Bytes> frames;
        for (uint8_t b : c.stream)
            if (framer.push(b)) frames.emplace_back(framer.frame(), framer.frame() + 4);
        EXPECT_EQ(frames, c.frames) << c.what;
        EXPECT_EQ(framer.takeDropped(), c.dropped) << c.what;
        EXPECT_EQ(framer.takeDropped(), 0u) << c.what << ": the count starts over";
    }
}

struct JudgeCase {
    Bytes frame;
    int generation;
    bool allowWrites;
    FrameVerdict verdict;
};

const JudgeCase JudgeCases[] = {
    {{0x65, 0x01, 0x01, 0x67}, 3, false, FrameVerdict::Pass},
    {{0x65, 0x01, 0x01, 0x67}, 0, false, FrameVerdict::Pass},
    {{0x65, 0x04, 0x04, 0x6D}, 1, false, FrameVerdict::Pass},
    {{0x65, 0x05, 0x05, 0x6F}, 3, false, FrameVerdict::Pass},
    // Generation 1 takes these bytes as a write of its options.
    {{0x65, 0x05, 0x05, 0x6F}, 1, false, FrameVerdict::Refuse},
    {{0x65, 0x05, 0x05, 0x6F}, 0, false, FrameVerdict::Refuse},
    {{0x65, 0x05, 0x05, 0x6F}, 1, true, FrameVerdict::Pass},
    {{0x65, 0x06, 0x2A, 0x95}, 3, false, FrameVerdict::Refuse},
    {{0x65, 0x06, 0x2A, 0x95}, 3, true, FrameVerdict::Pass},
    // Same address and value but no block number: a write.
    {{0x65, 0x06, 0x06, 0x71}, 3, false, FrameVerdict::Refuse},
    {{0x65, 0x00, 0x00, 0x65}, 3, false, FrameVerdict::Refuse},
};

TEST(ServeFraming, PassesReadsAndRefusesWritesUnlessAllowed) {
    for (const JudgeCase& c : JudgeCases) {
        const FrameJudgement j = judgeFrame(c.frame.data(), c.generation, c.allowWrites);
        EXPECT_EQ(j.verdict, c.verdict)
            << j.what << " (generation " << c.generation << ", writes " << c.allowWrites << ")";
    }
}

const uint8_t IAC = 255, WILL = 251, WONT = 252, DO = 253, DONT = 254, SB = 250, SE = 240;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes comPort(uint8_t command, Bytes value) {
    Bytes b = {IAC, SB, 44, command};
    b.insert(b.end(), value.begin(), value.end());
    b.push_back(IAC);
    b.push_back(SE);
    return b;
}

struct AnswerCase {
    const char* what;
    Bytes in;
    Bytes answer;
    unsigned purge;
};

const AnswerCase AnswerCases[] = {
    {"COM-PORT-OPTION offered", {IAC, WILL, 44}, {IAC, DO, 44}, 0},
    {"COM-PORT-OPTION asked for", {IAC, DO, 44}, {IAC, WILL, 44}, 0},
    {"the server's own offers accepted", {IAC, DO, 0, IAC, WILL, 3}, {}, 0},
    {"an option not served", {IAC, DO, 1, IAC, WILL, 24}, {IAC, WONT, 1, IAC, DONT, 24}, 0},
    {"a refusal of an option never on", {IAC, DONT, 1, IAC, WONT, 44}, {}, 0},
    {"BINARY turned off after it was on", {IAC, DO, 0, IAC, DONT, 0}, {IAC, WONT, 0}, 0},
    {"baud rate set", comPort(1, {0, 0, 0x25, 0x80}), comPort(101, {0, 0, 0x25, 0x80}), 0},
    {"baud rate asked", comPort(1, {0, 0, 0, 0}), comPort(101, {0, 0, 0x25, 0x80}), 0},
    {"data size asked", comPort(2, {0}), comPort(102, {8}), 0},
    {"parity set to none", comPort(3, {1}), comPort(103, {1}), 0},
    {"stop size asked", comPort(4, {0}), comPort(104, {1}), 0},
    {"flow control set off", comPort(5, {1}), comPort(105, {1}), 0},
    {"DTR asked", comPort(5, {7}), comPort(105, {9}), 0},
    {"line state mask", comPort(10, {0}), comPort(110, {0}), 0},
    {"modem state mask with 0xFF", comPort(11, {IAC, IAC}), comPort(111, {IAC, IAC}), 0},
    {"flow control suspended", comPort(8, {}), comPort(108, {}), 0},
    {"receive side purged", comPort(12, {1}), comPort(112, {1}), PurgeRxClear},
    {"both sides purged", comPort(12, {3}), comPort(112, {3}), PurgeRxClear | PurgeTxClear},
    {"signature asked", comPort(0, {}),
     comPort(100, {'l', 'p', 'g', 'c', 't', 'l', ' ', 's', 'e', 'r', 'v', 'e'}), 0},
    {"the client's signature", comPort(0, {'x'}), {}, 0},
    {"a NOTIFY from the client", comPort(7, {0x30}), {}, 0},
};

TEST(ServeTelnet, AnswersNegotiationsAndEveryComPortSetting) {
    for (const AnswerCase& c : AnswerCases) {
        ServeClientProtocol p(false);
        Bytes greeting;
        p.greeting(&greeting);
        FromClient in;
        p.take(c.in.data(), c.in.size(), &in);
        EXPECT_EQ(in.answer, c.answer) << c.what;
        EXPECT_EQ(in.purge, c.purge) << c.what;
        EXPECT_TRUE(in.data.empty()) << c.what;
    }
}

TEST(ServeTelnet, APurgeKeepsItsPlaceInTheClientsStream) {
    ServeClientProtocol p(false);
    const Bytes in = Bytes{0x65, 0x02} + comPort(12, {2}) + Bytes{0x02, 0x69};
    FromClient got;
    p.take(in.data(), in.size(), &got);
    EXPECT_EQ(got.data, (Bytes{0x65, 0x02, 0x02, 0x69}));
    EXPECT_EQ(got.purge, unsigned(PurgeTxClear));
    EXPECT_EQ(got.purgeAt, 2u) << "the bytes before the purge are the ones it drops";
}

TEST(ServeTelnet, OffersBinaryAndAnswersEachChangeOnce) {
    ServeClientProtocol p(false);
    Bytes greeting;
    p.greeting(&greeting);
    EXPECT_EQ(greeting, (Bytes{IAC, WILL, 0, IAC, DO, 0, IAC, WILL, 3, IAC, DO, 3}));
    FromClient in;
    const Bytes twice = {IAC, WILL, 44, IAC, WILL, 44};
    p.take(twice.data(), twice.size(), &in);
    EXPECT_EQ(in.answer, (Bytes{IAC, DO, 44}));
}

TEST(ServeTelnet, DataComesThroughWith0xFFUndoubledAndGoesBackDoubled) {
    ServeClientProtocol p(false);
    const Bytes in = {0x65, 0x07, IAC, IAC, 0x6B};
    FromClient got;
    p.take(in.data(), 2, &got);
    p.take(in.data() + 2, 3, &got);  // split inside the doubled 0xFF
    EXPECT_EQ(got.data, (Bytes{0x65, 0x07, IAC, 0x6B}));
    Bytes out;
    p.encode(got.data.data(), got.data.size(), &out);
    EXPECT_EQ(out, in);

    ServeClientProtocol raw(true);
    Bytes nothing;
    raw.greeting(&nothing);
    EXPECT_TRUE(nothing.empty());
    FromClient rawGot;
    raw.take(in.data(), in.size(), &rawGot);
    EXPECT_EQ(rawGot.data, in) << "raw mode takes bytes as they are";
}

struct OptionsCase {
    std::vector<const char*> args;
    bool ok;
    const char* host;
    int port;
    bool allowWrites, raw;
    int idleSeconds = 60;
};

const OptionsCase OptionsCases[] = {
    {{}, true, "127.0.0.1", 2217, false, false},
    {{"--listen", "0.0.0.0:3000", "--allow-writes"}, true, "0.0.0.0", 3000, true, false},
    {{"--raw", "--listen", "[::1]:2217"}, true, "::1", 2217, false, true},
    {{"--listen", "127.0.0.1:0"}, true, "127.0.0.1", 0, false, false},
    {{"--listen"}, false, "", 0, false, false},
    {{"--listen", "127.0.0.1"}, false, "", 0, false, false},
    {{"--listen", ":2217"}, false, "", 0, false, false},
    {{"--listen", "h:65536"}, false, "", 0, false, false},
    {{"--listen", "h:12x"}, false, "", 0, false, false},
    {{"--writes"}, false, "", 0, false, false},
    {{"--idle", "5"}, true, "127.0.0.1", 2217, false, false, 5},
    {{"--idle", "0"}, false, "", 0, false, false},
    {{"--idle", "86401"}, false, "", 0, false, false},
    {{"--idle", "9s"}, false, "", 0, false, false},
    {{"--idle"}, false, "", 0, false, false},
};

TEST(ServeOptions, ReadsListenAllowWritesAndRaw) {
    for (const OptionsCase& c : OptionsCases) {
        std::vector<char*> argv;
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        const CliArgs args = {nullptr, int(argv.size()), argv.data()};
        ServeOptions o;
        std::string error;
        const std::string line = c.args.empty() ? "(none)" : c.args.back();
        ASSERT_EQ(readServeOptions(args, &o, &error), c.ok) << line << ": " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << line;
            continue;
        }
        EXPECT_EQ(o.host, c.host) << line;
        EXPECT_EQ(o.port, c.port) << line;
        EXPECT_EQ(o.allowWrites, c.allowWrites) << line;
        EXPECT_EQ(o.raw, c.raw) << line;
        EXPECT_EQ(o.idleSeconds, c.idleSeconds) << line;
    }
}

TEST(ServeOptions, ListenAddressIsWrittenAsItIsTaken) {
    ServeOptions o;
    o.host = "::1";
    o.port = 2217;
    EXPECT_EQ(listenText(o), "[::1]:2217");
    o.host = "127.0.0.1";
    EXPECT_EQ(listenText(o), "127.0.0.1:2217");
}

}  // namespace
