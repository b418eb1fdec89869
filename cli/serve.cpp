// lpgctl serve: one client at a time, its request frames judged and passed
// to the controller one exchange at a time (cli/serve_relay.h), the port
// opened again when it fails.
#include "cli/serve.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/serve_client.h"
#include "cli/serve_relay.h"
#include "cli/stop_signals.h"
#include "link/link.h"
#include "link/net_socket.h"

namespace {

// The loop's waits: the sockets' (ms) and the port's, short enough that a
// request is on its way within a few ms of its arrival.
const int SocketWaitMs = 1;
const PortTimeouts ServeTimeouts = {1, 0, 2, 10, 200};
// What the client may leave unread before it is let go: far more than the
// controller sends in the time a client that reads at all takes to read it.
const size_t MaxUnsent = 64 * 1024;
const size_t ReadChunk = 4096;

// A line on standard error, "lpgctl: serve: " first.
void note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    fputs("lpgctl: serve: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    fflush(stderr);
    va_end(args);
}

// The log's pace for clients turned away: a line a second, the rest counted.
struct TurnedAway {
    uint32_t lastLine = 0;
    bool lined = false;
    unsigned unlined = 0;
};

struct Client {
    netsock::Socket socket = netsock::NoSocket;
    std::string peer;
    std::vector<uint8_t> unsent;
    ServeClientProtocol protocol{false};
};

// The loop's end of the relay: the link's port and the client's socket.
struct Server : RelayIo {
    ServeOptions options;
    netsock::Socket listener = netsock::NoSocket;
    Client client;
    ServeRelay relay;
    bool portUp = true;
    uint32_t reopenAt = 0;
    bool quietReopen = false;  // closed after the controller went silent, not a failure
    TurnedAway turnedAway;

    explicit Server(const ServeOptions& o) : options(o), relay(this, o.allowWrites, limitsOf(o)) {}
    static RelayLimits limitsOf(const ServeOptions& o) {
        RelayLimits limits;
        limits.idleMs = uint32_t(o.idleSeconds) * 1000u;
        return limits;
    }

    void purgePort() override {
        if (!portUp) return;
        linkPurge(PurgeTxClear);
        linkPurge(PurgeRxClear);
    }
    void sendToController(const uint8_t* frame) override {
        if (portUp && !linkWrite(frame, 4)) portFails();
    }
    void toClient(const uint8_t* bytes, size_t n) override {
        if (client.socket != netsock::NoSocket) client.protocol.encode(bytes, n, &client.unsent);
    }
    void note(const std::string& line) override { ::note("%s", line.c_str()); }
    void letGo(const std::string& why) override { closeClient(("let go: " + why).c_str()); }

