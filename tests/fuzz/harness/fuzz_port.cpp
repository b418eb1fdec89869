#include "tests/fuzz/harness/fuzz_port.h"

#include <cstring>

#include "link/blocks.h"

namespace {

enum { MaxOpen = 8, FrameLength = 4 };

FuzzInput* input = nullptr;
FuzzInput quiet(nullptr, 0);
// Handles open now; handles are never reused within a run, so a stale one
// never looks open.
PortId openHandles[MaxOpen];
PortId nextHandle = 1;
uint32_t clockMs = 0;
int frames = 0;
uint8_t last[FrameLength];
fuzzport::FrameObserver observer = nullptr;

PortId* slotOf(PortId h) {
    for (PortId& slot : openHandles)
        if (slot == h) return &slot;
    return nullptr;
}

bool valid(PortId h) { return h != InvalidPort && h != 0 && slotOf(h) != nullptr; }

PortId fuzzOpen(const char* path) {
    FUZZ_CHECK(path != nullptr);
    const uint8_t k = input->byte();
    clockMs += (k & 0x3F) * 64u;
    if (k & 0x80) return InvalidPort;
    PortId* slot = slotOf(0);
    FUZZ_CHECK(slot != nullptr);  // the link never holds this many ports
    *slot = nextHandle++;
    return *slot;
}

bool fuzzSettings(PortId h, const PortSettings&) { return valid(h); }
bool fuzzTimeouts(PortId h, const PortTimeouts&) { return valid(h); }
bool fuzzPurge(PortId h, unsigned what) {
    FUZZ_CHECK((what & ~unsigned(PurgeTxClear | PurgeRxClear)) == 0);
    return valid(h);
}

// Only whole, well-formed request or write frames may reach the controller.
void checkFrame(const uint8_t* buf, uint32_t n) {
    FUZZ_CHECK(n == FrameLength);
    FUZZ_CHECK(buf[0] == 0x65 || buf[0] == 0x0B);
    FUZZ_CHECK(byteSum(buf, 3) == buf[3]);
}

bool fuzzWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!valid(h)) return false;
    checkFrame(buf, n);
    if (observer) observer(buf);
    memcpy(last, buf, FrameLength);
    ++frames;
    const uint8_t k = input->byte();
    if (k == 0xFF) return false;
    *done = k == 0xFE ? 2 : n;
    return true;
}

bool fuzzRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!valid(h)) return false;
    const uint8_t k = input->byte();
    if (k == 0x7F) return false;
    uint32_t want = k & 0x1F;
    if (want == 0x1F || want > n) want = n;
    const uint32_t got = static_cast<uint32_t>(input->bytes(buf, want));
    if ((k & 0x80) && got > 0) {
        buf[0] = 0x65;
        if (got == n && n > 1) buf[n - 1] = byteSum(buf, n - 1);
    }
    *done = got;
    return true;
}

void fuzzClose(PortId h) {
    // The link closes only what it opened, and only once.
    FUZZ_CHECK(valid(h));
    *slotOf(h) = 0;
}

uint32_t fuzzTicks() { return clockMs; }
void fuzzSleep(uint32_t ms) { clockMs += ms; }

}  // namespace

const PortOps fuzzPortOps = PortOps::called("fuzz")
                                .withOpen(fuzzOpen)
                                .withSettings(fuzzSettings)
                                .withTimeouts(fuzzTimeouts)
                                .withPurge(fuzzPurge)
                                .withWrite(fuzzWrite)
                                .withRead(fuzzRead)
                                .withClose(fuzzClose)
                                .withTickCount(fuzzTicks)
                                .withSleep(fuzzSleep);

namespace fuzzport {

void begin(FuzzInput* in) {
    input = in ? in : &quiet;
    memset(openHandles, 0, sizeof openHandles);
    nextHandle = 1;
    clockMs = 0;
    frames = 0;
    memset(last, 0, sizeof last);
}

bool isOpen(PortId h) { return valid(h); }

int openCount() {
    int n = 0;
    for (PortId h : openHandles) n += h != 0 ? 1 : 0;
    return n;
}

int framesWritten() { return frames; }
void observeFrames(FrameObserver o) { observer = o; }

void notifyFrame(const uint8_t* frame) {
    if (observer) observer(frame);
}
const uint8_t* lastFrame() { return last; }

}  // namespace fuzzport
