// The one resolver of both socket layers: getaddrinfo and its list of
// addresses are the same call on POSIX and Winsock. Included only by
// link/net_socket_posix.cpp and link/net_socket_win.cpp, after their own
// socket headers (which declare it); each gives the resolver's failure in
// words with lookupFailure.
#ifndef ZUVELS_LINK_NET_RESOLVE_H
#define ZUVELS_LINK_NET_RESOLVE_H

#include <cstring>
#include <string>
#include <vector>

#include "link/net_socket.h"

namespace netsock {

// getaddrinfo's code in the system's words.
std::string lookupFailure(int code);
// Whether the system's sockets can be used at all (Winsock must be started
// before its resolver answers); false with the reason.
bool socketsReady(std::string* reason);

bool resolve(const std::string& host, unsigned port, bool passive, std::vector<Address>* out,
             std::string* reason) {
    out->clear();
    if (!socketsReady(reason)) return false;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || !found) {
        *reason = lookupFailure(rc);
        return false;
    }
    for (const addrinfo* a = found; a; a = a->ai_next) {
        Address one = {};
        if (a->ai_addrlen > sizeof one.bytes) continue;
        memcpy(one.bytes, a->ai_addr, a->ai_addrlen);
        one.length = uint32_t(a->ai_addrlen);
        out->push_back(one);
    }
    freeaddrinfo(found);
    if (out->empty()) *reason = "no address of a kind this program connects to";
    return !out->empty();
}

// The first address host:port resolves to.
bool resolveFirst(const std::string& host, unsigned port, bool passive, Address* out,
                  std::string* reason) {
    std::vector<Address> all;
    if (!resolve(host, port, passive, &all, reason)) return false;
    *out = all.front();
    return true;
}

// Resolves and starts a connect to the first address.
Socket startConnect(const std::string& host, unsigned port, std::string* error) {
    Address address;
    if (!resolveFirst(host, port, false, &address, error)) {
        *error = "the name " + host + " does not resolve: " + *error;
        return NoSocket;
    }
    return startConnectTo(address, error);
}

}  // namespace netsock

#endif