    void closeClient(const char* why) {
        ::note("%s %s", client.peer.c_str(), why);
        netsock::closeSocket(client.socket);
        client = Client();
    }
    // The client left or broke: the relay forgets it too.
    void dropClient(const char* why) {
        closeClient(why);
        relay.clientGone(netsock::nowMs());
    }
    // The port is closed and opened again on the link's slow rhythm, as the
    // window does after a lost link; the client hears nothing of it.
    void portFails() {
        ::note("%s fails (unplugged?); trying to open it again every second", portLabel().c_str());
        closeLocalPort(false);
    }
    void closeLocalPort(bool quiet) {
        closePort();
        portUp = false;
        quietReopen = quiet;
        reopenAt = netsock::nowMs() + SlowPollInterval;
        relay.portDown();
    }
    void reopenWhenDue() {
        const uint32_t now = netsock::nowMs();
        if (portUp || int32_t(now - reopenAt) < 0) return;
        openPort();
        if (!PortOpen) {
            reopenAt = now + SlowPollInterval;
            return;
        }
        LinkPort->applyTimeouts(PortHandle, ServeTimeouts);
        portUp = true;
        if (!quietReopen) ::note("%s is back", portLabel().c_str());
        relay.portUp();
    }
};

// A second client is told why in one line and let go at once; only the log
// names who holds the controller.
void turnAway(netsock::Socket socket, const std::string& peer, const std::string& holder,
              TurnedAway* t) {
    const char line[] = "lpgctl serve: busy: another client is connected; try again later\r\n";
    netsock::sendSome(socket, reinterpret_cast<const uint8_t*>(line), sizeof line - 1);
    netsock::closeSocket(socket);
    const uint32_t now = netsock::nowMs();
    if (t->lined && now - t->lastLine < 1000u) {
        ++t->unlined;
        return;
    }
    if (t->unlined) note("%u more turned away", t->unlined);
    note("%s turned away: %s is connected", peer.c_str(), holder.c_str());
    *t = TurnedAway{now, true, 0};
}

void acceptClients(Server* s) {
    std::string peer;
    for (netsock::Socket c; (c = netsock::acceptClient(s->listener, &peer)) != netsock::NoSocket;) {
        if (s->client.socket != netsock::NoSocket) {
            turnAway(c, peer, s->client.peer, &s->turnedAway);
            continue;
        }
        s->client.socket = c;
        s->client.peer = peer;
        s->client.protocol = ServeClientProtocol(s->options.raw);
        s->client.protocol.greeting(&s->client.unsent);
        note("%s connected", peer.c_str());
        s->relay.clientConnected(peer, netsock::nowMs());
    }
}

void takeFromClient(Server* s) {
    Client& c = s->client;
    if (c.socket == netsock::NoSocket || !s->relay.wantsClientBytes()) return;
    uint8_t buf[ReadChunk];
    const long k = netsock::receiveSome(c.socket, buf, sizeof buf, 0);
    if (k < 0) return s->dropClient("disconnected");
    if (k == 0) return;
    FromClient in;
    c.protocol.take(buf, size_t(k), &in);
    c.unsent.insert(c.unsent.end(), in.answer.begin(), in.answer.end());
    const uint32_t now = netsock::nowMs();
    // A purge applies where it came in the client's stream.
    const size_t before = in.purge ? in.purgeAt : in.data.size();
    s->relay.fromClient(in.data.data(), before, now);
    if (in.purge) s->relay.clientPurge(in.purge);
    s->relay.fromClient(in.data.data() + before, in.data.size() - before, now);
}

// The controller's bytes go to the relay, which knows whose they are.
void takeFromController(Server* s) {
    if (!s->portUp) return;
    uint8_t buf[64];
    if (!linkRead(buf, sizeof buf)) return s->portFails();
    s->relay.fromController(buf, BytesTransferred, netsock::nowMs());
    if (s->relay.controllerSilent()) s->closeLocalPort(true);
}

void sendToClient(Server* s) {
    Client& c = s->client;
    if (c.socket == netsock::NoSocket || c.unsent.empty()) return;
    if (c.unsent.size() > MaxUnsent) return s->dropClient("let go: it stopped reading");
    const long k = netsock::sendSome(c.socket, c.unsent.data(), c.unsent.size());
    if (k < 0) return s->dropClient("disconnected");
    c.unsent.erase(c.unsent.begin(), c.unsent.begin() + k);
}

void serveUntilStopped(Server* s) {
    while (!stopRequested) {
        netsock::waitForServer(s->listener, s->client.socket, !s->client.unsent.empty(),
                               SocketWaitMs);
        acceptClients(s);
        takeFromClient(s);
        takeFromController(s);
        s->relay.tick(netsock::nowMs());
        s->reopenWhenDue();
        sendToClient(s);
    }
    if (s->client.socket != netsock::NoSocket) s->dropClient("let go: the server stops");
}

// The local port, open at the controller's settings with the loop's time-outs.
int openLocalPort(const CliArgs& args) {
    const int code = openPortOf(args);
    if (code != ExitOk) return code;
    if (!PortOpen) openPort();
    if (!PortOpen) return fail(ExitNoSuchPort, "%s can't be opened", portLabel().c_str());
    LinkPort->applyTimeouts(PortHandle, ServeTimeouts);
    return ExitOk;
}

// Listens as asked; *address is the bound one, in the form lpgctl's
// rfc2217:// ports take ("127.0.0.1:2217", "[::1]:2217").
int listenAsAsked(const ServeOptions& o, netsock::Socket* listener, std::string* address) {
    std::string error;
    bool loopback = true;
    if (!netsock::startServing(&error))
        return fail(ExitFailed, "the network can't be used: %s", error.c_str());
    if (!netsock::listenOn(o.host, o.port, listener, &loopback, &error))
        return fail(ExitFailed, "can't listen on %s: %s", listenText(o).c_str(), error.c_str());
    *address = netsock::boundAddress(*listener, &loopback);
    if (!loopback && o.allowWrites)
        warn(
            "listening beyond this machine with writes allowed: anyone who reaches %s can "
            "change the controller's settings",
            address->c_str());
    return ExitOk;
}

}  // namespace

int runServe(const CliArgs& args) {
    ServeOptions options;
    std::string error;
    if (!readServeOptions(args, &options, &error)) return fail(ExitUsage, "%s", error.c_str());
    Server s(options);
    std::string address;
    int code = openLocalPort(args);
    if (code == ExitOk) code = listenAsAsked(options, &s.listener, &address);
    if (code != ExitOk) {
        closePort();
        return code;
    }
    note("%s served on %s (%s, %s)", portLabel().c_str(), address.c_str(),
         options.raw ? "raw TCP" : "RFC 2217",
         options.allowWrites ? "writes allowed" : "read-only");
    catchStopSignals();
    serveUntilStopped(&s);
    releaseStopSignals();
    netsock::closeSocket(s.listener);
    closePort();
    note("stopped");
    return ExitOk;
}
