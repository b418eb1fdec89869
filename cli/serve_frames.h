// What lpgctl serve lets through to the controller: the client's bytes cut
// into request frames, and each frame judged before it goes out. Portable.
#ifndef ZUVELS_CLI_SERVE_FRAMES_H
#define ZUVELS_CLI_SERVE_FRAMES_H

#include <cstddef>
#include <cstdint>
#include <string>

// Cuts a byte stream into the controller's request frames: lead byte, two
// bytes, checksum. A byte that starts no good frame is dropped and counted,
// and the search goes on from the next byte, as the controller itself does.
class RequestFramer {
public:
    // Takes one byte; true when it completes a frame, which frame() holds.
    bool push(uint8_t byte);
    const uint8_t* frame() const { return held_; }
    // Bytes dropped since the last call; the count starts over.
    size_t takeDropped();

private:
    uint8_t held_[4] = {};
    size_t count_ = 0;
    size_t dropped_ = 0;
};

enum class FrameVerdict { Pass, Refuse };

// A frame judged: Pass sends it, Refuse drops it with what it was in words
// ("write of 7 to wire address 12", "read of block 5 (a write to generation 1)").
struct FrameJudgement {
    FrameVerdict verdict;
    std::string what;
};

// The status and block reads pass; with writes allowed, every frame does.
// generation is the controller's (0 when not known yet): generation 1 has no
// block 5, and the same bytes write its options, so they pass only where the
// controller is known to be of generation 3.
FrameJudgement judgeFrame(const uint8_t* frame, int generation, bool allowWrites);

#endif
