#include "scripted_port.h"

#include <cstdio>
#include <cstring>
#include <deque>

#include "link/link.h"

namespace scripted {
namespace {

std::deque<std::vector<uint8_t>> replies;
std::vector<Event> events;
uint32_t fakeClock = 0;
bool openFails = false;
uint32_t openDuration = 0;
bool writeFails = false;
PortId openHandle = InvalidPort;  // the one handle currently open
PortId nextHandle = 100;

Event& record(Call call, PortId h, bool ok) {
    Event e{};
    e.call = call;
    e.handle = h;
    e.ok = ok;
    events.push_back(e);
    return events.back();
}

bool isOpen(PortId h) { return h != InvalidPort && h == openHandle; }

PortId open(const char* path) {
    fakeClock += openDuration;
    PortId h = InvalidPort;
    if (!openFails) h = openHandle = nextHandle++;
    record(Call::Open, h, h != InvalidPort).path = path;
    return h;
}

bool applySettings(PortId h, const PortSettings& s) {
    record(Call::Settings, h, isOpen(h)).settings = s;
    return isOpen(h);
}

bool applyTimeouts(PortId h, const PortTimeouts& t) {
    record(Call::Timeouts, h, isOpen(h)).timeouts = t;
    return isOpen(h);
}

bool purge(PortId h, unsigned what) {
    record(Call::Purge, h, isOpen(h)).value = what;
    return isOpen(h);
}

bool write(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = isOpen(h) && !writeFails;
    *done = ok ? n : 0;
    record(Call::Write, h, ok).bytes.assign(buf, buf + n);
    return ok;
}

bool read(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    const bool ok = isOpen(h);
    Event& e = record(Call::Read, h, ok);
    e.value = n;
    if (!ok) return false;
    if (!replies.empty()) {
        std::vector<uint8_t> reply = replies.front();
        replies.pop_front();
        if (reply.size() > n) reply.resize(n);
        if (!reply.empty()) memcpy(buf, reply.data(), reply.size());
        *done = static_cast<uint32_t>(reply.size());
        e.bytes = reply;
    }
    return true;  // a time-out is a successful read of fewer bytes
}

void close(PortId h) {
    record(Call::Close, h, isOpen(h));
    if (isOpen(h)) openHandle = InvalidPort;
}

uint32_t tickCount() { return fakeClock; }

void sleepMs(uint32_t ms) {
    record(Call::Sleep, InvalidPort, true).value = ms;
    fakeClock += ms;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[4];
    for (uint8_t v : bytes) {
        snprintf(b, sizeof b, " %02X", v);
        s += b;
    }
    return s;
}

}  // namespace

void reset() {
    replies.clear();
    events.clear();
    fakeClock = 0;
    openFails = false;
    openDuration = 0;
    writeFails = false;
    openHandle = InvalidPort;
}

void queueReply(const std::vector<uint8_t>& bytes) { replies.push_back(bytes); }
void queueSilence() { replies.push_back({}); }
void setOpenFails(bool fails) { openFails = fails; }
void setOpenDuration(uint32_t ms) { openDuration = ms; }
void setWriteFails(bool fails) { writeFails = fails; }
uint32_t now() { return fakeClock; }
void advanceClock(uint32_t ms) { fakeClock += ms; }
const std::vector<Event>& log() { return events; }
void clearLog() { events.clear(); }

size_t count(Call call) {
    size_t n = 0;
    for (const Event& e : events) n += e.call == call;
    return n;
}

std::vector<std::vector<uint8_t>> framesWritten() {
    std::vector<std::vector<uint8_t>> frames;
    for (const Event& e : events)
        if (e.call == Call::Write && e.ok) frames.push_back(e.bytes);
    return frames;
}

std::vector<std::string> trace() {
    std::vector<std::string> lines;
    for (const Event& e : events) {
        switch (e.call) {
        case Call::Open: lines.push_back("open " + e.path); break;
        case Call::Settings: lines.push_back("settings"); break;
        case Call::Timeouts: lines.push_back("timeouts"); break;
        case Call::Purge: lines.push_back("purge " + std::to_string(e.value)); break;
        case Call::Write: lines.push_back("write" + hex(e.bytes)); break;
        case Call::Read:
            lines.push_back("read " + std::to_string(e.value) +
                            (e.bytes.empty() ? "" : " ->" + hex(e.bytes)));
            break;
        case Call::Close: lines.push_back("close"); break;
        case Call::Sleep: lines.push_back("sleep " + std::to_string(e.value)); break;
        }
    }
    return lines;
}

LinkOnScriptedPort::LinkOnScriptedPort() : saved(LinkPort) {
    useLinkBackend(&scriptedPortOps);
    reset();
    resetLinkState();
}

LinkOnScriptedPort::~LinkOnScriptedPort() {
    resetLinkState();
    useLinkBackend(saved);
}

}  // namespace scripted

const PortOps scriptedPortOps = PortOps::called("scripted")
                                    .withOpen(scripted::open)
                                    .withSettings(scripted::applySettings)
                                    .withTimeouts(scripted::applyTimeouts)
                                    .withPurge(scripted::purge)
                                    .withWrite(scripted::write)
                                    .withRead(scripted::read)
                                    .withClose(scripted::close)
                                    .withTickCount(scripted::tickCount)
                                    .withSleep(scripted::sleepMs);
