#include "cli/serve_client.h"

#include "link/port.h"

using namespace telnet;

namespace {

// The index of a served option, -1 for any other.
int optionIndex(uint8_t option) {
    switch (option) {
    case OptBinary: return 0;
    case OptSuppressGoAhead: return 1;
    case OptComPort: return 2;
    default: return -1;
    }
}

const uint8_t Signature[] = "lpgctl serve";
const uint32_t LocalBaud = 9600;
const uint8_t LocalDataSize = 8;

// SET-CONTROL asks (value: what the port has); the rest are settings, echoed.
uint8_t controlAnswer(uint8_t asked) {
    switch (asked) {
    case 0: return ControlNoFlow;  // which flow control: none
    case 4: return 6;              // break state: off
    case 7: return 9;              // DTR: off, as the link sets it
    case 10: return 12;            // RTS: off
    case 13: return 14;            // inbound flow control: none
    default: return asked;
    }
}

unsigned purgeOf(uint8_t value) {
    unsigned what = 0;
    if (value == PurgeReceive || value == PurgeBoth) what |= PurgeRxClear;
    if (value == PurgeTransmit || value == PurgeBoth) what |= PurgeTxClear;
    return what;
}

}  // namespace

void ServeClientProtocol::greeting(std::vector<uint8_t>* out) {
    if (raw_) return;
    for (uint8_t option : {OptBinary, OptSuppressGoAhead}) {
        const int i = optionIndex(option);
        appendNegotiation(out, WILL, option);
        appendNegotiation(out, DO, option);
        ours_[i] = theirs_[i] = Side::WantYes;
    }
}

void ServeClientProtocol::take(const uint8_t* bytes, size_t n, FromClient* in) {
    if (raw_) {
        in->data.insert(in->data.end(), bytes, bytes + n);
        return;
    }
    Event e;
    for (size_t k = 0; k < n; ++k) {
        if (!parser_.feed(bytes[k], &e)) continue;
        if (e.kind == Event::Data) in->data.push_back(e.byte);
        if (e.kind == Event::Negotiation) negotiate(e.byte, e.option, in);
        if (e.kind == Event::Subnegotiation && !e.subTruncated)
            subnegotiate(e.sub, e.subLength, in);
    }
}

void ServeClientProtocol::encode(const uint8_t* bytes, size_t n, std::vector<uint8_t>* out) const {
    if (raw_)
        out->insert(out->end(), bytes, bytes + n);
    else
        appendData(out, bytes, n);
}

// Each side of an option answers a change of state once, so no loop of
// answers starts; options we don't serve are refused every time.
void ServeClientProtocol::negotiate(uint8_t verb, uint8_t option, FromClient* in) {
    const int i = optionIndex(option);
    Side* side = i < 0 ? nullptr : (verb == WILL || verb == WONT) ? &theirs_[i] : &ours_[i];
    const bool on = verb == WILL || verb == DO;
    uint8_t answer = 0;
    if (!side) {
        if (answerNegotiation(verb, false, &answer)) appendNegotiation(&in->answer, answer, option);
        return;
    }
    if (on && *side == Side::No && answerNegotiation(verb, true, &answer))
        appendNegotiation(&in->answer, answer, option);
    // Turned off while on: say so back (WONT -> DONT, DONT -> WONT).
    if (!on && *side == Side::Yes)
        appendNegotiation(&in->answer, verb == WONT ? DONT : WONT, option);
    *side = on ? Side::Yes : Side::No;
}

// Every setting is answered with the command plus ServerOffset and the value
// set; the local port stays at the controller's 9600 8N1, so a question
// (value 0) gets that, and a setting is echoed as clients wait for it.
void ServeClientProtocol::subnegotiate(const uint8_t* sub, size_t n, FromClient* in) const {
    if (n < 2 || sub[0] != OptComPort) return;
    const uint8_t command = sub[1];
    const uint8_t* value = sub + 2;
    const size_t length = n - 2;
    const uint8_t first = length > 0 ? value[0] : 0;
    // A setting of 0 asks for the port's value.
    auto orLocal = [first](uint8_t local) { return first ? first : local; };
    const uint8_t reply = uint8_t(command + ServerOffset);
    switch (command) {
    case 0:  // SIGNATURE: a question when empty, the client's own name otherwise
        if (length == 0) appendComPort(&in->answer, reply, Signature, sizeof Signature - 1);
        return;
    case SetBaudRate: {
        const uint32_t asked = baudRateOf(sub, n);
        return appendSetBaudRate(&in->answer, asked ? asked : LocalBaud, true);
    }
    case SetDataSize: return appendComPortByte(&in->answer, reply, orLocal(LocalDataSize));
    case SetParity: return appendComPortByte(&in->answer, reply, orLocal(ParityNone));
    case SetStopSize: return appendComPortByte(&in->answer, reply, orLocal(StopOne));
    case SetControl: return appendComPortByte(&in->answer, reply, controlAnswer(first));
    case FlowControlSuspend:
    case FlowControlResume: return appendComPort(&in->answer, reply, nullptr, 0);
    case SetLineStateMask:
    case SetModemStateMask: return appendComPortByte(&in->answer, reply, first);
    case PurgeData:
        in->purge |= purgeOf(first);
        in->purgeAt = in->data.size();
        return appendComPortByte(&in->answer, reply, first);
    default: return;  // NOTIFY messages and unknown commands: a server sends those, not takes
    }
}
