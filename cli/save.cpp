// lpgctl save.
#include "cli/commands.h"
#include "cli/errors.h"

int runSave(const CliArgs&) { return fail(ExitFailed, "save is not built yet"); }
