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

struct Exchange {
    uint32_t ms;
    Bytes reply;
};

// A loaded recording: the exchanges of each distinct request in time order.
struct Recording {
    std::map<Bytes, std::vector<Exchange>> byRequest;
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

// "MS D HH HH ..." with D '>' or '<'; false for anything else.
bool parseFrameLine(const char* line, uint32_t* ms, char* dir, Bytes* bytes) {
    char* end = nullptr;
    if (!isdigit(static_cast<unsigned char>(*line))) return false;
    const unsigned long v = strtoul(line, &end, 10);
    if (end == line || v > 0xFFFFFFFFul || *end != ' ') return false;
    *ms = uint32_t(v);
    const char* p = end + 1;
    if (*p != '>' && *p != '<') return false;
    *dir = *p++;
    bytes->clear();
    while (*p == ' ') {
        while (*p == ' ') ++p;
        if (*p == '\0') break;
        if (!isxdigit(static_cast<unsigned char>(p[0])) ||
            !isxdigit(static_cast<unsigned char>(p[1])))
            return false;
        bytes->push_back(uint8_t(strtoul(std::string(p, 2).c_str(), nullptr, 16)));
        p += 2;
    }
    return *p == '\0';
}

int generationOfStatus(const Bytes& reply) {
    if (reply.size() != sizeof(StatusBlock) || reply[0] != RequestFrames[ReqStatus][0]) return 0;
    if (byteSum(reply.data(), 3) != reply[3]) return 0;
    return reply[2] / 32 + 1;
}

// Adds one frame line; a reply goes to the latest request. Only the latest
// request's list grows, and *last is taken afresh when it does.
void addFrame(Recording& rec, uint32_t ms, char dir, const Bytes& bytes, Exchange** last) {
    if (dir == '>') {
        if (rec.byRequest.empty()) rec.firstMs = ms;
        std::vector<Exchange>& list = rec.byRequest[bytes];
        list.push_back(Exchange{ms, Bytes()});
        *last = &list.back();
        return;
    }
    if (*last) (*last)->reply.insert((*last)->reply.end(), bytes.begin(), bytes.end());
}

bool parseRecording(const char* text, Recording* rec, std::string* error) {
    Exchange* last = nullptr;
    const Bytes status(RequestFrames[ReqStatus], RequestFrames[ReqStatus] + 4);
    Bytes lastRequest;
    int lineNo = 0;
    for (const char* p = text; *p;) {
        const char* eol = strchr(p, '\n');
        std::string line(p, eol ? size_t(eol - p) : strlen(p));
        p = eol ? eol + 1 : p + line.size();
        ++lineNo;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        uint32_t ms;
        char dir;
        Bytes bytes;
        if (!parseFrameLine(line.c_str(), &ms, &dir, &bytes)) {
            *error = "line " + std::to_string(lineNo) + " is not a recorded frame";
            return false;
        }
        if (dir == '>') lastRequest = bytes;
        addFrame(*rec, ms, dir, bytes, &last);
        if (dir == '<' && !rec->generation && lastRequest == status)
            rec->generation = generationOfStatus(last->reply);
    }
    if (rec->byRequest.empty()) {
        *error = "no recorded frames";
        return false;
    }
    return true;
}

void sortByTime(Recording& rec) {
    for (auto& entry : rec.byRequest)
        std::stable_sort(entry.second.begin(), entry.second.end(),
                         [](const Exchange& a, const Exchange& b) { return a.ms < b.ms; });
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
        const Bytes& reply = nearest(found->second, at)->reply;
        replay.pending.insert(replay.pending.end(), reply.begin(), reply.end());
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
    Recording rec;
    if (!parseRecording(text, &rec, error)) return false;
    installRecording(rec);
    return true;
}

void replayUseRealTime(bool realTime) {
    replay.clock.useRealTime(realTime);
    replay.zeroMs = replay.clock.now();
}

void replayAdvanceClock(uint32_t ms) { replay.clock.skip(ms); }

bool replayWriteRefused() { return replay.writeRefused; }

const PortOps replayPortOps = {
    "replay",    replayOpen, replayApplySettings, replayApplyTimeouts, replayPurge,
    replayWrite, replayRead, replayClose,         replayTickCount,     replaySleepMs,
};
