// The recording reader on any text, then the link over the replay backend:
// the reader's verdict is held against a plain reading of the line format
// (sim/replay.h), and a loaded recording is played to the link through a
// watching port (every frame well-formed, every write refused, one handle at
// a time, closed at the end), with the stores held to the link's rules.
//
// Input: the recording's text up to the first zero byte, then the steps of
// the link, one byte each (and a word for a clock jump). No zero byte: a
// fixed round of one poll and the four block reads.
#include <cstdint>
#include <cstring>
#include <string>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "sim/replay.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/store_checks.h"

namespace {

// ---- the plain reading ----

bool hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "MS D" then " HH" groups (spaces repeated at will), trailing spaces and a
// '\r' already taken off; sets *request for a '>' line.
bool plainFrameLine(const std::string& line, bool* request) {
    size_t i = 0;
    uint64_t ms = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        ms = ms * 10 + uint64_t(line[i++] - '0');
        if (ms > 0xFFFFFFFFull) return false;
    }
    if (i == 0 || i + 1 >= line.size() || line[i] != ' ') return false;
    if (line[i + 1] != '>' && line[i + 1] != '<') return false;
    *request = line[i + 1] == '>';
    for (i += 2; i < line.size();) {
        if (line[i] != ' ') return false;
        while (i < line.size() && line[i] == ' ') ++i;
        if (i + 1 >= line.size() || !hex(line[i]) || !hex(line[i + 1])) return false;
        i += 2;
    }
    return true;
}

// The reader's error for text, "" when it loads.
std::string plainVerdict(const std::string& text) {
    bool anyRequest = false;
    size_t at = 0;
    for (int lineNo = 1; at < text.size(); ++lineNo) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        bool request = false;
        if (!plainFrameLine(line, &request))
            return "line " + std::to_string(lineNo) + " is not a recorded frame";
        anyRequest |= request;
    }
    return anyRequest ? "" : "no recorded frames";
}

// ---- the watching port ----

int openHandles = 0;

bool isReadRequest(const uint8_t* buf) {
    for (int r = ReqStatus; r <= ReqEchoProbe; ++r)
        if (memcmp(buf, RequestFrames[r], 4) == 0) return true;
    return false;
}

PortId watchOpen(const char* path) {
    const PortId h = replayPortOps.open(path);
    if (h != InvalidPort) ++openHandles;
    FUZZ_CHECK(openHandles <= 1);
    return h;
}

bool watchWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    FUZZ_CHECK(n == 4 && (buf[0] == 0x65 || buf[0] == 0x0B) && byteSum(buf, 3) == buf[3]);
    const bool ok = replayPortOps.write(h, buf, n, done);
    // A recorded drive changes nothing: only the read requests pass (block 5
    // of generation 1 is a write as well).
    FUZZ_CHECK(!ok || isReadRequest(buf));
    FUZZ_CHECK(ok || *done == 0);
    return ok;
}

bool watchRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = replayPortOps.read(h, buf, n, done);
    FUZZ_CHECK(*done <= n);
    return ok;
}

void watchClose(PortId h) {
    FUZZ_CHECK(openHandles == 1);
    --openHandles;
    replayPortOps.close(h);
}

const PortOps watchingOps = replayPortOps.withOpen(watchOpen)
                                .withWrite(watchWrite)
                                .withRead(watchRead)
                                .withClose(watchClose);

// ---- the link over it ----

void checkLink() {
    FUZZ_CHECK(PortOpen == (openHandles == 1));
    checkStore(Status, StatusValid);
    checkStore(Live, LiveValid);
    checkStore(ConfigA, ConfigAValid);
    checkStore(ConfigB, ConfigBValid);
    checkStore(Extended, ExtendedValid);
}

enum Step { Poll, ReadLive, ReadA, ReadB, ReadExtended, Write, Wait, Jump, Close, StepCount };

void step(FuzzInput& in) {
    switch (in.byte() % StepCount) {
    case Poll: pollStatus(); break;
    case ReadLive: readLiveBlock(); break;
    case ReadA: readConfigABlock(); break;
    case ReadB: readConfigBBlock(); break;
    case ReadExtended: readExtendedBlock(); break;
    case Write: {
        const uint8_t address = in.byte();
        writeParameter(address, in.byte());
        break;
    }
    case Wait: replayAdvanceClock(in.byte() * 20u); break;
    case Jump: replayAdvanceClock(in.word32()); break;
    case Close: closePort(); break;
    }
}

void noBox() { FUZZ_CHECK(LinkFailed); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* nul = static_cast<const uint8_t*>(memchr(data, 0, size));
    const size_t textSize = nul ? size_t(nul - data) : size;
    const std::string text(reinterpret_cast<const char*>(data), textSize);
    std::string error;
    const bool loaded = replayLoadText(text.c_str(), &error);
    FUZZ_CHECK(error == (loaded ? "" : plainVerdict(text)));
    if (!loaded) return 0;

    replayUseRealTime(true);  // back to virtual time at 0, for a run that repeats
    replayUseRealTime(false);
    replayLoadText(text.c_str(), &error);
    resetLinkState();
    useLinkBackend(&watchingOps);
    linkHooks.error = noBox;
    openHandles = 0;
    selectPort("replay", 0);
    const uint8_t round[] = {Poll, ReadLive, ReadA, ReadB, ReadExtended};
    FuzzInput in(nul ? nul + 1 : round, nul ? size - textSize - 1 : sizeof round);
    for (int i = 0; i < 64 && !in.empty(); ++i) {
        step(in);
        checkLink();
    }
    closePort();
    FUZZ_CHECK(openHandles == 0);
    return 0;
}
