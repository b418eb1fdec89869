// lpgctl status: link state, generation, variant and version text.
#include <cstdio>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/fields.h"
#include "cli/json_text.h"
#include "cli/usage.h"
#include "link/blocks.h"
#include "link/link.h"

namespace {

void printStatus(bool json) {
    const bool up = LinkState == LinkStateKind::Up;
    char version[16];
    formatVersion(ControllerGeneration, ControllerVariant, version, sizeof version);
    if (json) {
        JsonMembers m = {{"port", jsonQuoted(portLabel())}, {"link", up ? "\"up\"" : "\"down\""}};
        if (up)
            m.insert(m.end(), {{"generation", std::to_string(ControllerGeneration)},
                               {"variant", std::to_string(ControllerVariant)},
                               {"version", jsonQuoted(version)}});
        fputs(jsonObject(m).c_str(), stdout);
        return;
    }
    printf("port:       %s\n", portLabel().c_str());
    printf("link:       %s\n", up ? "up" : "down");
    if (!up) return;
    printf("generation: %d\n", ControllerGeneration);
    printf("variant:    %d\n", ControllerVariant);
    printf("version:    %s\n", version);
}

}  // namespace

int runStatus(const CliArgs& args) {
    if (!argumentCountOk(args, 0, 0, "status")) return ExitUsage;
    const int code = openController(args);
    // A port that didn't open has no link to report.
    if (code != ExitOk && code != ExitNoController && code != ExitWrongGeneration) return code;
    printStatus(hasOption(args, "--json"));
    closePort();
    return code;
}
