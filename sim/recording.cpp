// Recording hook: a port backend that passes everything to another one and
// writes each frame that crosses it, with the time on that backend's clock.
#include <string>
#include <vector>

#include "sim/replay.h"
#include "sim/sim.h"

namespace {

struct Recorder {
    const PortOps* inner = nullptr;
    FILE* out = nullptr;
    uint32_t startMs = 0;
    bool failed = false;
};
Recorder rec;

void writeFrame(char dir, const uint8_t* bytes, uint32_t n) {
    if (!rec.out || rec.failed) return;
    SimFrame frame{rec.inner->tickCount() - rec.startMs, dir,
                   std::vector<uint8_t>(bytes, bytes + n)};
    std::vector<char> line(16 + 3 * size_t(n));
    simFormatFrame(frame, line.data(), line.size());
    if (fprintf(rec.out, "%s\n", line.data()) < 0 || fflush(rec.out) != 0) rec.failed = true;
}

PortId recOpen(const char* path) { return rec.inner->open(path); }
bool recApplySettings(PortId h, const PortSettings& s) { return rec.inner->applySettings(h, s); }
bool recApplyTimeouts(PortId h, const PortTimeouts& t) { return rec.inner->applyTimeouts(h, t); }
bool recPurge(PortId h, unsigned what) { return rec.inner->purge(h, what); }

bool recWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = rec.inner->write(h, buf, n, done);
    if (*done) writeFrame('>', buf, *done);
    return ok;
}

bool recRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = rec.inner->read(h, buf, n, done);
    if (*done) writeFrame('<', buf, *done);
    return ok;
}

void recClose(PortId h) { rec.inner->close(h); }
const char* recProblem(PortId h) { return rec.inner->problem ? rec.inner->problem(h) : nullptr; }
uint32_t recTickCount() { return rec.inner->tickCount(); }
void recSleepMs(uint32_t ms) { rec.inner->sleepMs(ms); }

}  // namespace

void recordingStart(const PortOps* inner, FILE* out, const char* portName, const char* startText) {
    rec.inner = inner;
    rec.out = out;
    rec.startMs = inner->tickCount();
    rec.failed = false;
    std::string name = portName;  // a line break would end the comment early
    for (char& c : name)
        if (c == '\n' || c == '\r') c = ' ';
    if (fprintf(out,
                "# lpgctl recording of %s, started %s\n"
                "# ms since start, '>' request sent or '<' bytes received, bytes in hex\n",
                name.c_str(), startText) < 0 ||
        fflush(out) != 0)
        rec.failed = true;
}

bool recordingFailed() { return rec.failed; }

const PortOps recordingPortOps = PortOps::called("recording")
                                     .withOpen(recOpen)
                                     .withSettings(recApplySettings)
                                     .withTimeouts(recApplyTimeouts)
                                     .withPurge(recPurge)
                                     .withWrite(recWrite)
                                     .withRead(recRead)
                                     .withClose(recClose)
                                     .withTickCount(recTickCount)
                                     .withSleep(recSleepMs)
                                     .withProblem(recProblem);
