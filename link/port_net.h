// Network serial ports as a port backend: rfc2217://HOST:PORT (Telnet with
// COM-PORT-OPTION) and socket://HOST:PORT (raw TCP, bytes as on the wire).
// Each open is an instance of its own (socket, parser, buffers).
//
// An open only starts the connect and returns; until it completes, every
// exchange fails at once, and a connect still pending after
// NetConnectTimeoutMs fails the instance, so the link's usual rhythm (three
// missed polls, close, open again) retries it. A name that resolves to
// several addresses has each tried in turn within that time. A connection
// the server ends (with its last words, when it sent text), resets or stops
// reading fails the instance with the reason as its problem. Reads and
// writes keep the serial time-outs, and every loop over the server's bytes
// has a budget of bytes as well as of time.
#ifndef ZUVELS_LINK_PORT_NET_H
#define ZUVELS_LINK_PORT_NET_H

#include <string>

#include "link/port.h"

enum : uint32_t { NetConnectTimeoutMs = 3000 };

// open() takes the whole port name ("rfc2217://127.0.0.1:2217").
extern const PortOps netPortOps;

// Waits up to ms for h's connect (lpgctl, which may wait): true once
// connected; false with one line naming the port in *error.
bool netPortWaitConnected(PortId h, uint32_t ms, std::string* error);

// What a server that ended the connection said last, from the last data
// bytes it sent: their printable tail as one line, "" when that is no text
// (a controller's bytes, noise).
std::string serverWords(const std::string& lastBytes);

#endif
