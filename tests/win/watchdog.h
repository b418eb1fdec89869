// A test that runs too long is failed by name, and the run goes on: a modal
// dialog nobody closes must not eat the whole suite's time-out.
#ifndef ZUVELS_TESTS_WIN_WATCHDOG_H
#define ZUVELS_TESTS_WIN_WATCHDOG_H

#include <gtest/gtest.h>

// Exit code of a run the watchdog ended: scripts/test starts the run again
// without the tests that had started.
constexpr int WatchdogExitCode = 86;

// Installs the watchdog: each test may run limitSeconds; then its thread's
// dialogs are cancelled and the test is failed when it ends; a test that
// still runs graceSeconds later ends the process with WatchdogExitCode.
void installWatchdog(testing::TestEventListeners& listeners, unsigned limitSeconds,
                     unsigned graceSeconds);

#endif
