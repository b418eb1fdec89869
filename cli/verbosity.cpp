#include "cli/verbosity.h"

#include <chrono>
#include <cstdio>

#include "link/link.h"

namespace {

Verbosity current = Verbosity::Normal;

using Clock = std::chrono::steady_clock;
bool traceStarted = false;
Clock::time_point traceStart;

void traceFrame(char direction, const uint8_t* bytes, uint32_t n) {
    const Clock::time_point now = Clock::now();
    if (!traceStarted) traceStart = now, traceStarted = true;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - traceStart);
    // Standard output stays in order with the trace where both are a terminal.
    fflush(stdout);
    fputs(traceLine(static_cast<uint32_t>(us.count()), direction, bytes, n).c_str(), stderr);
}

}  // namespace

void setVerbosity(Verbosity v) {
    current = v;
    linkHooks.trace = v == Verbosity::Verbose ? traceFrame : nullptr;
}

bool quiet() { return current == Verbosity::Quiet; }

bool verbose() { return current == Verbosity::Verbose; }

std::string traceLine(uint32_t elapsedUs, char direction, const uint8_t* bytes, uint32_t n) {
    char head[48];
    snprintf(head, sizeof head, "lpgctl: trace +%u.%03u %c", elapsedUs / 1000, elapsedUs % 1000,
             direction);
    std::string line = head;
    if (n == 0) line += " (nothing)";
    for (uint32_t i = 0; i < n; ++i) {
        char hex[4];
        snprintf(hex, sizeof hex, " %02X", bytes[i]);
        line += hex;
    }
    return line + "\n";
}
