// The simulated controller: a portable model of the LPG injection controller
// that answers the request frames, keeps every parameter byte, carries out the
// commands at address 30 and plays a repeating engine scenario.
//
// The model makes no OS calls. Its host feeds it the bytes it receives and
// the current time in milliseconds (any monotonic base; the frame log counts
// from the time given to simReset), and takes the bytes it answers once their
// release time has come. Hosts: the in-process port backend (sim/port_sim.cpp,
// demo mode and tests), tools/lpgsim (a pty or a real tty) and the unit tests.
//
// Behaviour worth knowing when testing against it:
// - Requests are assembled from the byte stream. A byte that cannot start a
//   frame is dropped; four bytes that fail the checksum drop their first byte
//   and the search goes on (resync). A partial frame older than 50 ms is
//   discarded. Only accepted frames are logged as received.
// - 'e', c, c, sum with c = 1..5 is a block read; everything else with a good
//   sum is a write to wire address byte 1 (generation 3 stores it at
//   wire address - 1). A generation-1 controller has no block 5: for it
//   65 05 05 6F is a write of 5 to address 5 (options), which is what the
//   same bytes mean to the program.
// - Writes to addresses outside 5..49 (program numbering) get no reply.
// - The echo probe 0B 01 01 0D gets no reply unless the echo fault is on.
// - A reply is logged when it is queued, not when its bytes are released.
#ifndef ZUVELS_SIM_SIM_H
#define ZUVELS_SIM_SIM_H

#include <cstddef>
#include <cstdint>
#include <vector>
#include "link/blocks.h"

enum class SimFault {
    None,
    Echo,     // every received byte comes straight back, nothing else
    Silent,   // frames are taken in but never answered
    BadSum,   // replies carry a checksum one too high
    Short,    // replies lose their last byte
    Slow,     // replies are released SimSlowDelayMs after the request
    Drop,     // answers dropAfter frames, then stays silent
    Garbage,  // junk before replies; every third reply is junk only
    Forget,   // writes are answered as taken but change nothing
};

const uint32_t SimSlowDelayMs = 1500;
const uint32_t SimCycleMs = 60000;  // the engine scenario repeats with this period

struct SimConfig {
    int generation = 3;  // 1 or 3
    int variant = 5;     // 0..31
    SimFault fault = SimFault::None;
    int dropAfter = 0;  // for SimFault::Drop
    bool pace = false;  // release output bytes at 9600 baud (about 1.04 ms each)
};

// One logged frame: ms since simReset, '>' received by the controller or
// '<' sent by it, and the bytes.
struct SimFrame {
    uint32_t ms;
    char dir;
    std::vector<uint8_t> bytes;
};

// The model's own copy of everything it reports. Blocks are kept whole,
// lead and checksum included; the checksum is refreshed when a block is sent.
struct SimState {
    SimConfig config;
    StatusBlock status;
    LiveBlock live;
    ConfigABlock configA;
    ConfigBBlock configB;
    ExtendedBlock extended;

    // scenario
    uint32_t startMs;        // time given to simReset
    uint32_t scenarioMs;     // scenario time reached by simAdvance, since start
    bool onGas;              // latched change-over to gas within the current cycle
    uint32_t gasMsCarry;     // time on gas not yet counted as a whole minute
    uint32_t learnUntilMs;   // learn mode reported until this scenario time
    uint32_t answerUntilMs;  // learn answer (flagsB bit 4) shown until this time
    bool learnPending;       // learn mode started and not yet answered

    // faults and I/O
    int framesAnswered;
    uint32_t garbageSeed;
    int repliesMade;
};

void simReset(const SimConfig& config, uint32_t nowMs = 0);
void simSetFault(SimFault fault, int dropAfter = 0);
// Parses "echo", "silent", "badsum", "short", "slow", "drop:N", "garbage",
// "forget" and "none"; false for anything else.
bool simParseFault(const char* name, SimFault* fault, int* dropAfter);

// Bytes from the host at time nowMs. Also advances the scenario to nowMs.
void simReceive(const uint8_t* bytes, size_t n, uint32_t nowMs);
// Moves the engine scenario and the counters forward to nowMs.
void simAdvance(uint32_t nowMs);
// Takes up to max output bytes whose release time is not after nowMs.
size_t simTakeOutput(uint8_t* out, size_t max, uint32_t nowMs);
// Output queued but not yet taken (released or not).
size_t simPendingOutput();
// Release time (ms, host base) of the next queued byte; false when none.
bool simNextRelease(uint32_t* ms);
// Drops every queued output byte (the host purged its receive side).
void simDiscardOutput();

const std::vector<SimFrame>& simFrameLog();
void simClearLog();
// "1520 > 65 01 01 67": ms, direction, hex bytes upper-case. Returns length.
size_t simFormatFrame(const SimFrame& f, char* out, size_t cap);

// Direct access for tests and tools.
SimState& simState();
// Factory values of the parameters, as command 51 restores them.
void simFactoryValues(SimState& s);

// ---- in-process port backend (sim/port_sim.cpp) ----
// The backend keeps its own clock. In real-time mode (the default, demo mode)
// it follows the machine's steady clock; waits that the backend cuts short
// (read time-outs, sleepMs) push it ahead instead of sleeping, so the model
// sees the time pass without the caller blocking. In virtual mode (tests) the
// clock starts at 0 and moves only by those waits and simPortAdvanceClock.

// Resets the model with config at the backend's current time.
void simPortSetup(const SimConfig& config);
void simPortUseRealTime(bool realTime);
void simPortAdvanceClock(uint32_t ms);
uint32_t simPortNow();

#endif
