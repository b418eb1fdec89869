// lpgctl serve's end of a connection: a client's stream of the input's
// choosing, cut into pieces of the input's choosing, through the Telnet and
// RFC 2217 answers (or raw mode), the request framer and the frame judge,
// with controller bytes passed back between the pieces.
//
// Input: a byte of set-up (bit 0 raw mode, bit 1 writes allowed, bits 2..3
// the generation known), then pieces: a length byte, that many client
// bytes, a length byte, that many controller bytes.
#include <cstdint>
#include <vector>

#include "cli/serve_client.h"
#include "cli/serve_frames.h"
#include "link/blocks.h"
#include "link/telnet.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

// The controller's bytes as the client gets them decode back to the same.
void checkEncoding(const ServeClientProtocol& protocol, bool raw, const uint8_t* b, size_t n) {
    std::vector<uint8_t> out;
    protocol.encode(b, n, &out);
    if (raw) {
        FUZZ_CHECK(out == std::vector<uint8_t>(b, b + n));
        return;
    }
    telnet::Parser parser;
    telnet::Event e;
    std::vector<uint8_t> back;
    for (uint8_t x : out)
        if (parser.feed(x, &e)) {
            FUZZ_CHECK(e.kind == telnet::Event::Data);
            back.push_back(e.byte);
        }
    FUZZ_CHECK(back == std::vector<uint8_t>(b, b + n));
}

void checkFrame(const uint8_t* f, int generation, bool allowWrites) {
    FUZZ_CHECK(f[0] == LeadByte && byteSum(f, 3) == f[3]);
    const FrameJudgement j = judgeFrame(f, generation, allowWrites);
    FUZZ_CHECK(!j.what.empty());
    if (allowWrites) FUZZ_CHECK(j.verdict == FrameVerdict::Pass);
    // Nothing but a read passes a read-only server, and block 5 only to
    // generation 3.
    const bool read = f[1] == f[2] && f[1] >= 1 && f[1] <= 5 && (f[1] < 5 || generation == 3);
    if (!allowWrites) FUZZ_CHECK((j.verdict == FrameVerdict::Pass) == read);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t setUp = in.byte();
    const bool raw = setUp & 1, allowWrites = setUp & 2;
    ServeClientProtocol protocol(raw);
    std::vector<uint8_t> greeting;
    protocol.greeting(&greeting);
    RequestFramer framer;
    StatusWatch watch;
    size_t clientBytes = 0, dataBytes = 0, dropped = 0, framed = 0;
    while (!in.empty()) {
        uint8_t piece[255];
        const size_t n = in.bytes(piece, in.byte());
        FromClient got;
        protocol.take(piece, n, &got);
        clientBytes += n;
        dataBytes += got.data.size();
        // Never more data than came, never unbounded answers.
        FUZZ_CHECK(dataBytes <= clientBytes);
        FUZZ_CHECK(got.answer.size() <= 8 * n + 64);
        FUZZ_CHECK(got.purge <= 12u);
        for (uint8_t b : got.data) {
            if (!framer.push(b)) continue;
            ++framed;
            checkFrame(framer.frame(), watch.generation(), allowWrites);
            if (framer.frame()[1] == 1 && framer.frame()[2] == 1) watch.statusSent();
        }
        dropped += framer.takeDropped();
        FUZZ_CHECK(dropped + 4 * framed <= dataBytes);
        const size_t m = in.bytes(piece, in.byte());
        watch.take(piece, m);
        FUZZ_CHECK(watch.generation() >= 0 && watch.generation() <= 8);
        checkEncoding(protocol, raw, piece, m);
    }
    return 0;
}
