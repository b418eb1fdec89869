// lpgctl's run from its arguments, as UTF-8 (cli/main.cpp); each system's
// entry point (cli/main_posix.cpp, cli/main_win.cpp) hands them over.
#ifndef ZUVELS_CLI_MAIN_H
#define ZUVELS_CLI_MAIN_H

// portVariable: LPGCTL_PORT's value, nullptr when it is not set. Returns
// the exit code.
int lpgctlMain(int argc, char** argv, const char* portVariable);

#endif
