// Recording hook: a port backend that passes everything to another one and
// writes each frame that crosses it, with the time on that backend's clock.
#include <string>
#include <vector>

#include "link/file_cut.h"
#include "sim/replay.h"
#include "sim/sim.h"

namespace {

struct Recorder {
    const PortOps* inner = nullptr;
    FILE* out = nullptr;
    uint32_t startMs = 0;
    bool failed = false;
    long long wholeBytes = 0;  // the file's length after the last whole line
};
Recorder rec;

// The file back to its last whole line: a full disk or a removed stick may
// have taken part of a line, which would make the recording unreadable.
// The stream is unbuffered, so nothing of the cut line is left to follow.
void trimToWholeLines() {
    if (rec.wholeBytes < 0) return;  // a pipe: nothing to cut
    cutFileAt(rec.out, rec.wholeBytes);
}

// One line in one write; on failure the recording stops, ending at its last
// whole line.
void writeLine(const std::string& line) {
    if (rec.failed) return;
    if (fwrite(line.data(), 1, line.size(), rec.out) != line.size()) {
        rec.failed = true;
        trimToWholeLines();
        return;
    }
    if (rec.wholeBytes >= 0) rec.wholeBytes = ftell(rec.out);
}

void writeFrame(char dir, const uint8_t* bytes, uint32_t n) {
    if (!rec.out || rec.failed) return;
    SimFrame frame{rec.inner->tickCount() - rec.startMs, dir,
                   std::vector<uint8_t>(bytes, bytes + n)};
    std::vector<char> line(16 + 3 * size_t(n));
    simFormatFrame(frame, line.data(), line.size());
    writeLine(std::string(line.data()) + "\n");
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
    // Each line goes out whole as it is written, and nothing waits in a
    // buffer that a failed write could leave behind.
    fflush(out);
    setvbuf(out, nullptr, _IONBF, 0);
    rec.wholeBytes = ftell(out);  // -1 on a pipe
    std::string name = portName;  // a line break would end the comment early
    for (char& c : name)
        if (c == '\n' || c == '\r') c = ' ';
    writeLine("# lpgctl recording of " + name + ", started " + startText + "\n");
    writeLine("# ms since start, '>' request sent or '<' bytes received, bytes in hex\n");
}

bool recordingFailed() { return rec.failed; }
long long recordingWholeBytes() { return rec.wholeBytes; }
uint32_t recordingElapsedMs() { return rec.inner ? rec.inner->tickCount() - rec.startMs : 0; }
const PortOps* recordingInnerPort() { return rec.inner; }

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
