// lpgctl serve: one client at a time, its request frames judged before they
// reach the controller, the controller's bytes passed back as they come.
#include "cli/serve.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/serve_client.h"
#include "cli/serve_frames.h"
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

struct Client {
    netsock::Socket socket = netsock::NoSocket;
    std::string peer;
    std::vector<uint8_t> unsent;
    ServeClientProtocol protocol{false};
    RequestFramer framer;
};

struct Server {
    ServeOptions options;
    netsock::Socket listener = netsock::NoSocket;
    Client client;
    StatusWatch watch;
};

void dropClient(Server* s, const char* why) {
    note("%s %s", s->client.peer.c_str(), why);
    netsock::closeSocket(s->client.socket);
    s->client = Client();
}

// A second client is told why in one line and let go at once.
void turnAway(netsock::Socket socket, const std::string& peer, const std::string& holder) {
    const std::string line =
        "lpgctl serve: busy: another client (" + holder + ") is connected; try again later\r\n";
    netsock::sendSome(socket, reinterpret_cast<const uint8_t*>(line.data()), line.size());
    netsock::closeSocket(socket);
    note("%s turned away: %s is connected", peer.c_str(), holder.c_str());
}

void acceptClients(Server* s) {
    std::string peer;
    for (netsock::Socket c; (c = netsock::acceptClient(s->listener, &peer)) != netsock::NoSocket;) {
        if (s->client.socket != netsock::NoSocket) {
            turnAway(c, peer, s->client.peer);
            continue;
        }
        s->client.socket = c;
        s->client.peer = peer;
        s->client.protocol = ServeClientProtocol(s->options.raw);
        s->client.protocol.greeting(&s->client.unsent);
        note("%s connected", peer.c_str());
    }
}

// One frame of the client's: to the controller, or refused and logged.
void forwardFrame(Server* s, const uint8_t* frame) {
    const FrameJudgement j = judgeFrame(frame, s->watch.generation(), s->options.allowWrites);
    if (j.verdict == FrameVerdict::Refuse) {
        note("%s refused: %s (%02X %02X %02X %02X)", s->client.peer.c_str(), j.what.c_str(),
             frame[0], frame[1], frame[2], frame[3]);
        return;
    }
    if (frame[1] == RequestFrames[ReqStatus][1] && frame[2] == RequestFrames[ReqStatus][2])
        s->watch.statusSent();
    linkWrite(frame, 4);
}

void takeFromClient(Server* s) {
    Client& c = s->client;
    uint8_t buf[ReadChunk];
    const long k = netsock::receiveSome(c.socket, buf, sizeof buf, 0);
    if (k < 0) return dropClient(s, "disconnected");
    if (k == 0) return;
    FromClient in;
    c.protocol.take(buf, size_t(k), &in);
    c.unsent.insert(c.unsent.end(), in.answer.begin(), in.answer.end());
    if (in.purge) linkPurge(in.purge);
    for (uint8_t b : in.data)
        if (c.framer.push(b)) forwardFrame(s, c.framer.frame());
    if (const size_t dropped = c.framer.takeDropped())
        note("%s: %zu byte(s) that start no request frame dropped", c.peer.c_str(), dropped);
}

// The controller's bytes go to the client, or nowhere when none is there.
void takeFromController(Server* s) {
    uint8_t buf[64];
    if (!linkRead(buf, sizeof buf) || BytesTransferred == 0) return;
    s->watch.take(buf, BytesTransferred);
    if (s->client.socket != netsock::NoSocket)
        s->client.protocol.encode(buf, BytesTransferred, &s->client.unsent);
}

void sendToClient(Server* s) {
    Client& c = s->client;
    if (c.socket == netsock::NoSocket || c.unsent.empty()) return;
    if (c.unsent.size() > MaxUnsent) return dropClient(s, "let go: it stopped reading");
    const long k = netsock::sendSome(c.socket, c.unsent.data(), c.unsent.size());
    if (k < 0) return dropClient(s, "disconnected");
    c.unsent.erase(c.unsent.begin(), c.unsent.begin() + k);
}

void serveUntilStopped(Server* s) {
    while (!stopRequested) {
        netsock::waitForServer(s->listener, s->client.socket, !s->client.unsent.empty(),
                               SocketWaitMs);
        acceptClients(s);
        if (s->client.socket != netsock::NoSocket) takeFromClient(s);
        takeFromController(s);
        sendToClient(s);
    }
    if (s->client.socket != netsock::NoSocket) dropClient(s, "let go: the server stops");
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

int listenAsAsked(Server* s) {
    std::string error;
    bool loopback = true;
    if (!netsock::startServing(&error))
        return fail(ExitFailed, "the network can't be used: %s", error.c_str());
    if (!netsock::listenOn(s->options.host, s->options.port, &s->listener, &loopback, &error))
        return fail(ExitFailed, "can't listen on %s:%d: %s", s->options.host.c_str(),
                    s->options.port, error.c_str());
    if (!loopback && s->options.allowWrites)
        warn(
            "listening beyond this machine with writes allowed: anyone who reaches %s:%d can "
            "change the controller's settings",
            s->options.host.c_str(), s->options.port);
    return ExitOk;
}

}  // namespace

int runServe(const CliArgs& args) {
    Server s;
    std::string error;
    if (!readServeOptions(args, &s.options, &error)) return fail(ExitUsage, "%s", error.c_str());
    int code = openLocalPort(args);
    if (code == ExitOk) code = listenAsAsked(&s);
    if (code != ExitOk) {
        closePort();
        return code;
    }
    note("%s served on %s:%d (%s, %s)", portLabel().c_str(), s.options.host.c_str(),
         netsock::localPort(s.listener), s.options.raw ? "raw TCP" : "RFC 2217",
         s.options.allowWrites ? "writes allowed" : "read-only");
    catchStopSignals();
    serveUntilStopped(&s);
    releaseStopSignals();
    netsock::closeSocket(s.listener);
    closePort();
    note("stopped");
    return ExitOk;
}
