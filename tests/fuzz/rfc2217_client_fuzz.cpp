// The RFC 2217 client's side (link/rfc2217_client.h) fed a server's bytes of
// any kind, whole and in reads of fuzz-chosen sizes. Held to: the same data
// and answers however the bytes are split; answers that are only
// negotiations and COM-PORT settings, never more of them than the server
// asked for (no negotiation loop), the line settings at most once; no more
// data than bytes; and the client's own data coming back through a parser
// unchanged, 0xFF included.
#include <cstdint>
#include <deque>
#include <vector>

#include "link/rfc2217_client.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

typedef std::vector<uint8_t> Bytes;

struct Outcome {
    std::deque<uint8_t> data;
    Bytes answers;
};

Outcome feedInReads(const Bytes& server, FuzzInput* sizes) {
    Rfc2217Client client;
    Outcome o;
    Bytes offers;
    client.start(&offers);
    for (size_t at = 0; at < server.size();) {
        size_t n = sizes ? size_t(sizes->byte() % 17) + 1 : server.size();
        if (n > server.size() - at) n = server.size() - at;
        client.receive(server.data() + at, n, &o.data, &o.answers);
        at += n;
    }
    return o;
}

// The answers as events: only negotiations and COM-PORT settings.
void checkAnswers(const Bytes& answers, size_t negotiationsAsked) {
    telnet::Parser p;
    size_t negotiations = 0, baudRates = 0;
    for (uint8_t b : answers) {
        telnet::Event e;
        if (!p.feed(b, &e)) continue;
        FUZZ_CHECK(e.kind == telnet::Event::Negotiation || e.kind == telnet::Event::Subnegotiation);
        if (e.kind == telnet::Event::Negotiation) ++negotiations;
        if (e.kind == telnet::Event::Subnegotiation) {
            FUZZ_CHECK(e.subLength >= 3 && e.sub[0] == telnet::OptComPort);
            baudRates += e.sub[1] == telnet::SetBaudRate;
        }
    }
    FUZZ_CHECK(negotiations <= negotiationsAsked);
    FUZZ_CHECK(baudRates <= 1);
}

size_t negotiationsIn(const Bytes& server) {
    telnet::Parser p;
    size_t n = 0;
    for (uint8_t b : server) {
        telnet::Event e;
        n += p.feed(b, &e) && e.kind == telnet::Event::Negotiation;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const size_t sizesLength = in.byte() % 64;
    Bytes sizeBytes(sizesLength);
    in.bytes(sizeBytes.data(), sizesLength);
    Bytes server(in.left());
    in.bytes(server.data(), server.size());

    const Outcome whole = feedInReads(server, nullptr);
    FuzzInput sizes(sizeBytes.data(), sizeBytes.size());
    const Outcome split = feedInReads(server, &sizes);
    FUZZ_CHECK(whole.data == split.data);
    FUZZ_CHECK(whole.answers == split.answers);
    FUZZ_CHECK(whole.data.size() <= server.size());
    checkAnswers(whole.answers, negotiationsIn(server));

    // The client's own data through the codec and back.
    Bytes wire;
    Rfc2217Client::encode(server.data(), server.size(), &wire);
    telnet::Parser p;
    Bytes back;
    for (uint8_t b : wire) {
        telnet::Event e;
        if (p.feed(b, &e)) {
            FUZZ_CHECK(e.kind == telnet::Event::Data);
            back.push_back(e.byte);
        }
    }
    FUZZ_CHECK(back == server);
    return 0;
}
