// The one way a port is named, for the window's --port, lpgctl's --port and
// the tests:
//   COMn, a device path        a serial port (the system's own backend)
//   demo, demo:1, demo:3       the built-in simulated controller
//   replay:FILE                a recorded drive played back
//   rfc2217://HOST:PORT        a network serial port speaking RFC 2217
//   socket://HOST:PORT         a raw TCP serial port (tcp:// is the same)
#ifndef ZUVELS_LINK_PORT_GRAMMAR_H
#define ZUVELS_LINK_PORT_GRAMMAR_H

#include <string>

enum class PortScheme { Serial, Demo, Replay, Rfc2217, RawTcp };

struct PortName {
    PortScheme scheme = PortScheme::Serial;
    std::string rest;  // Serial: the name as given; Replay: the file
    int demoGeneration = 3;
    std::string host;      // Rfc2217, RawTcp
    unsigned tcpPort = 0;  // Rfc2217, RawTcp: 1..65535
};

// Reads text into *out; false with one line saying what is wrong (and with
// what should have been given) in *error. A serial name is passed on as it
// is: whether it is a port is the system's to say.
bool parsePortName(const char* text, PortName* out, std::string* error);

// True for the two network schemes.
inline bool isNetworkScheme(PortScheme s) {
    return s == PortScheme::Rfc2217 || s == PortScheme::RawTcp;
}

// The n of "COMn" or "\\.\COMn" (any case) for 1..256; 0 for any other text.
int comPortNumber(const char* text);

// True when text names a network port (it starts with one of their prefixes).
bool namesNetworkPort(const char* text);

#endif
