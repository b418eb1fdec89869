// lpgctl status: link state, generation, variant and version text.
#include <cstdio>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/usage.h"
#include "link/blocks.h"
#include "link/link.h"

int runStatus(const CliArgs& args) {
    if (!argumentCountOk(args, 0, 0, "status")) return ExitUsage;
    const int code = openController(args);
    // A port that didn't open has no link to report.
    if (code != ExitOk && code != ExitNoController && code != ExitWrongGeneration) return code;
    const bool up = LinkState == LinkStateKind::Up;
    printf("port:       %s\n", portLabel().c_str());
    printf("link:       %s\n", up ? "up" : "down");
    if (up) {
        char version[16];
        formatVersion(ControllerGeneration, ControllerVariant, version, sizeof version);
        printf("generation: %d\n", ControllerGeneration);
        printf("variant:    %d\n", ControllerVariant);
        printf("version:    %s\n", version);
    }
    closePort();
    return code;
}
