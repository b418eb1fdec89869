// lpgctl dump.
#include "cli/commands.h"
#include "cli/errors.h"

int runDump(const CliArgs&) { return fail(ExitFailed, "dump is not built yet"); }
