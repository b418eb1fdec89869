// lpgctl scan.
#include "cli/commands.h"
#include "cli/errors.h"

int runScan(const CliArgs&) { return fail(ExitFailed, "scan is not built yet"); }
