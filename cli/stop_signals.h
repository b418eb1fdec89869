// Ctrl+C, SIGTERM and a closed pipe: what stops a long command, between two
// of its steps rather than in the middle of one. Portable: plain signal(),
// which the Windows runtime serves for Ctrl+C too.
#ifndef ZUVELS_CLI_STOP_SIGNALS_H
#define ZUVELS_CLI_STOP_SIGNALS_H

#include <csignal>

// Program-wide: set by the handlers; a command checks it between two steps.
extern volatile std::sig_atomic_t stopRequested;

// From now on SIGINT and SIGTERM only set stopRequested (which starts at 0).
void catchStopSignals();
// SIGINT and SIGTERM end the program again.
void releaseStopSignals();

// Writes to a pipe whose reader has gone fail with EPIPE instead of killing
// the program, so a command can stop in good order. Once, at the start.
void ignoreBrokenPipe();

#endif
