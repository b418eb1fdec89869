// lpgctl scan [PORT...]: the window's port search, one port after the other
// until a controller answers, over the given ports, the --port one, or the
// ports the system reports.
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/fields.h"
#include "cli/json_text.h"
#include "cli/platform.h"
#include "cli/usage.h"
#include "link/blocks.h"
#include "link/port_search.h"

namespace {

std::vector<std::string> candidates(const CliArgs& args) {
    std::vector<std::string> names;
    for (int i = 0; i < args.argc; ++i) names.push_back(args.argv[i]);
    // LPGCTL_PORT is a default for the commands that use one port; a search
    // without names goes over every port.
    if (names.empty() && args.port && !args.portFromEnvironment) names.push_back(args.port);
    if (names.empty())
        for (const SystemPort& p : systemPorts()) names.push_back(p.name);
    return names;
}

// What the search found on one port.
struct PortResult {
    std::string name;
    const char* result = "no controller";  // "controller", "refused", "no controller"
    std::string reason;                    // refused: why
    bool noPortName = false;               // refused as no port name at all: an error line
    int generation = 0, variant = 0;
    char version[16] = "";
};

// Tries name; a refused name gets its reason.
PortResult tryPort(const std::string& name) {
    PortResult r;
    r.name = name;
    PortChoice choice;
    if (!parsePortChoice(name.c_str(), &choice, &r.reason))
        return r.result = "refused", r.noPortName = true, r;
    if (useBackend(choice) != ExitOk) return r.result = "refused", r;
    if (choice.name.scheme == PortScheme::Serial && searchRefusal(name, choice.path, &r.reason))
        return r.result = "refused", r;
    StatusBlock status;
    if (!controllerAnswersAt(choice.path.c_str(), blockBytes(status))) return r;
    r.result = "controller";
    r.generation = generationOf(status.identity);
    r.variant = variantOf(status.identity);
    formatVersion(r.generation, r.variant, r.version, sizeof r.version);
    return r;
}

void printLine(const PortResult& r) {
    if (r.noPortName)
        fprintf(stderr, "lpgctl: %s\n", r.reason.c_str());
    else if (strcmp(r.result, "controller") == 0)
        printf("%-16s controller of generation %d, version %s\n", r.name.c_str(), r.generation,
               r.version);
    else if (strcmp(r.result, "refused") == 0 && !r.reason.empty())
        printf("%s\n", r.reason.c_str());
    else if (strcmp(r.result, "no controller") == 0)
        printf("%-16s no controller\n", r.name.c_str());
    fflush(stdout);
}

std::string jsonOf(const PortResult& r) {
    JsonMembers m = {{"port", jsonQuoted(r.name)}, {"result", jsonQuoted(r.result)}};
    if (!r.reason.empty()) m.push_back({"reason", jsonQuoted(r.reason)});
    if (strcmp(r.result, "controller") == 0)
        m.insert(m.end(), {{"generation", std::to_string(r.generation)},
                           {"variant", std::to_string(r.variant)},
                           {"version", jsonQuoted(r.version)}});
    return jsonInline(m);
}

}  // namespace

int runScan(const CliArgs& args) {
    const std::vector<std::string> names = candidates(args);
    if (names.empty()) return fail(ExitNoSuchPort, "the system reports no serial ports to search");
    const bool json = hasOption(args, "--json");
    std::vector<std::string> items;
    const char* found = nullptr;
    for (const std::string& name : names) {
        const PortResult r = tryPort(name);
        json ? items.push_back(jsonOf(r)) : printLine(r);
        if (strcmp(r.result, "controller") == 0) {
            found = name.c_str();
            break;
        }
    }
    if (json)
        fputs(jsonObject(
                  {{"found", found ? jsonQuoted(found) : "null"}, {"searched", jsonList(items)}})
                  .c_str(),
              stdout);
    if (found) return ExitOk;
    return fail(ExitNoController, "no controller answers on any of the %d ports searched",
                static_cast<int>(names.size()));
}
