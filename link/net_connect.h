// Connecting to a name that resolved to several addresses (localhost: ::1
// and 127.0.0.1): each is tried in turn, within one time limit, until one
// takes the connection. Portable, over link/net_socket.h.
#ifndef ZUVELS_LINK_NET_CONNECT_H
#define ZUVELS_LINK_NET_CONNECT_H

#include <string>
#include <vector>

#include "link/net_socket.h"

class NetConnector {
public:
    enum class State { Trying, Connected, Refused, TimedOut };
    // Starts on the first address; the time limit counts from now.
    NetConnector(const std::vector<netsock::Address>& addresses, uint32_t limitMs);
    ~NetConnector();
    NetConnector(const NetConnector&) = delete;
    NetConnector& operator=(const NetConnector&) = delete;
    // Waits up to waitMs for the address being tried. A refusal moves on to
    // the next at once; one that keeps silent moves on after its share of
    // the time left. Refused: every address refused (the reason in error());
    // TimedOut: the limit passed first.
    State poll(int waitMs);
    // Once Connected: the socket, the caller's from now on.
    netsock::Socket take();
    const std::string& error() const { return error_; }

private:
    std::vector<netsock::Address> addresses;
    size_t next = 0;
    uint32_t start, limit, attemptEnd = 0;
    netsock::Socket sock = netsock::NoSocket;
    State state = State::Trying;
    std::string error_;
    bool tryNext();
};

#endif
