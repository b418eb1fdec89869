// Connecting to each resolved address in turn.
#include "link/net_connect.h"

using namespace netsock;

NetConnector::NetConnector(const std::vector<Address>& addresses, uint32_t limitMs)
    : addresses(addresses), start(nowMs()), limit(limitMs) {
    if (!tryNext()) state = State::Refused;
}

NetConnector::~NetConnector() { closeSocket(sock); }

// Closes the address being tried and starts the next one that gets a
// socket; false when none is left. Each gets an equal share of the time
// left, so a silent first address leaves time for the others.
bool NetConnector::tryNext() {
    closeSocket(sock);
    sock = NoSocket;
    while (next < addresses.size()) {
        std::string why;
        sock = startConnectTo(addresses[next++], &why);
        if (sock == NoSocket) {
            error_ = why;
            continue;
        }
        const uint32_t used = nowMs() - start;
        const uint32_t left = used < limit ? limit - used : 0;
        attemptEnd = nowMs() + left / uint32_t(addresses.size() - next + 1);
        return true;
    }
    return false;
}

NetConnector::State NetConnector::poll(int waitMs) {
    if (state != State::Trying) return state;
    std::string why;
    switch (connectState(sock, waitMs, &why)) {
    case ConnectState::Connected: return state = State::Connected;
    case ConnectState::Failed:
        error_ = why;
        if (!tryNext()) state = State::Refused;
        break;
    case ConnectState::Pending:
        if (int32_t(nowMs() - start - limit) >= 0) {
            closeSocket(sock);
            sock = NoSocket;
            return state = State::TimedOut;
        }
        if (int32_t(nowMs() - attemptEnd) >= 0 && next < addresses.size() && !tryNext())
            state = State::Refused;
        break;
    }
    if (state == State::Refused && addresses.size() > 1)
        error_ += " (each of its " + std::to_string(addresses.size()) + " addresses tried)";
    return state;
}

Socket NetConnector::take() {
    const Socket s = sock;
    sock = NoSocket;
    return s;
}
