// Network serial ports: the instance behind each open, and the backend's table.
#include "link/port_net.h"

#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "link/net_socket.h"
#include "link/port_grammar.h"
#include "link/rfc2217_client.h"

namespace {

using namespace netsock;

// A name looked up (and its connect started) on a worker thread, so that a
// slow DNS never holds the caller. Shared with the worker: an instance closed
// before the answer leaves the socket for the worker to close.
struct Lookup {
    std::mutex lock;
    bool done = false;
    bool abandoned = false;
    Socket sock = NoSocket;
    std::string error;
};

// Addresses are connected to at once; only names wait for the resolver.
bool isNumericHost(const std::string& host) {
    if (host.find(':') != std::string::npos) return true;  // IPv6
    for (char c : host)
        if (c != '.' && (c < '0' || c > '9')) return false;
    return !host.empty();
}

std::shared_ptr<Lookup> startLookup(const std::string& host, unsigned port) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        std::string error;
        const Socket s = startConnect(host, port, &error);
        std::lock_guard<std::mutex> hold(lookup->lock);
        if (lookup->abandoned) return closeSocket(s);
        lookup->sock = s;
        lookup->error = error;
        lookup->done = true;
    }).detach();
    return lookup;
}

class NetPort {
public:
    NetPort(const std::string& url) : url(url) {}
    ~NetPort();
    void start();
    void setTimeouts(const PortTimeouts& t) { timeouts = t; }
    bool purge(unsigned what);
    bool write(const uint8_t* buf, uint32_t n, uint32_t* done);
    bool read(uint8_t* buf, uint32_t n, uint32_t* done);
    bool waitConnected(uint32_t ms, std::string* error);
    const char* problem() const { return fatal.empty() ? nullptr : fatal.c_str(); }

private:
    enum class State { Connecting, Connected, Failed };
    std::string url;
    bool rfc2217 = false;
    Socket sock = NoSocket;
    State state = State::Failed;
    uint32_t connectStart = 0;
    PortTimeouts timeouts = LinkPortTimeouts;
    std::vector<uint8_t> out;  // bytes waiting to go, Telnet-encoded
    std::deque<uint8_t> data;  // data bytes received, not yet read
    Rfc2217Client session;
    std::string fatal;               // why the port can't be reached at all
    std::shared_ptr<Lookup> lookup;  // while the name is looked up

    bool ready(int waitMs);
    void takeLookup();
    void fail(const std::string& why, bool isFatal);
    bool flush(uint32_t deadline);
    void absorb(const uint8_t* raw, int k);
};

NetPort::~NetPort() {
    if (lookup) {
        std::lock_guard<std::mutex> hold(lookup->lock);
        lookup->abandoned = true;
        if (lookup->done) closeSocket(lookup->sock);
    }
    closeSocket(sock);
}

// The worker's socket, once it has one; the connect then goes on as any.
void NetPort::takeLookup() {
    Socket s = NoSocket;
    std::string error;
    {
        std::lock_guard<std::mutex> hold(lookup->lock);
        if (!lookup->done) return;
        s = lookup->sock;
        error = lookup->error;
    }
    lookup.reset();
    if (s == NoSocket) return fail(error, true);
    sock = s;
}

void NetPort::fail(const std::string& why, bool isFatal) {
    if (isFatal) fatal = url + ": " + why;
    closeSocket(sock);
    sock = NoSocket;
    state = State::Failed;
}

void NetPort::start() {
    PortName name;
    std::string error;
    if (!parsePortName(url.c_str(), &name, &error) || !isNetworkScheme(name.scheme))
        return fail(error.empty() ? "not a network port" : error, true);
    rfc2217 = name.scheme == PortScheme::Rfc2217;
    if (isNumericHost(name.host)) {
        sock = startConnect(name.host, name.tcpPort, &error);
        if (sock == NoSocket) return fail(error, true);
    } else {
        lookup = startLookup(name.host, name.tcpPort);
    }
    state = State::Connecting;
    connectStart = nowMs();
    // Offered at once; the answers come whenever the server sends them.
    if (rfc2217) session.start(&out);
}

// True once connected; a refused connect fails the instance for good (with
// the reason kept), one pending too long fails it to be tried again.
bool NetPort::ready(int waitMs) {
    if (state == State::Connecting && lookup) takeLookup();
    if (state == State::Connecting && lookup) {
        // Still looking the name up: waited for as a connect would be.
        if (waitMs > 0) sleepMs(uint32_t(waitMs));
        if (nowMs() - connectStart >= NetConnectTimeoutMs) fail("no connection within 3 s", false);
    } else if (state == State::Connecting) {
        std::string error;
        switch (connectState(sock, waitMs, &error)) {
        case ConnectState::Connected: state = State::Connected; break;
        case ConnectState::Failed: fail(error, true); break;
        case ConnectState::Pending:
            if (nowMs() - connectStart >= NetConnectTimeoutMs)
                fail("no connection within 3 s", false);
            break;
        }
    }
    return state == State::Connected;
}

// Sends what is waiting until deadline; false when the connection is gone.
bool NetPort::flush(uint32_t deadline) {
    size_t sent = 0;
    while (sent < out.size()) {
        const int k = sendSome(sock, out.data() + sent, out.size() - sent);
        if (k < 0) {
            fail("the connection was lost", false);
            return false;
        }
        sent += size_t(k);
        if (k == 0) {
            if (int32_t(deadline - nowMs()) <= 0) break;
            sleepMs(1);
        }
    }
    out.erase(out.begin(), out.begin() + long(sent));
    return true;
}

