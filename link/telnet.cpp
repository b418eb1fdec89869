// Telnet framing: the parser's state machine and the message builders.
#include "link/telnet.h"

namespace telnet {

void Parser::reset() {
    state = Plain;
    subLength = 0;
    truncated = false;
}

void Parser::keepSubByte(uint8_t b) {
    if (subLength < MaxSubnegotiation)
        sub[subLength++] = b;
    else
        truncated = true;
}

bool Parser::feed(uint8_t b, Event* out) {
    *out = Event{};
    switch (state) {
    case Plain:
        if (b == IAC) {
            state = AfterIac;
            return false;
        }
        out->kind = Event::Data;
        out->byte = b;
        return true;
    case AfterIac:
        state = Plain;
        if (b == IAC) {  // a doubled 0xFF is one data byte
            out->kind = Event::Data;
            out->byte = b;
            return true;
        }
        if (b >= WILL) {
            verb = b;
            state = AfterVerb;
            return false;
        }
        if (b == SB) {
            subLength = 0;
            truncated = false;
            state = InSub;
            return false;
        }
        // NOP, GA, a stray SE and the like: reported, never data.
        out->kind = Event::Command;
        out->byte = b;
        return true;
    case AfterVerb:
        state = Plain;
        out->kind = Event::Negotiation;
        out->byte = verb;
        out->option = b;
        return true;
    case InSub:
        if (b == IAC)
            state = InSubAfterIac;
        else
            keepSubByte(b);
        return false;
    case InSubAfterIac:
        if (b == IAC) {
            keepSubByte(b);
            state = InSub;
            return false;
        }
        state = Plain;
        // IAC SE ends it; any other command after IAC ends it too (a peer
        // that forgot the SE), and is dropped with it.
        out->kind = Event::Subnegotiation;
        out->sub = sub;
        out->subLength = subLength;
        out->subTruncated = truncated;
        return true;
    }
    return false;
}

void appendData(std::vector<uint8_t>* out, const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        out->push_back(data[i]);
        if (data[i] == IAC) out->push_back(IAC);
    }
}

void appendNegotiation(std::vector<uint8_t>* out, uint8_t verb, uint8_t option) {
    out->push_back(IAC);
    out->push_back(verb);
    out->push_back(option);
}

void appendComPort(std::vector<uint8_t>* out, uint8_t command, const uint8_t* value, size_t n) {
    out->push_back(IAC);
    out->push_back(SB);
    out->push_back(OptComPort);
    out->push_back(command);
    appendData(out, value, n);
    out->push_back(IAC);
    out->push_back(SE);
}

void appendSetBaudRate(std::vector<uint8_t>* out, uint32_t baud, bool server) {
    const uint8_t value[4] = {uint8_t(baud >> 24), uint8_t(baud >> 16), uint8_t(baud >> 8),
                              uint8_t(baud)};
    appendComPort(out, uint8_t(SetBaudRate + (server ? ServerOffset : 0)), value, 4);
}

void appendComPortByte(std::vector<uint8_t>* out, uint8_t command, uint8_t value) {
    appendComPort(out, command, &value, 1);
}

bool answerNegotiation(uint8_t verb, bool wanted, uint8_t* answerVerb) {
    if (verb == DO)
        *answerVerb = wanted ? WILL : WONT;
    else if (verb == WILL)
        *answerVerb = wanted ? DO : DONT;
    else
        return false;
    return true;
}

uint32_t baudRateOf(const uint8_t* sub, size_t n) {
    if (n < 6) return 0;
    return uint32_t(sub[2]) << 24 | uint32_t(sub[3]) << 16 | uint32_t(sub[4]) << 8 | sub[5];
}

}  // namespace telnet
