// Replay backend: each request gets the reply recorded for the same request
// nearest in time on the recording's clock, so a recorded drive plays back
// at its own pace whatever the program's poll rate is.
#include "sim/replay.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "link/blocks.h"
#include "link/link.h"
#include "sim/skip_clock.h"

const char ReplayWriteRefusedText[] =
    "the port is a recorded drive: writes are refused, nothing was changed";

namespace {

using Bytes = std::vector<uint8_t>;

// A reply is its bytes' place in the recording's one buffer of replies, so
// hours of frames take little more than their bytes.
struct Exchange {
    uint32_t ms;
    uint32_t at, size;
};

// A loaded recording: the exchanges of each distinct request in time order.
struct Recording {
    std::map<Bytes, std::vector<Exchange>> byRequest;
    Bytes replies;  // every reply's bytes, one after another
    uint32_t firstMs = 0;
    int generation = 0;  // from the first valid status reply; 0 when none
};

const PortId ReplayHandle = 2;

struct ReplayPort {
    Recording rec;
    SkipClock clock;
    uint32_t zeroMs = 0;  // clock reading that stands for the recording's first frame
    bool open = false;
    bool writeRefused = false;
    Bytes pending;  // reply bytes not yet read
    PortTimeouts timeouts = {200, 40, 100, 40, 100};
};
ReplayPort replay;

// ---- parsing ----

// Longer than any frame of ours: a line beyond it is refused before it is
// held whole.
const size_t MaxFrameLine = 16384;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "MS D HH HH ..." with D '>' or '<'; false for anything else.
bool parseFrameLine(const char* line, uint32_t* ms, char* dir, Bytes* bytes) {
    char* end = nullptr;
    if (!isdigit(static_cast<unsigned char>(*line))) return false;
    const unsigned long long v = strtoull(line, &end, 10);
    if (end == line || v > 0xFFFFFFFFull || *end != ' ') return false;
    *ms = uint32_t(v);
    const char* p = end + 1;
    if (*p != '>' && *p != '<') return false;
    *dir = *p++;
    bytes->clear();
    while (*p == ' ') {
        while (*p == ' ') ++p;
        if (*p == '\0') break;
        const int hi = hexDigit(p[0]), lo = hi < 0 ? -1 : hexDigit(p[1]);
        if (lo < 0) return false;
        bytes->push_back(uint8_t(hi * 16 + lo));
        p += 2;
    }
    return *p == '\0';
}

int generationOfStatus(const uint8_t* reply, size_t n) {
    if (n != sizeof(StatusBlock) || reply[0] != RequestFrames[ReqStatus][0]) return 0;
    if (byteSum(reply, 3) != reply[3]) return 0;
    return reply[2] / 32 + 1;
}

// A recording being read, one line at a time.
struct RecordingReader {
    Recording rec;
    std::vector<Exchange>* last = nullptr;  // the latest request's list
    bool lastIsStatus = false;
    long lineNo = 0;
    Bytes bytes;  // of the current line
    std::string error;

