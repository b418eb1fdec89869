// A port backend whose every answer comes from the fuzzer's input: opens
// that fail or take too long, writes that fail, reads that bring nothing,
// part of a reply, junk or a well-formed block. It also keeps the rules the
// link must follow on the wire and with its handles (FUZZ_CHECK).
//
// How the input is spent, one byte per call unless said otherwise:
//   open   bit 7 set: the open fails; bits 0..5: its duration in 64 ms steps
//   write  0xFF fails with nothing written, 0xFE writes two bytes, else all
//   read   bits 0..4: bytes answered (31 and anything above the request: all
//          of it); 0x7F: the read fails; bit 7: the answer is sealed (lead
//          byte and sum made right), then the answer's bytes follow
// Settings, time-outs, purges and the clock take nothing.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_FUZZ_PORT_H
#define ZUVELS_TESTS_FUZZ_HARNESS_FUZZ_PORT_H

#include <cstddef>
#include <cstdint>

#include "link/port.h"
#include "tests/fuzz/harness/fuzz_input.h"

extern const PortOps fuzzPortOps;

namespace fuzzport {

// A new run: answers come from in; nothing open, clock at 0.
void begin(FuzzInput* in);
bool isOpen(PortId h);
int openCount();
// Frames the link wrote in this run (all of them checked well-formed).
int framesWritten();
// The last frame written (4 bytes), for the callers' own checks.
const uint8_t* lastFrame();
// Called with every frame that reaches the port (an open handle), before
// the write's answer is taken from the input; nullptr for none.
typedef void (*FrameObserver)(const uint8_t* frame);
void observeFrames(FrameObserver o);
// Hands a frame written through another backend (the seed writer's) to the
// observer, so the harness's checks hold there too.
void notifyFrame(const uint8_t* frame);

}  // namespace fuzzport

#endif
