// How much lpgctl tells besides the output asked for and its errors: -q
// leaves out progress, notes and warnings; -v adds a trace of every frame
// on the port to standard error. Portable.
#ifndef ZUVELS_CLI_VERBOSITY_H
#define ZUVELS_CLI_VERBOSITY_H

#include <cstdint>
#include <string>

enum class Verbosity { Quiet, Normal, Verbose };

// Verbose hooks the frame trace into the link.
void setVerbosity(Verbosity v);
bool quiet();
bool verbose();

// One trace line: "lpgctl: trace +12.345 > 65 01 01 67", ms since the first
// traced frame; a read that brought nothing shows "(nothing)".
std::string traceLine(uint32_t elapsedUs, char direction, const uint8_t* bytes, uint32_t n);

#endif