    bool fail(const char* why) {
        error = "line " + std::to_string(lineNo) + " " + why;
        return false;
    }
};

// Adds one frame line. A reply goes to the latest request; its bytes are
// always the last in the buffer, so a reply in pieces stays in one piece.
bool addFrame(RecordingReader& r, uint32_t ms, char dir) {
    Recording& rec = r.rec;
    if (dir == '>') {
        if (rec.byRequest.empty()) rec.firstMs = ms;
        r.last = &rec.byRequest[r.bytes];
        r.last->push_back(Exchange{ms, uint32_t(rec.replies.size()), 0});
        r.lastIsStatus = r.bytes == Bytes(RequestFrames[ReqStatus], RequestFrames[ReqStatus] + 4);
        return true;
    }
    if (!r.last) return true;  // bytes before any request: nobody asked
    if (rec.replies.size() + r.bytes.size() > 0xFFFFFFFFu) {
        r.error = "too large for a recording";
        return false;
    }
    rec.replies.insert(rec.replies.end(), r.bytes.begin(), r.bytes.end());
    Exchange& e = r.last->back();
    e.size += uint32_t(r.bytes.size());
    // A reply line without bytes may come before any reply bytes at all.
    if (r.lastIsStatus && !rec.generation && e.size > 0)
        rec.generation = generationOfStatus(rec.replies.data() + e.at, e.size);
    return true;
}

// One line without its line break.
bool readLine(RecordingReader& r, std::string& line) {
    ++r.lineNo;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') return true;
    if (line.size() > MaxFrameLine || line.find('\0') != std::string::npos)
        return r.fail("is not a recorded frame");
    uint32_t ms;
    char dir;
    if (!parseFrameLine(line.c_str(), &ms, &dir, &r.bytes))
        return r.fail("is not a recorded frame");
    return addFrame(r, ms, dir);
}

// Splits bytes into lines; *partial carries a line's start over to the
// next piece, never longer than a frame line can be.
bool feedLines(RecordingReader& r, const char* data, size_t n, std::string* partial) {
    for (size_t from = 0; from < n;) {
        const char* eol = static_cast<const char*>(memchr(data + from, '\n', n - from));
        const size_t to = eol ? size_t(eol - data) : n;
        if (partial->size() + (to - from) > MaxFrameLine + 2) {
            ++r.lineNo;
            return r.fail("is not a recorded frame");
        }
        partial->append(data + from, to - from);
        if (!eol) return true;
        if (!readLine(r, *partial)) return false;
        partial->clear();
        from = to + 1;
    }
    return true;
}

bool finishRecording(RecordingReader& r, std::string& partial) {
    if (!partial.empty() && !readLine(r, partial)) return false;
    if (r.rec.byRequest.empty()) {
        r.error = "no recorded frames";
        return false;
    }
    return true;
}

void sortByTime(Recording& rec) {
    const auto earlier = [](const Exchange& a, const Exchange& b) { return a.ms < b.ms; };
    for (auto& entry : rec.byRequest)
        if (!std::is_sorted(entry.second.begin(), entry.second.end(), earlier))
            std::stable_sort(entry.second.begin(), entry.second.end(), earlier);
}

void installRecording(Recording& rec) {
    sortByTime(rec);
    replay.rec = std::move(rec);
    replay.pending.clear();
    replay.writeRefused = false;
    replay.zeroMs = replay.clock.now();
}

// ---- the backend ----

const Exchange* nearest(const std::vector<Exchange>& list, uint32_t ms) {
    auto it = std::lower_bound(list.begin(), list.end(), ms,
                               [](const Exchange& e, uint32_t t) { return e.ms < t; });
    if (it == list.end()) return &list.back();
    if (it == list.begin()) return &*it;
    const Exchange& before = *(it - 1);
    return (ms - before.ms) <= (it->ms - ms) ? &before : &*it;
}

// A request the recorded controller only answers, never acts on. Block 5
// is a write of address 5 to a generation-1 controller.
bool isReadRequest(const Bytes& frame) {
    for (int r = ReqStatus; r <= ReqEchoProbe; ++r) {
        if (frame != Bytes(RequestFrames[r], RequestFrames[r] + 4)) continue;
        return !(r == ReqExtended && replay.rec.generation == 1);
    }
    return false;
}

bool valid(PortId h) { return replay.open && h == ReplayHandle; }

PortId replayOpen(const char* path) {
    (void)path;  // the recording was chosen when it was loaded
    if (replay.open || replay.rec.byRequest.empty()) return InvalidPort;
    replay.open = true;
    return ReplayHandle;
}

bool replayApplySettings(PortId h, const PortSettings& s) {
    (void)s;
    return valid(h);
}

bool replayApplyTimeouts(PortId h, const PortTimeouts& t) {
    if (!valid(h)) return false;
    replay.timeouts = t;
    return true;
}

bool replayPurge(PortId h, unsigned what) {
    if (!valid(h)) return false;
    if (what & PurgeRxClear) replay.pending.clear();
    return true;
}

bool replayWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    replay.writeRefused = false;
    if (!valid(h)) return false;
    const Bytes frame(buf, buf + n);
    if (!isReadRequest(frame)) {
        replay.writeRefused = true;
        return false;
    }
    auto found = replay.rec.byRequest.find(frame);
    if (found != replay.rec.byRequest.end()) {
        const uint32_t at = replay.rec.firstMs + (replay.clock.now() - replay.zeroMs);
        const Exchange& e = *nearest(found->second, at);
        const auto reply = replay.rec.replies.begin() + e.at;
        replay.pending.insert(replay.pending.end(), reply, reply + e.size);
    }
    *done = n;
    return true;
}

bool replayRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!valid(h)) return false;
    const uint32_t got = std::min<uint32_t>(n, uint32_t(replay.pending.size()));
    std::copy(replay.pending.begin(), replay.pending.begin() + got, buf);
    replay.pending.erase(replay.pending.begin(), replay.pending.begin() + got);
    // A short or missing reply costs the time-out a real port would wait.
    if (got < n) {
        const PortTimeouts& t = replay.timeouts;
        uint32_t wait = t.readTotalMultiplier * n + t.readTotalConstant;
        if (got > 0 && t.readInterval && t.readInterval < wait) wait = t.readInterval;
        replay.clock.skip(wait);
    }
    *done = got;
    return true;
}

void replayClose(PortId h) {
    if (!valid(h)) return;
    replay.open = false;
    replay.pending.clear();
}

uint32_t replayTickCount() { return replay.clock.now(); }
void replaySleepMs(uint32_t ms) { replay.clock.skip(ms); }

}  // namespace

bool replayLoadText(const char* text, std::string* error) {
    RecordingReader r;
    std::string partial;
    if (!feedLines(r, text, strlen(text), &partial) || !finishRecording(r, partial)) {
        *error = r.error;
        return false;
    }
    installRecording(r.rec);
    return true;
}

bool replayLoadFile(FILE* f, long long maxBytes, std::string* error) {
    RecordingReader r;
    std::string partial;
    std::vector<char> chunk(1 << 16);
    long long total = 0;
    bool ok = true;
    for (size_t n; ok && (n = fread(chunk.data(), 1, chunk.size(), f)) > 0;) {
        if ((total += n) > maxBytes) r.error = "too large for a recording", ok = false;
        ok = ok && feedLines(r, chunk.data(), n, &partial);
    }
    if (ok && ferror(f)) r.error = "could not be read", ok = false;
    if (!ok || !finishRecording(r, partial)) {
        *error = r.error;
        return false;
    }
    installRecording(r.rec);
    return true;
}

void replayUseRealTime(bool realTime) {
    replay.clock.useRealTime(realTime);
    replay.zeroMs = replay.clock.now();
}

void replayAdvanceClock(uint32_t ms) { replay.clock.skip(ms); }

bool replayWriteRefused() { return replay.writeRefused; }

const PortOps replayPortOps = PortOps::called("replay")
                                  .withOpen(replayOpen)
                                  .withSettings(replayApplySettings)
                                  .withTimeouts(replayApplyTimeouts)
                                  .withPurge(replayPurge)
                                  .withWrite(replayWrite)
                                  .withRead(replayRead)
                                  .withClose(replayClose)
                                  .withTickCount(replayTickCount)
                                  .withSleep(replaySleepMs);
