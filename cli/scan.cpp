// lpgctl scan [PORT...]: the window's port search, one port after the other
// until a controller answers, over the given ports, the --port one, or the
// ports the system reports.
#include <cstdio>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/platform.h"
#include "cli/usage.h"
#include "link/blocks.h"
#include "link/port_search.h"

namespace {

std::vector<std::string> candidates(const CliArgs& args) {
    std::vector<std::string> names;
    for (int i = 0; i < args.argc; ++i) names.push_back(args.argv[i]);
    if (names.empty() && args.port) names.push_back(args.port);
    if (names.empty())
        for (const SystemPort& p : systemPorts()) names.push_back(p.name);
    return names;
}

// True when a controller answered on name; a line about the port either way.
bool tryPort(const std::string& name) {
    PortChoice choice;
    std::string error;
    if (!parsePortChoice(name.c_str(), &choice, &error)) {
        fprintf(stderr, "lpgctl: %s\n", error.c_str());
        return false;
    }
    if (useBackend(choice) != ExitOk) return false;
    std::string refusal;
    if (choice.kind == PortKind::Device && searchRefusal(name, choice.path, &refusal)) {
        printf("%s\n", refusal.c_str());
        return false;
    }
    StatusBlock status;
    if (!controllerAnswersAt(choice.path.c_str(), blockBytes(status))) {
        printf("%-16s no controller\n", name.c_str());
        return false;
    }
    char version[16];
    const int generation = generationOf(status.identity);
    const int variant = variantOf(status.identity);
    formatVersion(generation, variant, version, sizeof version);
    printf("%-16s controller of generation %d, version %s\n", name.c_str(), generation, version);
    return true;
}

}  // namespace

int runScan(const CliArgs& args) {
    const std::vector<std::string> names = candidates(args);
    if (names.empty()) return fail(ExitNoSuchPort, "the system reports no serial ports to search");
    for (const std::string& name : names) {
        if (tryPort(name)) return ExitOk;
        fflush(stdout);
    }
    return fail(ExitNoController, "no controller answers on any of the %d ports searched",
                static_cast<int>(names.size()));
}
