#include "cli/serve_relay.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "link/port.h"

namespace {

enum : size_t { FrameLength = 4, PendingRoom = 4096 };
// serve's own status request: the port is purged and must stay quiet this
// long before it goes out, and its 4 bytes must be followed by as long a
// silence. A controller sends each reply in one burst (a USB adapter's
// latency timer holds bytes for 16 ms at most), so the late tail of an
// earlier reply is drained first, and a longer reply that merely starts
// like a status shows itself by its fifth byte.
enum : uint32_t { QuietMs = 50, DrainLimitMs = 1000, WindowMs = 60000, LineEveryMs = 1000 };

// Wrap-safe: at least ms have passed from then to now.
bool passed(uint32_t now, uint32_t then, uint32_t ms) { return uint32_t(now - then) >= ms; }

bool isStatusRead(const uint8_t* f) { return memcmp(f, RequestFrames[ReqStatus], 4) == 0; }
bool isExtendedRead(const uint8_t* f) { return memcmp(f, RequestFrames[ReqExtended], 4) == 0; }

// The time the link gives a reply of n bytes.
uint32_t replyTimeMs(size_t n) {
    return LinkPortTimeouts.readTotalMultiplier * uint32_t(n) + LinkPortTimeouts.readTotalConstant;
}

std::string hexOf(const uint8_t* f) {
    char text[16];
    snprintf(text, sizeof text, "%02X %02X %02X %02X", f[0], f[1], f[2], f[3]);
    return text;
}

}  // namespace

size_t replyLengthOf(const uint8_t* f, int generation) {
    static const size_t Blocks[] = {sizeof(StatusBlock), sizeof(LiveBlock), sizeof(ConfigABlock),
                                    sizeof(ConfigBBlock), sizeof(ExtendedBlock)};
    for (int r = ReqStatus; r <= ReqExtended; ++r)
        if (memcmp(f, RequestFrames[r], FrameLength) == 0)
            return r == ReqExtended && generation != 3 ? sizeof(WriteReplyBlock) : Blocks[r];
    return sizeof(WriteReplyBlock);
}

ServeRelay::ServeRelay(RelayIo* io, bool allowWrites, const RelayLimits& limits)
    : io_(io), allowWrites_(allowWrites), limits_(limits) {}

void ServeRelay::clientConnected(const std::string& peer, uint32_t now) {
    forgetClient();
    client_ = true;
    ++clientCount_;
    peer_ = peer;
    lastFrameAt_ = now;
    window_.start = now;
    // The generation is learnt afresh, by serve itself, for every client.
    needOwnStatus_ = true;
    if (ex_.phase == Phase::None) io_->purgePort();
    tick(now);
}

void ServeRelay::clientGone(uint32_t now) {
    if (!client_) return;
    flushLines(now, true);
    forgetClient();
    // A reply still coming is drained and dropped by its exchange.
    if (ex_.phase == Phase::None) io_->purgePort();
}

void ServeRelay::forgetClient() {
    client_ = false;
    ex_.handBack = false;
    // A status request of serve's own not sent yet is for nobody now.
    if (ex_.own && ex_.phase == Phase::Draining) ex_ = Exchange();
    pending_.clear();
    pendingAt_ = 0;
    framer_ = RequestFramer();
    holding_ = needOwnStatus_ = false;
    generation_ = 0;
    window_ = Window();
    refusalLined_ = dropLined_ = false;
    refusalsUnlined_ = 0;
    droppedUnlined_ = 0;
}

void ServeRelay::fromClient(const uint8_t* bytes, size_t n, uint32_t now) {
    if (!client_) return;
    pending_.insert(pending_.end(), bytes, bytes + n);
    tick(now);
}

// A purge of the transmit side drops what the client sent and serve has not
// passed on; of the receive side, the rest of the reply in flight. Neither
// touches the port, so what serve attributes to which request stays its own.
void ServeRelay::clientPurge(unsigned what) {
    if (!client_) return;
    if (what & PurgeTxClear) {
        pending_.clear();
        pendingAt_ = 0;
        framer_ = RequestFramer();
        holding_ = false;
    }
    if (what & PurgeRxClear) ex_.handBack = false;
}

