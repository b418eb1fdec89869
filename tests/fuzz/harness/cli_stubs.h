// lpgctl's outside world for the command-line target (cli_stubs.cpp): its
// error lines kept instead of printed, and a platform without ports. The
// target reads arguments only; reaching a device backend, the system's port
// list or a port open is a finding, so no fuzz input ever opens a port.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_CLI_STUBS_H
#define ZUVELS_TESTS_FUZZ_HARNESS_CLI_STUBS_H

#include <string>

// Error lines given since the last clearFailures, and the last of them.
int failureCount();
const std::string& lastFailure();
void clearFailures();

#endif
