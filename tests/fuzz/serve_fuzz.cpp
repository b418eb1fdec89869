// lpgctl serve's whole path from a client to the controller: the client's
// stream through the Telnet and RFC 2217 answers (or raw mode), the relay's
// framing, judgement and exchanges, to a model controller whose replies come
// when the input says, and back. The rule above all: without writes allowed,
// nothing but its own reads ever reaches the controller, whatever the client
// sends, however the replies are timed, across client changes and a port
// that fails and comes back.
//
// Input: a byte of set-up (bit 0 raw mode, bit 1 writes allowed, bit 2 a
// generation-3 controller), 16 bytes that start blocks 2 to 5 (so a block
// can start like a status), then steps: a byte naming the step and its own
// bytes (see step()).
#include <cstdint>
#include <vector>

#include "cli/serve_client.h"
#include "cli/serve_relay.h"
#include "link/blocks.h"
#include "link/telnet.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/unit/serve_model.h"

namespace {

using servemodel::Bytes;

// The controller's bytes as the client gets them decode back to the same.
void checkEncoding(const ServeClientProtocol& protocol, bool raw, const Bytes& b) {
    std::vector<uint8_t> out;
    protocol.encode(b.data(), b.size(), &out);
    if (raw) {
        FUZZ_CHECK(out == b);
        return;
    }
    telnet::Parser parser;
    telnet::Event e;
    Bytes back;
    for (uint8_t x : out)
        if (parser.feed(x, &e)) {
            FUZZ_CHECK(e.kind == telnet::Event::Data);
            back.push_back(e.byte);
        }
    FUZZ_CHECK(back == b);
}

struct Path {
    Path(bool raw, bool allowWrites, int generation)
        : raw(raw), rig(generation, allowWrites), protocol(raw) {}
    bool raw;
    servemodel::Rig rig;
    ServeClientProtocol protocol;
    bool connected = false, portUp = true;
    size_t sentBefore = 0, handedBefore = 0;  // at the client's connect

    void connect() {
        protocol = ServeClientProtocol(raw);
        Bytes greeting;
        protocol.greeting(&greeting);
        rig.relay.clientConnected("fuzz", rig.now);
        connected = true;
        sentBefore = rig.controller.received().size();
        handedBefore = rig.handed.size();
    }
    // The client's piece through its protocol, its purge where it came.
    void fromClient(const Bytes& piece) {
        FromClient got;
        protocol.take(piece.data(), piece.size(), &got);
        FUZZ_CHECK(got.data.size() <= piece.size());
        FUZZ_CHECK(got.answer.size() <= 8 * piece.size() + 64);
        FUZZ_CHECK(got.purgeAt <= got.data.size());
        if (!rig.relay.wantsClientBytes()) return;
        const size_t before = got.purge ? got.purgeAt : got.data.size();
        rig.relay.fromClient(got.data.data(), before, rig.now);
        if (got.purge) rig.relay.clientPurge(got.purge);
        rig.relay.fromClient(got.data.data() + before, got.data.size() - before, rig.now);
    }
    // A client is never handed more than the replies to what was sent since
    // it came: nothing of another client's.
    void checkHanded() const {
        if (!connected) return;
        size_t owed = 0;
        const auto& sent = rig.controller.received();
        for (size_t i = sentBefore; i < sent.size(); ++i) owed += replyLengthOf(sent[i].data(), 3);
        FUZZ_CHECK(rig.handed.size() - handedBefore <= owed);
    }
};

void step(FuzzInput& in, Path* p) {
    switch (in.byte() % 6) {
    case 0: {  // the client sends a piece
        uint8_t piece[255];
        p->fromClient(Bytes(piece, piece + in.bytes(piece, in.byte())));
        return;
    }
    case 1: return p->rig.run(uint32_t(in.byte()) * 4);
    case 2: {  // the controller's next replies: their delay and inner pauses
        p->rig.replyDelayMs = uint32_t(in.byte()) * 8;
        uint8_t gaps[24];
        p->rig.gaps.assign(gaps, gaps + in.bytes(gaps, in.byte() % 25));
        return;
    }
    case 3:  // the client leaves, or a new one comes
        if (p->connected) {
            p->rig.relay.clientGone(p->rig.now);
            p->connected = false;
        } else {
            p->connect();
        }
        return;
    case 4:  // the port fails, or comes back
        p->portUp = !p->portUp;
        if (p->portUp)
            p->rig.relay.portUp();
        else
            p->rig.relay.portDown();
        return;
    default: {
        uint8_t b[64];
        checkEncoding(p->protocol, p->raw, Bytes(b, b + in.bytes(b, in.byte() % 65)));
        return;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t setUp = in.byte();
    const bool allowWrites = setUp & 2;
    Path p(setUp & 1, allowWrites, setUp & 4 ? 3 : 1);
    for (int block = 2; block <= 5; ++block) {
        uint8_t head[4];
        in.bytes(head, sizeof head);
        p.rig.controller.setBlock(block, Bytes(head, head + 4));
    }
    p.connect();
    for (int steps = 0; !in.empty() && steps < 400; ++steps) {
        step(in, &p);
        if (!p.rig.letGoWhy.empty()) {
            p.rig.letGoWhy.clear();
            p.connected = false;
        }
        if (!allowWrites) FUZZ_CHECK(p.rig.controller.writes() == 0);
        p.checkHanded();
        FUZZ_CHECK(p.rig.relay.generation() >= 0 && p.rig.relay.generation() <= 8);
    }
    p.rig.run(3000);
    if (!allowWrites) FUZZ_CHECK(p.rig.controller.writes() == 0);
    return 0;
}
