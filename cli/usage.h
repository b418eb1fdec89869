// lpgctl's help texts, built from the command table.
#ifndef ZUVELS_CLI_USAGE_H
#define ZUVELS_CLI_USAGE_H

#include <cstdio>

#include "cli/commands.h"

void printProgramHelp(FILE* out);
// "lpgctl 5.02": the version as the About box shows it.
void printVersion(FILE* out);
void printCommandHelp(FILE* out, const CliCommand& command);

// For run functions: false after "usage: lpgctl NAME USAGE" on stderr
// when the count of arguments is outside [least, most].
bool argumentCountOk(const CliArgs& args, int least, int most, const char* name);

#endif
