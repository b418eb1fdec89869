// Network serial ports: the instance behind each open, and the backend's table.
#include "link/port_net.h"

#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "link/net_connect.h"
#include "link/net_socket.h"
#include "link/port_grammar.h"
#include "link/rfc2217_client.h"

namespace {

using namespace netsock;

// The budgets that keep a hostile server from holding the client or
// growing it: raw bytes a purge reads and drops (a burst's worth), raw bytes
// one read takes in (a reply with every byte escaped and the server's
// notices, many times over), data bytes kept unread (a serial driver's
// buffer; more are dropped as one drops them), and answers to the server's
// negotiations kept unsent (a server that reads none of them is given up).
enum : size_t {
    PurgeBudget = 4096,
    ReadBudget = 4096,
    UnreadCap = 4096,
    UnsentCap = 4096,
    LastWordsCap = 160,
};

// A name looked up on a worker thread, so that a slow DNS never holds the
// caller. Shared with the worker: an instance closed before the answer
// leaves the worker to finish alone.
struct Lookup {
    std::mutex lock;
    bool done = false;
    std::vector<Address> addresses;
    std::string error;
};

// Addresses are connected to at once; only names wait for the resolver.
bool isNumericHost(const std::string& host) {
    if (host.find(':') != std::string::npos) return true;  // IPv6
    for (char c : host)
        if (c != '.' && (c < '0' || c > '9')) return false;
    return !host.empty();
}

// Keeps the data bytes from index from on in *words, the last cap of them.
void noteLastWords(const std::deque<uint8_t>& data, size_t from, std::string* words, size_t cap) {
    if (data.size() - from >= cap) {
        words->assign(data.end() - long(cap), data.end());
        return;
    }
    words->append(data.begin() + long(from), data.end());
    if (words->size() > cap) words->erase(0, words->size() - cap);
}

std::shared_ptr<Lookup> startLookup(const std::string& host, unsigned port) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        std::vector<Address> addresses;
        std::string error;
        if (!resolve(host, port, false, &addresses, &error))
            error = "the name " + host + " does not resolve: " + error;
        std::lock_guard<std::mutex> hold(lookup->lock);
        lookup->addresses.swap(addresses);
        lookup->error = error;
        lookup->done = true;
    }).detach();
    return lookup;
}

class NetPort {
public:
    NetPort(const std::string& url) : url(url) {}
    ~NetPort() { closeSocket(sock); }
    void start();
    void setTimeouts(const PortTimeouts& t) { timeouts = t; }
    bool purge(unsigned what);
    bool write(const uint8_t* buf, uint32_t n, uint32_t* done);
    bool read(uint8_t* buf, uint32_t n, uint32_t* done);
    bool waitConnected(uint32_t ms, std::string* error);
    const char* problem() const { return fatal.empty() ? nullptr : fatal.c_str(); }

private:
    enum class State { Connecting, Connected, Failed };
    std::string url, host;
    bool rfc2217 = false;
    Socket sock = NoSocket;
    State state = State::Failed;
    uint32_t connectStart = 0;
    PortTimeouts timeouts = LinkPortTimeouts;
    std::vector<uint8_t> out;  // bytes waiting to go, Telnet-encoded
    std::deque<uint8_t> data;  // data bytes received, not yet read
    std::string lastWords;     // the last data bytes received, for a server that ends with words
    Rfc2217Client session;
    std::string fatal;                        // why the port can't be reached, or why it ended
    std::shared_ptr<Lookup> lookup;           // while the name is looked up
    std::unique_ptr<NetConnector> connector;  // while its addresses are tried

    bool ready(int waitMs);
    void takeLookup();
    void connecting(int waitMs);
    void fail(const std::string& why, bool isFatal);
    void lost(int how);
    bool flush(uint32_t deadline);
    bool take(int waitMs, size_t* budget);
    void absorb(const uint8_t* raw, int k);
};

// The worker's addresses, once it has them; they are then tried in turn.
void NetPort::takeLookup() {
    std::vector<Address> addresses;
    std::string error;
    {
        std::lock_guard<std::mutex> hold(lookup->lock);
        if (!lookup->done) return;
        addresses.swap(lookup->addresses);
        error = lookup->error;
    }
    lookup.reset();
    if (addresses.empty()) return fail(error, true);
    const uint32_t used = nowMs() - connectStart;
    connector.reset(
        new NetConnector(addresses, used < NetConnectTimeoutMs ? NetConnectTimeoutMs - used : 0));
}

void NetPort::fail(const std::string& why, bool isFatal) {
    if (isFatal && fatal.empty()) fatal = url + ": " + why;
    closeSocket(sock);
    sock = NoSocket;
    connector.reset();
    state = State::Failed;
}

// The connection ended: what the server said last, when it said words, or
// how it ended. Told as the port's problem: before any controller has
// answered on it, the link shows it once and tries no more (a server that
// turns every client away); after that, the link only goes down and
// reconnects.
void NetPort::lost(int how) {
    const std::string words = serverWords(lastWords);
    if (!words.empty())
        fail("the server says: \"" + words + "\" and closed the connection", true);
    else if (how == ReceiveClosed)
        fail("the server closed the connection", true);
    else
        fail("the connection was reset", true);
}

void NetPort::start() {
    PortName name;
    std::string error;
    if (!parsePortName(url.c_str(), &name, &error) || !isNetworkScheme(name.scheme))
        return fail(error.empty() ? "not a network port" : error, true);
    rfc2217 = name.scheme == PortScheme::Rfc2217;
    host = name.host;
    state = State::Connecting;
    connectStart = nowMs();
    if (isNumericHost(name.host)) {
        std::vector<Address> addresses;
        if (!resolve(name.host, name.tcpPort, false, &addresses, &error))
            return fail("the name " + name.host + " does not resolve: " + error, true);
        connector.reset(new NetConnector(addresses, NetConnectTimeoutMs));
    } else {
        lookup = startLookup(name.host, name.tcpPort);
    }
    // Offered at once; the answers come whenever the server sends them.
    if (rfc2217) session.start(&out);
}

