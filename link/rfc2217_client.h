// The client's side of an RFC 2217 session, without the socket: what it
// offers on connect, what it makes of the server's bytes, how a purge and
// data go out. Portable, so the fuzz target drives it as the port does.
#ifndef ZUVELS_LINK_RFC2217_CLIENT_H
#define ZUVELS_LINK_RFC2217_CLIENT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "link/telnet.h"

class Rfc2217Client {
public:
    // The offers made on connect: BINARY both ways, SUPPRESS-GO-AHEAD both
    // ways, COM-PORT-OPTION from our side.
    void start(std::vector<uint8_t>* out);
    // The server's bytes: data to *data, answers to *out. Answers are made
    // at once; nothing is ever waited for.
    void receive(const uint8_t* raw, size_t n, std::deque<uint8_t>* data,
                 std::vector<uint8_t>* out);
    // PURGE-DATA for the link's purge bits (link/port.h); nothing when none.
    void purge(unsigned what, std::vector<uint8_t>* out) const;
    // Data with every 0xFF doubled.
    static void encode(const uint8_t* bytes, size_t n, std::vector<uint8_t>* out);
    bool settingsSent() const { return settings; }

private:
    telnet::Parser parser;
    bool saidWill[256] = {}, saidDo[256] = {};
    bool settings = false;
    void onNegotiation(uint8_t verb, uint8_t option, std::vector<uint8_t>* out);
    void sendSettings(std::vector<uint8_t>* out);
};

#endif
