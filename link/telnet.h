// Telnet framing and the COM-PORT-OPTION (RFC 2217) messages, shared by the
// network port's client and lpgctl's server. Portable: bytes in, bytes out.
#ifndef ZUVELS_LINK_TELNET_H
#define ZUVELS_LINK_TELNET_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace telnet {

enum : uint8_t {
    SE = 240,
    NOP = 241,
    SB = 250,
    WILL = 251,
    WONT = 252,
    DO = 253,
    DONT = 254,
    IAC = 255,
};

// Options this program speaks.
enum : uint8_t { OptBinary = 0, OptSuppressGoAhead = 3, OptComPort = 44 };

// COM-PORT-OPTION commands as a client sends them; a server answers with
// the same command plus ServerOffset.
enum : uint8_t {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
    ServerOffset = 100,
};

// SET-PARITY, SET-STOPSIZE, SET-CONTROL and PURGE-DATA values used here.
enum : uint8_t { ParityNone = 1, StopOne = 1, ControlNoFlow = 1 };
enum : uint8_t { PurgeReceive = 1, PurgeTransmit = 2, PurgeBoth = 3 };

// What a subnegotiation may hold at most; longer ones are cut to this, the
// rest of them skipped, so a peer can't make us buffer without end.
enum : size_t { MaxSubnegotiation = 64 };

// One thing the parser found, reported as soon as it is complete.
struct Event {
    enum Kind { Data, Negotiation, Subnegotiation, Command } kind;
    uint8_t byte;        // Data: the byte; Negotiation: the verb (WILL..DONT); Command: the command
    uint8_t option;      // Negotiation: the option
    const uint8_t* sub;  // Subnegotiation: option byte first, IAC IAC undone
    size_t subLength;
    bool subTruncated;  // the subnegotiation was longer than MaxSubnegotiation
};

// Byte-at-a-time parser: a sequence may be split across reads at any byte.
class Parser {
public:
    // Feeds one byte; returns true with *out filled when it completes something.
    bool feed(uint8_t b, Event* out);
    // Drops a half-read sequence (a new connection).
    void reset();

private:
    enum State { Plain, AfterIac, AfterVerb, InSub, InSubAfterIac };
    State state = Plain;
    uint8_t verb = 0;
    uint8_t sub[MaxSubnegotiation];
    size_t subLength = 0;
    bool truncated = false;
    void keepSubByte(uint8_t b);
};

// Appends n data bytes to out with every 0xFF doubled.
void appendData(std::vector<uint8_t>* out, const uint8_t* data, size_t n);
// Appends IAC verb option.
void appendNegotiation(std::vector<uint8_t>* out, uint8_t verb, uint8_t option);
// Appends IAC SB COM-PORT-OPTION command value... IAC SE, doubling 0xFF in the value.
void appendComPort(std::vector<uint8_t>* out, uint8_t command, const uint8_t* value, size_t n);
void appendSetBaudRate(std::vector<uint8_t>* out, uint32_t baud, bool server = false);
void appendComPortByte(std::vector<uint8_t>* out, uint8_t command, uint8_t value);

// The answer to the peer's DO or WILL: agree when wanted, refuse otherwise
// (DO -> WILL/WONT, WILL -> DO/DONT). False for WONT and DONT, which need none
// (the caller answers a change of state once only, so no loop starts).
bool answerNegotiation(uint8_t verb, bool wanted, uint8_t* answerVerb);

// The big-endian value of a SET-BAUDRATE subnegotiation (option, command,
// four bytes); 0 when it is too short.
uint32_t baudRateOf(const uint8_t* sub, size_t n);

}  // namespace telnet

#endif