bool ServeRelay::wantsClientBytes() const {
    return client_ && pending_.size() - pendingAt_ < PendingRoom;
}

void ServeRelay::fromController(const uint8_t* bytes, size_t n, uint32_t now) {
    if (n == 0) return;
    Exchange& e = ex_;
    if (e.phase == Phase::Draining || e.phase == Phase::None) {
        // A late reply, or bytes nobody asked for: serve and the controller
        // no longer agree on what is which, so the generation is asked again.
        if (e.phase == Phase::None) generation_ = 0;
        e.since = now;
        return;
    }
    if (e.phase == Phase::Settling) {
        e.overrun = true;
        return;
    }
    const size_t take = n < e.expected - e.got ? n : e.expected - e.got;
    memcpy(e.reply + e.got, bytes, take);
    e.got += take;
    e.overrun = take < n;
    if (e.handBack && client_) io_->toClient(bytes, take);
    if (e.got < e.expected) return;
    e.since = now;
    if (e.own) e.phase = e.overrun ? Phase::Waiting : Phase::Settling;
    if (e.overrun || !e.own) finish();
}

void ServeRelay::portDown() {
    portUp_ = false;
    ex_ = Exchange();
    generation_ = 0;
    holding_ = false;
    silentStatuses_ = 0;
}

void ServeRelay::portUp() {
    portUp_ = true;
    needOwnStatus_ = client_;
}

void ServeRelay::tick(uint32_t now) {
    if (client_ && passed(now, lastFrameAt_, limits_.idleMs)) {
        char why[64];
        snprintf(why, sizeof why, "no request for %u s", unsigned(limits_.idleMs / 1000));
        return letGo(why, now);
    }
    flushLines(now, false);
    advance(now);
    startNext(now);
}

// Time-outs and the quiet times of the exchange in flight.
void ServeRelay::advance(uint32_t now) {
    Exchange& e = ex_;
    switch (e.phase) {
    case Phase::None: return;
    case Phase::Draining:
        if (passed(now, e.drainStart, DrainLimitMs)) return finish();
        if (!passed(now, e.since, QuietMs)) return;
        // Set first: a port that fails on the send ends the exchange.
        e.phase = Phase::Waiting;
        e.since = now;
        io_->purgePort();
        io_->sendToController(e.frame);
        return;
    case Phase::Waiting:
        if (passed(now, e.since, replyTimeMs(e.expected))) finish();
        return;
    case Phase::Settling:
        if (passed(now, e.since, QuietMs)) finish();
        return;
    }
}

// The exchange is over: its reply whole, cut at its time-out, or overrun.
void ServeRelay::finish() {
    const Exchange e = ex_;
    ex_ = Exchange();
    const bool status = isStatusRead(e.frame);
    const bool valid = status && e.got == e.expected && !e.overrun && e.phase != Phase::Draining &&
                       replyChecks(e.reply, e.got);
    const int replied = valid ? generationOf(e.reply[offsetof(StatusBlock, identity)]) : 0;
    if (status && e.phase != Phase::Draining) silentStatuses_ = e.got ? 0 : silentStatuses_ + 1;
    const bool thisClient = client_ && e.client == clientCount_;
    if (e.own && thisClient) {
        generation_ = replied;
    } else if (thisClient && status && replied != generation_) {
        // Not the status serve learnt: ask again before block 5 is judged.
        generation_ = 0;
    }
    if (!thisClient) io_->purgePort();
}

void ServeRelay::startNext(uint32_t now) {
    while (ex_.phase == Phase::None && client_) {
        if (portUp_ && needOwnStatus_) {
            needOwnStatus_ = false;
            startExchange(RequestFrames[ReqStatus], sizeof(StatusBlock), true, now);
            return;
        }
        uint8_t frame[4];
        if (holding_) {
            memcpy(frame, held_, sizeof frame);
            holding_ = false;
        } else if (!nextFrame(frame, now)) {
            return;
        }
        if (!takeFrame(frame, now)) return;
    }
}

