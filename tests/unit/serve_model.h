// Both ends of lpgctl serve's relay as models, for the unit tests and the
// fuzz target: a controller behind a serial port (each request answered in
// turn, each reply one burst, its bytes at most BurstGapMs apart, a purge
// dropping what has arrived), and the client's side as what it was handed.
#ifndef ZUVELS_TESTS_UNIT_SERVE_MODEL_H
#define ZUVELS_TESTS_UNIT_SERVE_MODEL_H

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "cli/serve_relay.h"
#include "link/blocks.h"

namespace servemodel {

using Bytes = std::vector<uint8_t>;

// The longest pause inside one reply: a USB adapter's latency timer.
const uint32_t BurstGapMs = 16;

// Replies for the frames, the sum of each fixed; block 5 on generation 1 is
// the same bytes as a write of 5 to address 5, and is answered as one.
class Controller {
public:
    explicit Controller(int generation) : generation_(generation) {
        for (int b = 1; b <= 5; ++b) setBlock(b, Bytes());
    }
    // A block's reply: its first bytes as given, the rest zero, the sum set.
    void setBlock(int block, const Bytes& head) {
        static const size_t Lengths[] = {4, 11, 14, 16, 21};
        Bytes& r = blocks_[block - 1];
        r.assign(Lengths[block - 1], 0);
        r[0] = LeadByte;
        for (size_t i = 1; i < head.size() && i + 1 < r.size(); ++i) r[i] = head[i];
        if (block == 1) r[2] = uint8_t((generation_ - 1) * 32 + 5);
        r.back() = byteSum(r.data(), r.size() - 1);
    }
    // A frame arrives; its reply starts delayMs after the previous reply
    // ends, each byte gaps[i] % (BurstGapMs + 1) ms after the one before.
    void receive(const uint8_t* f, uint32_t now, uint32_t delayMs, const Bytes& gaps = Bytes()) {
        received_.emplace_back(f, f + 4);
        const Bytes reply = replyTo(f);
        uint32_t at = (busyUntil_ > now ? busyUntil_ : now) + delayMs;
        for (size_t i = 0; i < reply.size(); ++i) {
            at += 1 + (i < gaps.size() ? gaps[i] % (BurstGapMs + 1) : 0);
            wire_.emplace_back(at, reply[i]);
        }
        busyUntil_ = at;
    }
    // What has arrived in the port by now.
    Bytes take(uint32_t now) {
        Bytes got;
        while (!wire_.empty() && wire_.front().first <= now) {
            got.push_back(wire_.front().second);
            wire_.pop_front();
        }
        return got;
    }
    void purge(uint32_t now) { take(now); }
    // Frames that change the controller: all but its own reads.
    int writes() const {
        int n = 0;
        for (const Bytes& f : received_) n += !isRead(f.data());
        return n;
    }
    const std::vector<Bytes>& received() const { return received_; }
    bool isRead(const uint8_t* f) const {
        const int last = generation_ == 3 ? 5 : 4;
        return f[0] == LeadByte && f[1] == f[2] && f[1] >= 1 && f[1] <= last &&
               f[3] == byteSum(f, 3);
    }

private:
    int generation_;
    Bytes blocks_[5];
    std::vector<Bytes> received_;
    std::deque<std::pair<uint32_t, uint8_t>> wire_;
    uint32_t busyUntil_ = 0;

    Bytes replyTo(const uint8_t* f) const {
        if (isRead(f)) return blocks_[f[1] - 1];
        if (f[0] != LeadByte || f[3] != byteSum(f, 3)) return Bytes();
        Bytes r = {LeadByte, f[2], 0};
        r[2] = byteSum(r.data(), 2);
        return r;
    }
};

// The relay between a client (what it was handed, the log) and the model.
class Rig : public RelayIo {
public:
    Rig(int generation, bool allowWrites, const RelayLimits& limits = RelayLimits())
        : controller(generation), relay(this, allowWrites, limits) {}
    Controller controller;
    ServeRelay relay;
    uint32_t now = 1000;
    uint32_t replyDelayMs = 3;
    Bytes gaps;  // the controller's pauses inside its next replies
    Bytes handed;
    std::vector<std::string> lines;
    std::string letGoWhy;

    void purgePort() override { controller.purge(now); }
    void sendToController(const uint8_t* f) override {
        controller.receive(f, now, replyDelayMs, gaps);
    }
    void toClient(const uint8_t* b, size_t n) override { handed.insert(handed.end(), b, b + n); }
    void note(const std::string& line) override { lines.push_back(line); }
    void letGo(const std::string& why) override { letGoWhy = why; }

    void send(const Bytes& b) { relay.fromClient(b.data(), b.size(), now); }
    // ms of time, a millisecond at a time, the controller's bytes passed on.
    void run(uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) {
            ++now;
            const Bytes got = controller.take(now);
            relay.fromController(got.data(), got.size(), now);
            relay.tick(now);
        }
    }
    int linesWith(const std::string& text) const {
        int n = 0;
        for (const std::string& l : lines) n += l.find(text) != std::string::npos;
        return n;
    }
};

}  // namespace servemodel

#endif
