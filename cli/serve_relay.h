// lpgctl serve's judgement between one client and the controller: one
// request at a time, each reply handed back whole or cut at its time-out,
// the controller's generation learnt from status requests of serve's own,
// and the limits a client is held to. Portable: bytes, times and the calls
// of RelayIo, so tests and the fuzz target drive it with models of both ends.
#ifndef ZUVELS_CLI_SERVE_RELAY_H
#define ZUVELS_CLI_SERVE_RELAY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/serve_frames.h"

struct RelayLimits {
    uint32_t idleMs = 60000;    // no request frame for this long: let go
    unsigned refusals = 64;     // refused frames within a minute: let go
    size_t unframeable = 4096;  // bytes that start no frame within a minute: let go
};

// What the relay does to the world: serve's loop, or a test's models.
class RelayIo {
public:
    virtual ~RelayIo() = default;
    // Both directions of the controller's port.
    virtual void purgePort() = 0;
    virtual void sendToController(const uint8_t* frame) = 0;  // 4 bytes
    virtual void toClient(const uint8_t* bytes, size_t n) = 0;
    virtual void note(const std::string& line) = 0;  // one line of the log
    // The client is to be disconnected; the relay has forgotten it already.
    virtual void letGo(const std::string& why) = 0;
};

class ServeRelay {
public:
    ServeRelay(RelayIo* io, bool allowWrites, const RelayLimits& limits = RelayLimits());

    void clientConnected(const std::string& peer, uint32_t now);
    void clientGone(uint32_t now);
    // The client's data bytes (Telnet already taken off), and its purges
    // (PurgeTxClear, PurgeRxClear) where they came in its stream.
    void fromClient(const uint8_t* bytes, size_t n, uint32_t now);
    void clientPurge(unsigned what);
    // Room for more of the client's bytes; without it the loop leaves them
    // in the socket, so a client that floods is slowed, never stored.
    bool wantsClientBytes() const;

    void fromController(const uint8_t* bytes, size_t n, uint32_t now);
    // The port failed (or was closed to be opened again) and is back.
    void portDown();
    void portUp();

    // Time-outs, limits, and the next exchange when none is in flight.
    void tick(uint32_t now);

    int generation() const { return generation_; }
    // Three status requests in a row got not a byte back.
    bool controllerSilent() const { return silentStatuses_ >= 3; }

private:
    enum class Phase { None, Draining, Waiting, Settling };
    struct Exchange {
        Phase phase = Phase::None;
        bool own = false;       // serve's own status request
        bool handBack = false;  // the reply goes to the client
        uint8_t frame[4] = {};
        uint8_t reply[21] = {};
        size_t expected = 0, got = 0;
        bool overrun = false;  // more bytes than the request's reply
        uint32_t since = 0;    // start of the phase, or the last byte
        uint32_t drainStart = 0;
        unsigned client = 0;  // whose: clientCount_ when it started
    };
    // Counts over a minute towards letting a client go.
    struct Window {
        uint32_t start = 0;
        unsigned refusals = 0;
        size_t unframeable = 0;
    };

    RelayIo* io_;
    bool allowWrites_;
    RelayLimits limits_;
    bool portUp_ = true;
    int generation_ = 0;  // 0: not known
    int silentStatuses_ = 0;
    Exchange ex_;

    bool client_ = false;
    unsigned clientCount_ = 0;  // clients so far: nothing learnt passes to the next
    std::string peer_;
    std::vector<uint8_t> pending_;
    size_t pendingAt_ = 0;
    RequestFramer framer_;
    bool holding_ = false;  // a block 5 read waits for the generation
    uint8_t held_[4] = {};
    bool needOwnStatus_ = false;
    uint32_t lastFrameAt_ = 0;
    Window window_;
    // The log's pace: refusals and dropped bytes at most a line a second.
    uint32_t lastRefusalLine_ = 0, lastDropLine_ = 0;
    bool refusalLined_ = false, dropLined_ = false;
    unsigned refusalsUnlined_ = 0;
    size_t droppedUnlined_ = 0;

    void forgetClient();
    void advance(uint32_t now);
    void finish();
    void startNext(uint32_t now);
    bool nextFrame(uint8_t* frame, uint32_t now);
    bool takeFrame(const uint8_t* frame, uint32_t now);
    void startExchange(const uint8_t* frame, size_t expected, bool own, uint32_t now);
    void refuse(const uint8_t* frame, const std::string& what, uint32_t now);
    void countDropped(size_t n, uint32_t now);
    bool overLimits(uint32_t now);
    void flushLines(uint32_t now, bool all);
    void letGo(const std::string& why, uint32_t now);
};

// The length of the controller's reply to a request frame.
size_t replyLengthOf(const uint8_t* frame, int generation);

#endif
