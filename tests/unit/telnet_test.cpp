// The Telnet codec: data told from commands whatever the read boundaries,
// 0xFF doubled both ways, subnegotiations bounded, the COM-PORT messages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/telnet.h"

using namespace telnet;

namespace {

typedef std::vector<uint8_t> Bytes;

// What the parser makes of a stream, written as text: data bytes as "d:HEX",
// negotiations as "n:VERB,OPT", subnegotiations as "s:HEX..[!]" (! = cut),
// other commands as "c:CMD".
std::string parseAll(const Bytes& in, size_t chunk) {
    Parser p;
    std::string out;
    char item[16];
    for (size_t start = 0; start < in.size(); start += chunk) {
        // Each chunk fed as a separate read would be.
        for (size_t i = start; i < in.size() && i < start + chunk; ++i) {
            Event e;
            if (!p.feed(in[i], &e)) continue;
            switch (e.kind) {
            case Event::Data: snprintf(item, sizeof item, "d:%02X ", e.byte); break;
            case Event::Negotiation:
                snprintf(item, sizeof item, "n:%d,%d ", e.byte, e.option);
                break;
            case Event::Command: snprintf(item, sizeof item, "c:%d ", e.byte); break;
            case Event::Subnegotiation:
                out += "s:";
                for (size_t k = 0; k < e.subLength; ++k) {
                    snprintf(item, sizeof item, "%02X", e.sub[k]);
                    out += item;
                }
                snprintf(item, sizeof item, "%s ", e.subTruncated ? "!" : "");
                break;
            }
            out += item;
        }
    }
    return out;
}

}  // namespace

TEST(TelnetParser, SeparatesDataFromCommandsAtEveryReadBoundary) {
    struct Case {
        const char* name;
        Bytes in;
        const char* expected;
    };
    const Case cases[] = {
        {"plain data", {0x40, 0x01, 0x02}, "d:40 d:01 d:02 "},
        {"doubled 0xFF is one data byte", {0x40, IAC, IAC, 0x41}, "d:40 d:FF d:41 "},
        {"two doubled in a row", {IAC, IAC, IAC, IAC}, "d:FF d:FF "},
        {"negotiation between data", {0x01, IAC, DO, OptBinary, 0x02}, "d:01 n:253,0 d:02 "},
        {"NOP skipped as a command", {IAC, NOP, 0x05}, "c:241 d:05 "},
        {"subnegotiation with a doubled 0xFF",
         {IAC, SB, OptComPort, 101, 0, 0, 0x25, IAC, IAC, IAC, SE, 0x07},
         "s:2C65000025FF d:07 "},
        {"subnegotiation ended by another command",
         {IAC, SB, OptComPort, 106, 0x10, IAC, NOP, 0x08},
         "s:2C6A10 d:08 "},
        {"stray SE is no data", {IAC, SE, 0x09}, "c:240 d:09 "},
    };
    for (const Case& c : cases) {
        // Whole, byte by byte, and in pairs: sequences split across reads.
        for (size_t chunk : {c.in.size(), size_t(1), size_t(2)})
            EXPECT_EQ(parseAll(c.in, chunk), c.expected) << c.name << ", reads of " << chunk;
    }
}

TEST(TelnetParser, OverlongSubnegotiationIsCutAndTheStreamGoesOn) {
    Bytes in = {IAC, SB, OptComPort};
    for (int i = 0; i < 1000; ++i) in.push_back(0x33);
    in.insert(in.end(), {IAC, SE, 0x44});
    Parser p;
    Event e;
    std::vector<Event> events;
    size_t subLength = 0;
    bool cut = false;
    for (uint8_t b : in) {
        if (!p.feed(b, &e)) continue;
        events.push_back(e);
        if (e.kind == Event::Subnegotiation) {
            subLength = e.subLength;
            cut = e.subTruncated;
        }
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(subLength, size_t(MaxSubnegotiation));
    EXPECT_TRUE(cut);
    EXPECT_EQ(events[1].kind, Event::Data);
    EXPECT_EQ(events[1].byte, 0x44);
}

TEST(TelnetEncoder, DataRoundTripsThroughTheParserWithEvery0xFFDoubled) {
    const Bytes data = {0x40, 0xFF, 0x00, 0xFF, 0xFF, 0x7E};
    Bytes wire;
    appendData(&wire, data.data(), data.size());
    EXPECT_EQ(wire, (Bytes{0x40, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x7E}));
    Parser p;
    Bytes back;
    for (uint8_t b : wire) {
        Event e;
        if (p.feed(b, &e) && e.kind == Event::Data) back.push_back(e.byte);
    }
    EXPECT_EQ(back, data);
}

TEST(TelnetEncoder, ComPortMessagesAsTheServerExpectsThem) {
    struct Case {
        const char* name;
        Bytes built;
        Bytes expected;
    };
    Bytes baud, baudServer, size, purge, odd;
    appendSetBaudRate(&baud, 9600);
    appendSetBaudRate(&baudServer, 9600, true);
    appendComPortByte(&size, SetDataSize, 8);
    appendComPortByte(&purge, PurgeData, PurgeBoth);
    appendSetBaudRate(&odd, 0x0000FF00);  // 0xFF in the value is doubled
    const Case cases[] = {
        {"baud", baud, {IAC, SB, 44, 1, 0x00, 0x00, 0x25, 0x80, IAC, SE}},
        {"baud answer", baudServer, {IAC, SB, 44, 101, 0x00, 0x00, 0x25, 0x80, IAC, SE}},
        {"data size", size, {IAC, SB, 44, 2, 8, IAC, SE}},
        {"purge both", purge, {IAC, SB, 44, 12, 3, IAC, SE}},
        {"0xFF in a value", odd, {IAC, SB, 44, 1, 0x00, 0x00, IAC, IAC, 0x00, IAC, SE}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.built, c.expected) << c.name;
    // The server reads back the value the client sent.
    const uint8_t sub[] = {44, 1, 0x00, 0x00, 0x25, 0x80};
    EXPECT_EQ(baudRateOf(sub, sizeof sub), 9600u);
    EXPECT_EQ(baudRateOf(sub, 5), 0u);
}

TEST(TelnetNegotiation, AgreesToWhatIsWantedAndRefusesTheRest) {
    struct Case {
        uint8_t verb;
        bool wanted;
        bool answered;
        uint8_t answer;
    };
    const Case cases[] = {
        {DO, true, true, WILL},    {DO, false, true, WONT}, {WILL, true, true, DO},
        {WILL, false, true, DONT}, {WONT, true, false, 0},  {DONT, false, false, 0},
    };
    for (const Case& c : cases) {
        uint8_t answer = 0;
        EXPECT_EQ(answerNegotiation(c.verb, c.wanted, &answer), c.answered) << int(c.verb);
        if (c.answered) {
            EXPECT_EQ(answer, c.answer) << int(c.verb);
        }
    }
}
