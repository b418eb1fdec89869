// lpgctl ports.
#include "cli/commands.h"
#include "cli/errors.h"

int runPorts(const CliArgs&) { return fail(ExitFailed, "ports is not built yet"); }
