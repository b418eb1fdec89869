// The steps of the link target, numbered as its input chooses them; shared
// with the seed writer (tools/make_seeds.cpp) so seeds and target agree.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_LINK_STEPS_H
#define ZUVELS_TESTS_FUZZ_HARNESS_LINK_STEPS_H

// Each step's byte is followed by the bytes it reads itself (listed), then
// by what its exchanges take from the port (harness/fuzz_port.h).
enum LinkStep {
    StepPoll,
    StepReadLive,
    StepReadConfigA,
    StepReadConfigB,
    StepReadExtended,
    StepWrite,      // address, value
    StepTick,       // page (index into PageTicks), then the page's own bytes
    StepSelect,     // bit 0: default path; port number
    StepDialogs,    // bit 0: a service dialog open; bit 1: a list dropped down
    StepClose,      //
    StepSaveReads,  // bit 0: version 3
    LinkStepCount
};

#endif
