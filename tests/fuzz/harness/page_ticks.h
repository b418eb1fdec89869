// One refresh tick of each page's portable logic, run by the link target
// over the fuzz port: what the page's timer does up to the drawing, with the
// values the drawing would use checked against the tables and rectangles
// they index (FUZZ_CHECK). A new page adds a tick function and a line in
// PageTicks (page_ticks.cpp); the link target picks it up from there.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_PAGE_TICKS_H
#define ZUVELS_TESTS_FUZZ_HARNESS_PAGE_TICKS_H

#include <cstddef>

#include "tests/fuzz/harness/fuzz_input.h"

struct PageTick {
    const char* name;
    // Back to the page's start-up state (a new run).
    void (*reset)();
    // One tick; in supplies the user's actions of this tick (button presses).
    void (*tick)(FuzzInput& in);
    // The tick as the page's timer runs it inside a message box's loop: no
    // user actions.
    void (*timerOnly)();
};

extern const PageTick PageTicks[];
extern const size_t PageTickCount;

void resetPageTicks();

#endif
