// lpgctl load.
#include "cli/commands.h"
#include "cli/errors.h"

int runLoad(const CliArgs&) { return fail(ExitFailed, "load is not built yet"); }
