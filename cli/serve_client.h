// The server's end of a client connection: Telnet with COM-PORT-OPTION
// (RFC 2217) answered as a serial device server answers it, or raw bytes.
// Portable: bytes in, bytes out; the Telnet framing is link/telnet.h's.
#ifndef ZUVELS_CLI_SERVE_CLIENT_H
#define ZUVELS_CLI_SERVE_CLIENT_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/telnet.h"

// What a piece of the client's stream asks for.
struct FromClient {
    std::vector<uint8_t> data;    // bytes meant for the controller
    std::vector<uint8_t> answer;  // Telnet answers to send back, in order
    unsigned purge = 0;           // PurgeRxClear | PurgeTxClear asked for
    size_t purgeAt = 0;           // how much of data came before the (last) purge
};

class ServeClientProtocol {
public:
    explicit ServeClientProtocol(bool raw) : raw_(raw) {}
    // What the server says first: its offers of BINARY and SUPPRESS-GO-AHEAD
    // both ways (nothing in raw mode).
    void greeting(std::vector<uint8_t>* out);
    void take(const uint8_t* bytes, size_t n, FromClient* in);
    // The controller's bytes as the client gets them (0xFF doubled).
    void encode(const uint8_t* bytes, size_t n, std::vector<uint8_t>* out) const;

private:
    // One side of an option: off, asked for by us and not yet answered, on.
    enum class Side : uint8_t { No, WantYes, Yes };
    enum { OptionCount = 3 };  // BINARY, SUPPRESS-GO-AHEAD, COM-PORT-OPTION
    bool raw_;
    telnet::Parser parser_;
    Side ours_[OptionCount] = {};
    Side theirs_[OptionCount] = {};

    void negotiate(uint8_t verb, uint8_t option, FromClient* in);
    void subnegotiate(const uint8_t* sub, size_t n, FromClient* in) const;
};

#endif