// The next whole frame of the client's, counting what starts none.
bool ServeRelay::nextFrame(uint8_t* frame, uint32_t now) {
    bool got = false;
    while (!got && pendingAt_ < pending_.size()) got = framer_.push(pending_[pendingAt_++]);
    if (pendingAt_ == pending_.size()) {
        pending_.clear();
        pendingAt_ = 0;
    }
    countDropped(framer_.takeDropped(), now);
    if (!got || !client_) return false;
    memcpy(frame, framer_.frame(), FrameLength);
    lastFrameAt_ = now;
    return true;
}

// Judges one frame; false when it is on its way (or waits for the generation).
bool ServeRelay::takeFrame(const uint8_t* frame, uint32_t now) {
    if (isExtendedRead(frame) && generation_ == 0 && portUp_) {
        memcpy(held_, frame, sizeof held_);
        holding_ = needOwnStatus_ = true;
        return true;
    }
    const FrameJudgement j = judgeFrame(frame, generation_, allowWrites_);
    if (j.verdict == FrameVerdict::Refuse) {
        refuse(frame, j.what, now);
        return client_;
    }
    // A port that is down answers nothing; the client is told nothing else.
    if (!portUp_) return true;
    startExchange(frame, replyLengthOf(frame, generation_), false, now);
    return false;
}

void ServeRelay::startExchange(const uint8_t* frame, size_t expected, bool own, uint32_t now) {
    ex_ = Exchange();
    memcpy(ex_.frame, frame, FrameLength);
    ex_.own = own;
    ex_.handBack = !own;
    ex_.expected = expected;
    ex_.client = clientCount_;
    ex_.since = ex_.drainStart = now;
    ex_.phase = own ? Phase::Draining : Phase::Waiting;
    io_->purgePort();
    if (!own) io_->sendToController(frame);
}

void ServeRelay::refuse(const uint8_t* frame, const std::string& what, uint32_t now) {
    ++window_.refusals;
    if (!refusalLined_ || passed(now, lastRefusalLine_, LineEveryMs)) {
        flushLines(now, true);
        io_->note(peer_ + " refused: " + what + " (" + hexOf(frame) + ")");
        refusalLined_ = true;
        lastRefusalLine_ = now;
    } else {
        ++refusalsUnlined_;
    }
    overLimits(now);
}

void ServeRelay::countDropped(size_t n, uint32_t now) {
    if (n == 0) return;
    window_.unframeable += n;
    droppedUnlined_ += n;
    flushLines(now, false);
    overLimits(now);
}

// Refusals and unframeable bytes within a minute; true when the client was let go.
bool ServeRelay::overLimits(uint32_t now) {
    if (!client_) return true;
    if (passed(now, window_.start, WindowMs)) {
        window_ = Window();
        window_.start = now;
        return false;
    }
    char why[96] = "";
    if (window_.refusals >= limits_.refusals)
        snprintf(why, sizeof why, "%u refused frames within a minute", window_.refusals);
    else if (window_.unframeable >= limits_.unframeable)
        snprintf(why, sizeof why, "%zu bytes that start no request frame within a minute",
                 window_.unframeable);
    if (!*why) return false;
    letGo(why, now);
    return true;
}

// The summary of refusals not lined yet, and the dropped bytes, at most a
// line a second each (all: now, before another line or the client's end).
void ServeRelay::flushLines(uint32_t now, bool all) {
    if (refusalsUnlined_ && (all || passed(now, lastRefusalLine_, LineEveryMs))) {
        io_->note(std::to_string(refusalsUnlined_) + " more refused from " + peer_);
        refusalsUnlined_ = 0;
        lastRefusalLine_ = now;
    }
    if (droppedUnlined_ && (all || !dropLined_ || passed(now, lastDropLine_, LineEveryMs))) {
        io_->note(peer_ + ": " + std::to_string(droppedUnlined_) +
                  " byte(s) that start no request frame dropped");
        droppedUnlined_ = 0;
        dropLined_ = true;
        lastDropLine_ = now;
    }
}

void ServeRelay::letGo(const std::string& why, uint32_t now) {
    flushLines(now, true);
    forgetClient();
    if (ex_.phase == Phase::None) io_->purgePort();
    io_->letGo(why);
}
