// Scripted serial port for the link tests: replies come from a queue, every
// call is recorded in order, and the clock moves only when told to (or by
// sleeps and slow opens).
#ifndef ZUVELS_TESTS_UNIT_SCRIPTED_PORT_H
#define ZUVELS_TESTS_UNIT_SCRIPTED_PORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "link/port.h"

extern const PortOps scriptedPortOps;

namespace scripted {

enum class Call { Open, Settings, Timeouts, Purge, Write, Read, Close, Sleep };

struct Event {
    Call call;
    PortId handle;               // handle the call was made on (Open: the one returned)
    bool ok;                     // what the backend answered
    std::string path;            // Open
    unsigned value;              // Purge: what; Read: bytes asked; Sleep: ms
    std::vector<uint8_t> bytes;  // Write: the frame; Read: what was returned
    PortSettings settings;       // Settings
    PortTimeouts timeouts;       // Timeouts
};

// Back to a clean port: empty queue and log, clock at 0, no faults.
void reset();

// One entry per read call, in order; a reply may be shorter than what is
// asked (the rest of the caller's buffer is left as it was). A read with
// the queue empty returns nothing.
void queueReply(const std::vector<uint8_t>& bytes);
void queueSilence();

void setOpenFails(bool fails);
void setOpenDuration(uint32_t ms);  // each open moves the clock this far
void setWriteFails(bool fails);

uint32_t now();
void advanceClock(uint32_t ms);

const std::vector<Event>& log();
void clearLog();

// Convenience views of the log.
size_t count(Call call);
std::vector<std::vector<uint8_t>> framesWritten();  // accepted writes only
// One short line per call: "open \\.\COM1", "settings", "timeouts",
// "purge 4", "write 65 01 01 67", "read 4 -> 65 00 01 66", "close", "sleep 0".
std::vector<std::string> trace();

// The scripted port as the link's backend for as long as it lives, from a
// clean port and link; the link is reset and the old backend put back after.
class LinkOnScriptedPort {
public:
    LinkOnScriptedPort();
    ~LinkOnScriptedPort();

private:
    const PortOps* saved;
};

}  // namespace scripted

#endif
