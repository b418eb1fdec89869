// lpgctl diff.
#include "cli/commands.h"
#include "cli/errors.h"

int runDiff(const CliArgs&) { return fail(ExitFailed, "diff is not built yet"); }