void NetPort::absorb(const uint8_t* raw, int k) {
    if (!rfc2217) {
        data.insert(data.end(), raw, raw + k);
        return;
    }
    session.receive(raw, size_t(k), &data, &out);
}

bool NetPort::purge(unsigned what) {
    if (!ready(0)) return false;
    if (what & PurgeRxClear) {
        // What the socket holds is read and dropped, through the Telnet
        // parser, so a sequence cut at the end of a read still ends right
        // and a negotiation in it is still answered.
        uint8_t raw[512];
        int k;
        while ((k = receiveSome(sock, raw, sizeof raw, 0)) > 0) absorb(raw, k);
        if (k < 0) fail("the connection was lost", false);
        data.clear();
    }
    // Goes out with the next write, ahead of its data.
    if (rfc2217 && state == State::Connected) session.purge(what, &out);
    return state == State::Connected;
}

bool NetPort::write(const uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!ready(0)) return false;
    const uint32_t deadline =
        nowMs() + timeouts.writeTotalMultiplier * n + timeouts.writeTotalConstant;
    if (rfc2217)
        Rfc2217Client::encode(buf, n, &out);
    else
        out.insert(out.end(), buf, buf + n);
    if (!flush(deadline)) return false;
    // A server that takes nothing in a serial write's time would get half a
    // Telnet sequence if the rest were dropped: the connection starts over.
    if (!out.empty()) {
        fail("the server takes no data", false);
        return false;
    }
    *done = n;
    return true;
}

bool NetPort::read(uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!ready(0)) return false;
    const uint32_t deadline =
        nowMs() + timeouts.readTotalMultiplier * n + timeouts.readTotalConstant;
    uint32_t got = 0;
    uint8_t raw[512];
    while (state == State::Connected) {
        while (got < n && !data.empty()) {
            buf[got++] = data.front();
            data.pop_front();
        }
        if (got == n) break;
        int32_t left = int32_t(deadline - nowMs());
        if (got > 0 && timeouts.readInterval && left > int32_t(timeouts.readInterval))
            left = int32_t(timeouts.readInterval);
        if (left <= 0) break;
        const int k = receiveSome(sock, raw, sizeof raw, left);
        if (k == 0) break;  // total or interval time-out
        if (k < 0) {
            fail("the connection was lost", false);
            break;
        }
        absorb(raw, k);
        if (!out.empty()) flush(nowMs());  // answers go out without waiting
    }
    *done = got;
    return got > 0 || state == State::Connected;
}

bool NetPort::waitConnected(uint32_t ms, std::string* error) {
    const uint32_t until = nowMs() + ms;
    while (state == State::Connecting && int32_t(until - nowMs()) > 0)
        ready(int(until - nowMs() < 50 ? until - nowMs() : 50));
    if (state == State::Connected) return flush(nowMs() + 100);
    *error = fatal.empty() ? url + ": no connection within 3 s" : fatal;
    return false;
}

// The instances, by handle: a few at most are open at once (the link's, a
// test's own).
enum { MaxNetPorts = 8 };
const PortId FirstNetHandle = 0x4E00;
std::unique_ptr<NetPort> ports[MaxNetPorts];

NetPort* instanceOf(PortId h) {
    const PortId i = h - FirstNetHandle;
    return i >= 0 && i < MaxNetPorts ? ports[i].get() : nullptr;
}

PortId netOpen(const char* text) {
    for (int i = 0; i < MaxNetPorts; ++i) {
        if (ports[i]) continue;
        ports[i].reset(new NetPort(text));
        ports[i]->start();
        return FirstNetHandle + i;
    }
    return InvalidPort;
}

bool netSettings(PortId h, const PortSettings&) { return instanceOf(h) != nullptr; }
bool netTimeouts(PortId h, const PortTimeouts& t) {
    NetPort* p = instanceOf(h);
    if (p) p->setTimeouts(t);
    return p != nullptr;
}
bool netPurge(PortId h, unsigned what) {
    NetPort* p = instanceOf(h);
    return p && p->purge(what);
}
bool netWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    NetPort* p = instanceOf(h);
    *done = 0;
    return p && p->write(buf, n, done);
}
bool netRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    NetPort* p = instanceOf(h);
    *done = 0;
    return p && p->read(buf, n, done);
}
void netClose(PortId h) {
    if (instanceOf(h)) ports[h - FirstNetHandle].reset();
}
const char* netProblem(PortId h) {
    NetPort* p = instanceOf(h);
    return p ? p->problem() : nullptr;
}

}  // namespace

bool netPortWaitConnected(PortId h, uint32_t ms, std::string* error) {
    NetPort* p = instanceOf(h);
    if (!p) {
        *error = "the network port is not open";
        return false;
    }
    return p->waitConnected(ms, error);
}

const PortOps netPortOps = PortOps::called("network")
                               .withOpen(netOpen)
                               .withSettings(netSettings)
                               .withTimeouts(netTimeouts)
                               .withPurge(netPurge)
                               .withWrite(netWrite)
                               .withRead(netRead)
                               .withClose(netClose)
                               .withTickCount(nowMs)
                               .withSleep(sleepMs)
                               .withProblem(netProblem);
