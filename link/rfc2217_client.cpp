// The client's side of an RFC 2217 session.
#include "link/rfc2217_client.h"

#include "link/port.h"

using namespace telnet;

namespace {

bool wantedLocally(uint8_t option) {
    return option == OptBinary || option == OptSuppressGoAhead || option == OptComPort;
}
bool wantedRemotely(uint8_t option) { return option == OptBinary || option == OptSuppressGoAhead; }

}  // namespace

void Rfc2217Client::start(std::vector<uint8_t>* out) {
    for (uint8_t option : {OptBinary, OptSuppressGoAhead, OptComPort}) {
        appendNegotiation(out, WILL, option);
        saidWill[option] = true;
    }
    for (uint8_t option : {OptBinary, OptSuppressGoAhead}) {
        appendNegotiation(out, DO, option);
        saidDo[option] = true;
    }
}

// The controller's line: 9600 8N1 without flow control, as the link's serial
// ports get it. Sent once the server agrees to COM-PORT-OPTION; no answer is
// awaited (some servers don't acknowledge every setting).
void Rfc2217Client::sendSettings(std::vector<uint8_t>* out) {
    if (settings) return;
    settings = true;
    appendSetBaudRate(out, LinkPortSettings.baudRate);
    appendComPortByte(out, SetDataSize, LinkPortSettings.byteSize);
    appendComPortByte(out, SetParity, ParityNone);
    appendComPortByte(out, SetStopSize, StopOne);
    appendComPortByte(out, SetControl, ControlNoFlow);
}

void Rfc2217Client::onNegotiation(uint8_t verb, uint8_t option, std::vector<uint8_t>* out) {
    // Each change answered once: an option already in the asked state gets
    // no reply, so two ends never echo each other without end.
    if (verb == DO || verb == DONT) {
        const bool agree = verb == DO && wantedLocally(option);
        if (agree && option == OptComPort) sendSettings(out);
        if (agree == saidWill[option] && (agree || verb == DONT)) return;
        saidWill[option] = agree;
        appendNegotiation(out, agree ? WILL : WONT, option);
    } else if (verb == WILL || verb == WONT) {
        const bool agree = verb == WILL && wantedRemotely(option);
        if (agree == saidDo[option] && (agree || verb == WONT)) return;
        saidDo[option] = agree;
        appendNegotiation(out, agree ? DO : DONT, option);
    }
}

void Rfc2217Client::receive(const uint8_t* raw, size_t n, std::deque<uint8_t>* data,
                            std::vector<uint8_t>* out) {
    // Subnegotiations (setting answers, NOTIFY messages) and other commands
    // carry nothing the link needs: skipped.
    for (size_t i = 0; i < n; ++i) {
        Event e;
        if (!parser.feed(raw[i], &e)) continue;
        if (e.kind == Event::Data) data->push_back(e.byte);
        if (e.kind == Event::Negotiation) onNegotiation(e.byte, e.option, out);
    }
}

void Rfc2217Client::purge(unsigned what, std::vector<uint8_t>* out) const {
    const bool rx = (what & PurgeRxClear) != 0, tx = (what & PurgeTxClear) != 0;
    if (!rx && !tx) return;
    // The server's receive buffer holds what the controller sent us; its
    // transmit buffer what we sent the controller.
    appendComPortByte(out, PurgeData, rx && tx ? PurgeBoth : rx ? PurgeReceive : PurgeTransmit);
}

void Rfc2217Client::encode(const uint8_t* bytes, size_t n, std::vector<uint8_t>* out) {
    appendData(out, bytes, n);
}