// One step of a connect: the addresses tried in turn; all refused fails the
// instance for good (with the reason kept), none answering in time fails it
// to be tried again.
void NetPort::connecting(int waitMs) {
    switch (connector->poll(waitMs)) {
    case NetConnector::State::Trying: return;
    case NetConnector::State::Connected:
        sock = connector->take();
        connector.reset();
        state = State::Connected;
        return;
    case NetConnector::State::Refused: return fail(connector->error(), true);
    case NetConnector::State::TimedOut: return fail("no connection within 3 s", false);
    }
}

// True once connected.
bool NetPort::ready(int waitMs) {
    if (state == State::Connecting && lookup) takeLookup();
    if (state == State::Connecting && lookup) {
        // Still looking the name up: waited for as a connect would be.
        if (waitMs > 0) sleepMs(uint32_t(waitMs));
        if (nowMs() - connectStart >= NetConnectTimeoutMs) fail("no connection within 3 s", false);
    } else if (state == State::Connecting) {
        connecting(waitMs);
    }
    return state == State::Connected;
}

// Sends what is waiting until deadline; false when the connection is gone.
bool NetPort::flush(uint32_t deadline) {
    size_t sent = 0;
    while (sent < out.size()) {
        const int k = sendSome(sock, out.data() + sent, out.size() - sent);
        if (k < 0) {
            lost(ReceiveBroken);
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
    const size_t before = data.size();
    if (rfc2217)
        session.receive(raw, size_t(k), &data, &out);
    else
        data.insert(data.end(), raw, raw + k);
    noteLastWords(data, before, &lastWords, LastWordsCap);
    // A full buffer drops what comes on top, as a serial driver's does.
    if (data.size() > UnreadCap) data.resize(UnreadCap);
    // Answers a server doesn't read pile up: once this many are waiting and
    // it takes none of them in a write's time, it is taken to read nothing
    // and given up.
    if (out.size() > UnsentCap && flush(nowMs() + timeouts.writeTotalConstant) &&
        out.size() > UnsentCap)
        fail("the server reads nothing of what is sent to it", true);
}

// One receive of up to waitMs, at most *budget raw bytes; false when
// nothing came (or the connection ended, which fails the instance).
bool NetPort::take(int waitMs, size_t* budget) {
    uint8_t raw[512];
    const size_t want = *budget < sizeof raw ? *budget : sizeof raw;
    if (want == 0) return false;
    const int k = receiveSome(sock, raw, want, waitMs);
    if (k < 0) lost(k);
    if (k <= 0) return false;
    *budget -= size_t(k);
    absorb(raw, k);
    return state == State::Connected;
}

bool NetPort::purge(unsigned what) {
    if (!ready(0)) return false;
    if (what & PurgeRxClear) {
        // What the socket holds is read and dropped, through the Telnet
        // parser, so a sequence cut at the end of a read still ends right
        // and a negotiation in it is still answered. At most a burst's
        // worth: a server that never stops sending can't hold the purge.
        size_t budget = PurgeBudget;
        const uint32_t until = nowMs() + timeouts.readTotalConstant;
        while (take(0, &budget) && int32_t(until - nowMs()) > 0) {}
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
    // Telnet sequence if the rest were dropped: it is given up.
    if (!out.empty()) {
        fail("the server reads nothing of what is sent to it", true);
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
    size_t budget = ReadBudget;
    while (state == State::Connected) {
        while (got < n && !data.empty()) {
            buf[got++] = data.front();
            data.pop_front();
        }
        if (got == n) break;
        int32_t left = int32_t(deadline - nowMs());
        if (got > 0 && timeouts.readInterval && left > int32_t(timeouts.readInterval))
            left = int32_t(timeouts.readInterval);
        // The total or interval time-out, or a server that sent its budget
        // without the reply in it.
        if (left <= 0 || !take(left, &budget)) break;
        if (!out.empty()) flush(nowMs());  // answers go out without waiting
    }
    *done = got;
    return got > 0 || state == State::Connected;
}

bool NetPort::waitConnected(uint32_t ms, std::string* error) {
    const uint32_t until = nowMs() + ms;
    while (state == State::Connecting && int32_t(until - nowMs()) > 0)
        ready(int(until - nowMs() < 50 ? until - nowMs() : 50));
    if (state == State::Connected && flush(nowMs() + 100)) return true;
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

std::string serverWords(const std::string& lastBytes) {
    size_t start = lastBytes.size();
    while (start > 0) {
        const unsigned char c = static_cast<unsigned char>(lastBytes[start - 1]);
        if ((c < 0x20 || c > 0x7E) && c != '\r' && c != '\n' && c != '\t') break;
        --start;
    }
    std::string words;
    int letters = 0;
    for (size_t i = start; i < lastBytes.size(); ++i) {
        const char c = lastBytes[i];
        const bool blank = c == ' ' || c == '\r' || c == '\n' || c == '\t';
        if (blank && (words.empty() || words.back() == ' ')) continue;
        words += blank ? ' ' : c;
        letters += (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }
    if (!words.empty() && words.back() == ' ') words.pop_back();
    // A controller's reply may hold a printable byte or two; words have
    // letters and a space between them.
    if (letters < 3 || words.find(' ') == std::string::npos) return "";
    return words;
}

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
