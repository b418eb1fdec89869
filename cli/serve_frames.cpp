#include "cli/serve_frames.h"

#include <cstddef>

#include "link/blocks.h"

namespace {

enum { FrameLength = 4, StatusRead = 1, ExtendedRead = 5 };

bool frameIsGood(const uint8_t* f) {
    return f[0] == LeadByte && byteSum(f, FrameLength - 1) == f[FrameLength - 1];
}

}  // namespace

bool RequestFramer::push(uint8_t byte) {
    if (count_ == 0 && byte != LeadByte) {
        ++dropped_;
        return false;
    }
    held_[count_++] = byte;
    while (count_ == FrameLength && !frameIsGood(held_)) {
        // Resynchronise: drop the first byte, look for the next lead byte.
        size_t from = 1;
        while (from < count_ && held_[from] != LeadByte) ++from;
        dropped_ += from;
        for (size_t i = from; i < count_; ++i) held_[i - from] = held_[i];
        count_ -= from;
    }
    if (count_ < FrameLength) return false;
    count_ = 0;
    return true;
}

size_t RequestFramer::takeDropped() {
    const size_t n = dropped_;
    dropped_ = 0;
    return n;
}

FrameJudgement judgeFrame(const uint8_t* f, int generation, bool allowWrites) {
    const bool blockRead = f[1] == f[2] && f[1] >= StatusRead && f[1] <= ExtendedRead;
    if (blockRead && f[1] == ExtendedRead && generation != 3) {
        return {allowWrites ? FrameVerdict::Pass : FrameVerdict::Refuse,
                "read of block 5 (a write of 5 to the options on generation 1)"};
    }
    if (blockRead) return {FrameVerdict::Pass, "read of block " + std::to_string(f[1])};
    return {allowWrites ? FrameVerdict::Pass : FrameVerdict::Refuse,
            "write of " + std::to_string(f[2]) + " to wire address " + std::to_string(f[1])};
}
