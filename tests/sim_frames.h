// Request frames as the controller takes them, and what the tests read off
// the simulated controller's frame log. Native and Windows tests alike.
#ifndef ZUVELS_TESTS_SIM_FRAMES_H
#define ZUVELS_TESTS_SIM_FRAMES_H

#include <cstdint>
#include <vector>

#include "link/block_stores.h"
#include "sim/sim.h"

namespace simframes {

using Frame = std::vector<uint8_t>;

// A write of value at a wire address: 'e', address, value, sum.
inline Frame writeFrame(int wireAddress, int value) {
    const uint8_t a = static_cast<uint8_t>(wireAddress), v = static_cast<uint8_t>(value);
    return Frame{0x65, a, v, static_cast<uint8_t>(0x65 + a + v)};
}
// A read of block 1..5.
inline Frame readFrame(int block) {
    const uint8_t b = static_cast<uint8_t>(block);
    return Frame{0x65, b, b, static_cast<uint8_t>(0x65 + 2 * b)};
}

// The program's stores as a freshly reset simulated controller of that
// generation holds its blocks (its factory configuration).
inline void storesFromSimulator(int generation) {
    SimConfig config;
    config.generation = generation;
    simReset(config, 0);
    blockStores().Live = simState().live;
    blockStores().ConfigA = simState().configA;
    blockStores().ConfigB = simState().configB;
    blockStores().Extended = simState().extended;
}

// Every frame the controller received since its log was cleared.
inline std::vector<Frame> framesReceived() {
    std::vector<Frame> frames;
    for (const SimFrame& f : simFrameLog())
        if (f.dir == '>') frames.push_back(f.bytes);
    return frames;
}

// The 'e' requests among them: the echo probe left out.
inline std::vector<Frame> requestsReceived() {
    std::vector<Frame> frames;
    for (const Frame& f : framesReceived())
        if (f.size() >= 2 && f[0] == 0x65) frames.push_back(f);
    return frames;
}

// Command byte of each frame received, -1 for the echo probe.
inline std::vector<int> commandsReceived() {
    std::vector<int> commands;
    for (const Frame& f : framesReceived()) commands.push_back(f[0] == 0x65 ? f[1] : -1);
    return commands;
}

// Command bytes of the requests received since the last call; clears the log.
inline std::vector<int> takeCommands() {
    std::vector<int> commands;
    for (const Frame& f : requestsReceived()) commands.push_back(f[1]);
    simClearLog();
    return commands;
}

}  // namespace simframes

#endif
