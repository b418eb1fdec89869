#include "sim/sim.h"

#include <cstdio>
#include <cstring>
#include <deque>

#include "link/link.h"
#include "link/parameters.h"

// ---- module state ----

namespace {

struct OutByte {
    uint8_t value;
    uint64_t releaseUs;  // since startMs
};

SimState state;
std::vector<SimFrame> frameLog;
std::deque<OutByte> output;
std::vector<uint8_t> rxFrame;  // partial request being assembled
uint32_t lastRxMs;             // since startMs
uint64_t lastReleaseUs;        // release time of the last queued byte

const uint32_t FrameGapMs = 50;      // a partial frame older than this is stale
const uint32_t StepMs = 20;          // scenario resolution
const uint64_t ByteTimeUs = 1042;    // 10 bits at 9600 baud
const size_t MaxLogFrames = 100000;  // demo mode runs for hours

template <typename Block>
void sealBlock(Block& b) {
    uint8_t* p = blockBytes(b);
    p[0] = LeadByte;
    p[sizeof(Block) - 1] = byteSum(p, sizeof(Block) - 1);
}

uint32_t sinceStart(uint32_t nowMs) { return nowMs - state.startMs; }

void logFrame(uint32_t nowMs, char dir, const uint8_t* b, size_t n) {
    if (frameLog.size() >= MaxLogFrames)
        frameLog.erase(frameLog.begin(), frameLog.begin() + MaxLogFrames / 2);
    SimFrame f;
    f.ms = sinceStart(nowMs);
    f.dir = dir;
    f.bytes.assign(b, b + n);
    frameLog.push_back(f);
}

// Queues bytes for the host; with pacing each byte follows the previous one
// by one character time.
void queueBytes(const uint8_t* b, size_t n, uint64_t readyUs) {
    for (size_t i = 0; i < n; ++i) {
        uint64_t at = readyUs;
        if (state.config.pace) {
            uint64_t start = lastReleaseUs > readyUs ? lastReleaseUs : readyUs;
            at = start + ByteTimeUs;
        }
        lastReleaseUs = at;
        output.push_back({b[i], at});
    }
}

uint32_t nextRandom() {
    // xorshift32: deterministic junk for the garbage fault
    uint32_t x = state.garbageSeed;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state.garbageSeed = x;
    return x;
}

uint8_t junkByte() {
    uint8_t b = uint8_t(nextRandom() >> 24);
    return b == LeadByte ? uint8_t(LeadByte - 1) : b;  // junk never looks like a reply start
}

// Sends a reply through the active fault.
void reply(std::vector<uint8_t> bytes, uint32_t nowMs) {
    SimConfig& c = state.config;
    if (c.fault == SimFault::Silent) return;
    if (c.fault == SimFault::Drop && state.framesAnswered >= c.dropAfter) return;
    state.framesAnswered++;
    state.repliesMade++;
    switch (c.fault) {
    case SimFault::BadSum: bytes.back() = uint8_t(bytes.back() + 1); break;
    case SimFault::Short: bytes.pop_back(); break;
    case SimFault::Garbage:
        if (state.repliesMade % 3 == 0) {
            for (uint8_t& b : bytes) b = junkByte();
        } else {
            size_t junk = 1 + nextRandom() % 4;
            for (size_t i = 0; i < junk; ++i) bytes.insert(bytes.begin(), junkByte());
        }
        break;
    default: break;
    }
    uint64_t readyUs = uint64_t(sinceStart(nowMs)) * 1000;
    if (c.fault == SimFault::Slow) readyUs += uint64_t(SimSlowDelayMs) * 1000;
    logFrame(nowMs, '<', bytes.data(), bytes.size());
    queueBytes(bytes.data(), bytes.size(), readyUs);
}

template <typename Block>
void replyBlock(Block& b, uint32_t nowMs) {
    sealBlock(b);
    const uint8_t* p = blockBytes(b);
    reply(std::vector<uint8_t>(p, p + sizeof(Block)), nowMs);
}

unsigned speedFromPeriod(uint8_t lo, uint8_t hi) {
    unsigned period = hi * 256u + lo;
    return period ? 15000000u / period : 0;
}

// ---- engine scenario ----

struct Point {
    uint32_t ms;
    int value;
};

// Engine speed over one cycle: stopped, cranking, idle while warming up,
// revving to the switch-over, a drive up past the switch-off speed, an
// overrun through the cut-off band, idle again and a stop.
const Point rpmCurve[] = {
    {0, 0},        {2000, 0},     {2001, 250},   {3500, 300},   {4000, 1100},
    {5000, 800},   {20000, 800},  {23000, 3000}, {26000, 2500}, {30000, 6500},
    {32000, 6500}, {36000, 3000}, {38000, 4500}, {40000, 4000}, {44000, 1200},
    {46000, 800},  {55800, 800},  {55801, 0},    {60000, 0},
};
// Throttle sensor, raw: closed at about 0.5 V.
const Point throttleCurve[] = {
    {0, 26},      {20000, 26}, {21000, 120}, {23000, 100}, {26000, 90}, {28000, 220},
    {32000, 200}, {34000, 60}, {38000, 150}, {39999, 150}, {40000, 26}, {60000, 26},
};
const uint32_t OverrunFromMs = 40000, OverrunToMs = 46000;
const uint32_t RunningFromMs = 4000;  // after cranking
const uint32_t WarmFromMs = 4000, WarmToMs = 24000;
const int ColdRaw = 60, HotRaw = 200;

template <size_t N>
int curveAt(const Point (&curve)[N], uint32_t t) {
    for (size_t i = 1; i < N; ++i) {
        if (t <= curve[i].ms) {
            const Point& a = curve[i - 1];
            const Point& b = curve[i];
            if (b.ms == a.ms) return b.value;
            return a.value +
                   int((int64_t(b.value - a.value) * int64_t(t - a.ms)) / int64_t(b.ms - a.ms));
        }
    }
    return curve[N - 1].value;
}

// Small deterministic wobble in [-range, range] that changes every 100 ms.
int wobble(uint32_t t, int range, uint32_t salt) {
    uint32_t x = (t / 100) * 2654435761u ^ salt;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return int(x % uint32_t(2 * range + 1)) - range;
}

// Triangle wave 0..1000 with the given period.
int triangle(uint32_t t, uint32_t period) {
    uint32_t p = t % period;
    uint32_t half = period / 2;
    return int(p < half ? p * 1000 / half : (period - p) * 1000 / half);
}

uint8_t clampByte(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// The engine at one moment of the cycle.
struct EngineNow {
    uint32_t t, c;  // scenario time and its place in the cycle
    int rpm;
    bool running, started;
    int temp;  // reducer temperature, raw
    bool warm, gasOff, cut;
};

int reducerTemperature(uint32_t t, uint32_t c) {
    if (c < WarmFromMs) return ColdRaw;
    if (c < WarmToMs)
        return ColdRaw + int((HotRaw - ColdRaw) * (c - WarmFromMs) / (WarmToMs - WarmFromMs));
    return HotRaw + wobble(t / 10, 2, 2);
}

// Engine speed, temperature and the switching decisions; latches onGas.
EngineNow engineAt(uint32_t t) {
    SimState& s = state;
    const uint8_t options = s.configA.options;
    EngineNow e{};
    e.t = t;
    e.c = t % SimCycleMs;
    e.rpm = curveAt(rpmCurve, e.c);
    e.running = e.rpm > 0;
    e.started = e.running && e.c >= RunningFromMs;
    if (e.started) e.rpm += wobble(t, 25, 1);
    e.temp = reducerTemperature(t, e.c);
    e.warm = !(options & Options::SwitchOverTemp) || e.temp >= s.configA.lpgOnTemp;

    const unsigned rpm = unsigned(e.rpm);
    const unsigned switchOn = speedFromPeriod(s.configB.lpgOnRpmLo, s.configB.lpgOnRpmHi);
    const unsigned cutOff = speedFromPeriod(s.configB.cutOffRpmLo, s.configB.cutOffRpmHi);
    const unsigned switchOff = speedFromPeriod(s.configB.lpgOffRpmLo, s.configB.lpgOffRpmHi);
    if (!e.started)
        s.onGas = false;
    else if (e.warm && rpm >= switchOn)
        s.onGas = true;
    e.gasOff = s.onGas && (options & Options::SwitchOffSpeed) && switchOff && rpm > switchOff;
    const bool overrun = e.c >= OverrunFromMs && e.c < OverrunToMs;
    e.cut = s.onGas && !e.gasOff && overrun && (options & Options::CutOff) && rpm > cutOff;
    return e;
}

void setPeriod(LiveBlock& live, const EngineNow& e) {
    if (!e.running) {
        live.rpmPeriodLo = 0xFF;
        live.rpmPeriodHi = 0xFF;  // engine stopped
        return;
    }
    unsigned period = 15000000u / unsigned(e.rpm);
    if (period > 0xFFFE) period = 0xFFFE;
    live.rpmPeriodLo = uint8_t(period & 0xFF);
    live.rpmPeriodHi = uint8_t(period >> 8);
}

// Throttle and position around the reference.
void setThrottle(LiveBlock& live, const EngineNow& e) {
    live.voltageA = clampByte(curveAt(throttleCurve, e.c) + (e.running ? wobble(e.t, 2, 3) : 0));
    const int load = (live.voltageA - 26) / 6;
    live.position = e.running ? clampByte(live.attInit + load + (triangle(e.t, 7000) - 500) / 20)
                              : live.attInit;
}

// Lambda probe: steady while cold, switching once warm (0.1 .. 0.9 V), in
// the scale of the probe type set.
void setLambda(LiveBlock& live, const EngineNow& e) {
    int lambda = 23;
    if (e.started && e.temp >= 120)
        lambda = 5 + triangle(e.t, 1200) * 41 / 1000;
    else if (e.started)
        lambda = 23 + wobble(e.t, 3, 4);
    const int type = probeType(state.configA.lambdaType);
    if (type == 1 || type == 2)
        lambda = lambda * 5;
    else if (probeInverted(state.configA.lambdaType))
        lambda = 255 - lambda * 5;
    else if (type == 5)
        lambda = 41 + lambda;
    live.voltageB = clampByte(lambda);
}

uint8_t flagsAFor(const LiveBlock& live, const EngineNow& e) {
    const ConfigABlock& a = state.configA;
    uint8_t f = FlagsA::ProbeStateThird;
    if (e.started) {
        const bool first = probeInverted(a.lambdaType) ? live.voltageB > a.lambdaPoint
                                                       : live.voltageB < a.lambdaPoint;
        f = (first ? FlagsA::ProbeStateFirst : FlagsA::ProbeStateSecond) | FlagsA::Ready;
    }
    // The lit state cell walks round every 2 s.
    return uint8_t(f | (FlagsA::StateCell1 << ((e.c / 2000) % 4)));
}

uint8_t flagsBFor(const EngineNow& e) {
    SimState& s = state;
    uint8_t f = 0;
    if (s.onGas && !e.gasOff) f |= FlagsB::OnGas;
    if (s.learnUntilMs && e.t < s.learnUntilMs) f |= FlagsB::LearnActive;
    if (e.gasOff) f |= FlagsB::GasOff;
    if (e.cut) f |= FlagsB::CutOffActive;
    if (s.learnPending && e.t >= s.learnUntilMs) {
        s.learnPending = false;
        s.answerUntilMs = e.t + 8000;
    }
    if (e.t < s.answerUntilMs) f |= FlagsB::LearnUnfinished;
    if (s.onGas) f |= FlagsB::SwitchedOver;
    if (e.started && e.warm) f |= FlagsB::Warm;
    return f;
}

void countTimeOnGas(uint32_t dtMs) {
    SimState& s = state;
    s.gasMsCarry += dtMs;
    while (s.gasMsCarry >= 60000) {
        s.gasMsCarry -= 60000;
        ExtendedBlock& e = s.extended;
        if (++e.gasMinutes >= 60) {
            e.gasMinutes = 0;
            unsigned hours = e.gasHoursLo + e.gasHoursHi * 256u + 1;
            e.gasHoursLo = uint8_t(hours & 0xFF);
            e.gasHoursHi = uint8_t((hours >> 8) & 0xFF);
        }
    }
}

void stepScenario(uint32_t t, uint32_t dtMs) {
    LiveBlock& live = state.live;
    const EngineNow e = engineAt(t);
    setPeriod(live, e);
    setThrottle(live, e);
    setLambda(live, e);
    live.flagsA = flagsAFor(live, e);
    live.flagsB = flagsBFor(e);
    live.temperatureRaw = clampByte(e.temp);
    // The tank level drops a quarter every 12 s.
    state.extended.tankLevel = uint8_t(4 - e.c / 12000);
    if (live.flagsB & FlagsB::OnGas) countTimeOnGas(dtMs);
}

// ---- writes ----

BlockSet ownBlocks(SimState& s) {
    return BlockSet{&s.status, &s.live, &s.configA, &s.configB, &s.extended};
}

// The gas level sensor's learning leaves the factory thresholds.
void factoryThresholds(SimState& s) {
    for (Param p : {Param::Prog1, Param::Prog2, Param::Prog3, Param::Prog4}) {
        const Parameter& row = parameter(p);
        *fieldByte(parameterByte(row, 3), ownBlocks(s)) =
            static_cast<uint8_t>(factoryValue(row, 3));
    }
}

void runCommand(uint8_t value, uint32_t nowMs) {
    SimState& s = state;
    switch (value) {
    case CmdLearn:
        s.learnUntilMs = s.scenarioMs + 4000;
        s.learnPending = true;
        s.answerUntilMs = 0;
        break;
    case CmdFactoryReset: simFactoryValues(s); break;
    case CmdGasLevelSensor: factoryThresholds(s); break;
    default: break;
    }
    (void)nowMs;
}

// Stores value at a program address; false for an address the controller
// doesn't know (no reply then). Parameters go through the program's own
// address map; only the command register and the time-on-gas counter are
// handled here.
bool applyWrite(uint8_t address, uint8_t value, uint32_t nowMs) {
    SimState& s = state;
    ExtendedBlock& e = s.extended;
    switch (address) {
    case Addr::Command: runCommand(value, nowMs); return true;
    case Addr::GasCounterA: e.gasHoursLo = value; return true;
    case Addr::GasCounterB: e.gasHoursHi = value; return true;
    case Addr::GasMinutes: s.gasMsCarry = 0; break;
    case Addr::Wozg:
        if (s.config.generation != 3) return true;  // generation 1 takes it and forgets it
        break;
    default: break;
    }
    uint8_t* field = fieldByte(fieldForAddress(address, s.config.generation), ownBlocks(s));
    if (!field) return false;
    *field = value;
    return true;
}

void handleFrame(const uint8_t* f, uint32_t nowMs) {
    SimState& s = state;
    if (f[0] != LeadByte) return;  // the echo probe and other strangers: no reply
    uint8_t cmd = f[1], arg = f[2];
    bool gen3 = s.config.generation == 3;
    int lastBlock = gen3 ? 5 : 4;
    if (cmd >= 1 && cmd <= lastBlock && arg == cmd) {
        switch (cmd) {
        case 1: replyBlock(s.status, nowMs); break;
        case 2: replyBlock(s.live, nowMs); break;
        case 3: replyBlock(s.configA, nowMs); break;
        case 4: replyBlock(s.configB, nowMs); break;
        case 5: replyBlock(s.extended, nowMs); break;
        }
        return;
    }
    int address = gen3 ? cmd - 1 : cmd;
    if (!parameterAt(address)) return;  // an address no row has: no reply
    const bool forget = s.config.fault == SimFault::Forget;
    if (!forget && !applyWrite(uint8_t(address), arg, nowMs)) return;
    uint8_t answer = arg;
    if (address == Addr::Command && arg == CmdFactoryReset && !gen3) answer = '3';
    reply({LeadByte, answer, uint8_t(LeadByte + answer)}, nowMs);
}

void setIdentity() {
    SimState& s = state;
    int gen = s.config.generation == 1 ? 1 : 3;
    s.status.byte1 = 0x01;
    s.status.identity = uint8_t((gen - 1) * 32 + (s.config.variant & 0x1F));
    sealBlock(s.status);
}

}  // namespace

// ---- interface ----

void simFactoryValues(SimState& s) {
    const int generation = s.config.generation;
    for (const Parameter& row : Parameters) {
        const int value = factoryValue(row, generation);
        uint8_t* byte = fieldByte(parameterByte(row, generation), ownBlocks(s));
        if (value != NoFactory && byte) *byte = static_cast<uint8_t>(value);
    }
}

void simReset(const SimConfig& config, uint32_t nowMs) {
    state = SimState();
    state.config = config;
    if (state.config.generation != 1) state.config.generation = 3;
    state.startMs = nowMs;
    state.garbageSeed = 0x2545F491u;
    setIdentity();
    simFactoryValues(state);

    // service data of a car that has been on the road for a while
    ExtendedBlock& e = state.extended;
    e.gasMinutes = 34;
    e.gasHoursLo = 12;
    e.installDateLo = 0x8D;  // 2020-05-14
    e.installDateHi = 0x14;
    std::memcpy(e.registration, "SIM 001", 7);

    frameLog.clear();
    output.clear();
    rxFrame.clear();
    lastRxMs = 0;
    lastReleaseUs = 0;
    stepScenario(0, 0);
}

void simSetFault(SimFault fault, int dropAfter) {
    state.config.fault = fault;
    state.config.dropAfter = dropAfter;
    state.framesAnswered = 0;
}

bool simParseFault(const char* name, SimFault* fault, int* dropAfter) {
    static const struct {
        const char* name;
        SimFault fault;
    } names[] = {
        {"none", SimFault::None},       {"echo", SimFault::Echo},     {"silent", SimFault::Silent},
        {"badsum", SimFault::BadSum},   {"short", SimFault::Short},   {"slow", SimFault::Slow},
        {"garbage", SimFault::Garbage}, {"forget", SimFault::Forget},
    };
    *dropAfter = 0;
    for (const auto& n : names) {
        if (std::strcmp(name, n.name) == 0) {
            *fault = n.fault;
            return true;
        }
    }
    if (std::strncmp(name, "drop:", 5) == 0) {
        const char* p = name + 5;
        if (*p == 0) return false;
        long v = 0;
        for (; *p; ++p) {
            if (*p < '0' || *p > '9' || v > 1000000) return false;
            v = v * 10 + (*p - '0');
        }
        *fault = SimFault::Drop;
        *dropAfter = int(v);
        return true;
    }
    return false;
}

void simAdvance(uint32_t nowMs) {
    uint32_t target = sinceStart(nowMs);
    if (int32_t(target - state.scenarioMs) <= 0) return;
    // a host that was away for long skips ahead instead of replaying it all
    if (target - state.scenarioMs > 2 * SimCycleMs) state.scenarioMs = target - SimCycleMs;
    while (state.scenarioMs != target) {
        uint32_t left = target - state.scenarioMs;
        uint32_t dt = left < StepMs ? left : StepMs;
        state.scenarioMs += dt;
        stepScenario(state.scenarioMs, dt);
    }
}

void simReceive(const uint8_t* bytes, size_t n, uint32_t nowMs) {
    simAdvance(nowMs);
    if (n == 0) return;
    uint32_t t = sinceStart(nowMs);
    if (state.config.fault == SimFault::Echo) {
        // a loop-back: every byte returns as it came, nothing is understood
        for (size_t i = 0; i < n; i += 32) {
            size_t chunk = n - i < 32 ? n - i : 32;
            logFrame(nowMs, '>', bytes + i, chunk);
            logFrame(nowMs, '<', bytes + i, chunk);
        }
        queueBytes(bytes, n, uint64_t(t) * 1000);
        return;
    }
    if (!rxFrame.empty() && t - lastRxMs > FrameGapMs) rxFrame.clear();
    lastRxMs = t;
    for (size_t i = 0; i < n; ++i) {
        rxFrame.push_back(bytes[i]);
        while (!rxFrame.empty()) {
            if (rxFrame[0] != LeadByte && rxFrame[0] != RequestFrames[ReqEchoProbe][0]) {
                rxFrame.erase(rxFrame.begin());
                continue;
            }
            if (rxFrame.size() < 4) break;
            if (byteSum(rxFrame.data(), 3) != rxFrame[3]) {
                rxFrame.erase(rxFrame.begin());
                continue;
            }
            uint8_t frame[4];
            std::memcpy(frame, rxFrame.data(), 4);
            rxFrame.erase(rxFrame.begin(), rxFrame.begin() + 4);
            logFrame(nowMs, '>', frame, 4);
            handleFrame(frame, nowMs);
        }
    }
}

size_t simTakeOutput(uint8_t* out, size_t max, uint32_t nowMs) {
    uint64_t nowUs = uint64_t(sinceStart(nowMs)) * 1000;
    size_t n = 0;
    while (n < max && !output.empty() && output.front().releaseUs <= nowUs) {
        out[n++] = output.front().value;
        output.pop_front();
    }
    return n;
}

size_t simPendingOutput() { return output.size(); }

bool simNextRelease(uint32_t* ms) {
    if (output.empty()) return false;
    // round up so that a host waking at this time finds the byte released
    *ms = state.startMs + uint32_t((output.front().releaseUs + 999) / 1000);
    return true;
}

void simDiscardOutput() { output.clear(); }

const std::vector<SimFrame>& simFrameLog() { return frameLog; }

void simClearLog() { frameLog.clear(); }

size_t simFormatFrame(const SimFrame& f, char* out, size_t cap) {
    if (cap == 0) return 0;
    int len = std::snprintf(out, cap, "%u %c", unsigned(f.ms), f.dir);
    size_t used = len < 0 ? 0 : size_t(len) < cap ? size_t(len) : cap - 1;
    for (uint8_t b : f.bytes) {
        if (used + 4 > cap) break;
        std::snprintf(out + used, cap - used, " %02X", unsigned(b));
        used += 3;
    }
    return used;
}

SimState& simState() { return state; }
