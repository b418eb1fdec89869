// One refresh tick of each page's and dialog's portable logic, run by the
// link target over the fuzz port: what the timer does up to the drawing, with
// the values the drawing would use checked against the tables and rectangles
// they index (FUZZ_CHECK), and the user's actions of the tick (list choices,
// box clicks, presses, scrolls) with their writes watched (write_watch.h).
// A new page adds its ticks to PageTicks (page_ticks.cpp); the link target
// picks it up from there, and a run stops on a page of the shell's list that
// polls the controller without one.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_PAGE_TICKS_H
#define ZUVELS_TESTS_FUZZ_HARNESS_PAGE_TICKS_H

#include <cstddef>

#include "shell/page_list.h"
#include "tests/fuzz/harness/fuzz_input.h"

struct PageTick {
    const char* name;
    // The shell's page this is (shell/page_list.h); PageNone for a dialog.
    Page page;
    // Back to the program's start-up state (a new run).
    void (*reset)();
    // The page is created or the dialog opened, and destroyed or closed;
    // either may be null.
    void (*show)();
    void (*hide)();
    // One tick; in supplies the user's actions of this tick. A tick reads
    // all its own bytes before its first exchange, so that the seed writer
    // can put them in front of the port's answers; a first byte of 0 means
    // no action.
    void (*tick)(FuzzInput& in);
    // The tick as the timer runs it inside a message box's loop: no user
    // actions.
    void (*timerOnly)();
};

extern const PageTick PageTicks[];
extern const size_t PageTickCount;

// Shows page index (hiding the one shown, as the shell switches pages or a
// dialog closes back to its page) and runs its tick.
void runPageTick(size_t index, FuzzInput& in);
// The timer of the page shown, as a message box's loop runs it.
void runPageTimer();
// The poll interval the page shown puts in PollInterval itself; 0 when it
// keeps the link's own.
int pageOwnInterval();

// A new run: every page at its start-up state, the readings page shown.
void resetPageTicks();

#endif
