// lpgctl ports: the serial ports the system reports (the registry on
// Windows; /dev/ttyS*, ttyUSB*, ttyACM* on Linux with the adapter's name).
#include <cstdio>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/fields.h"
#include "cli/json_text.h"
#include "cli/platform.h"
#include "cli/verbosity.h"
#include "cli/usage.h"

int runPorts(const CliArgs& args) {
    if (!argumentCountOk(args, 0, 0, "ports")) return ExitUsage;
    const std::vector<SystemPort> ports = systemPorts();
    if (hasOption(args, "--json")) {
        std::vector<std::string> items;
        for (const SystemPort& p : ports)
            items.push_back(jsonInline(
                {{"name", jsonQuoted(p.name)}, {"description", jsonQuoted(p.description)}}));
        fputs(jsonObject({{"ports", jsonList(items)}}).c_str(), stdout);
        return ExitOk;
    }
    for (const SystemPort& p : ports) {
        if (p.description.empty())
            printf("%s\n", p.name.c_str());
        else
            printf("%-16s %s\n", p.name.c_str(), p.description.c_str());
    }
    if (ports.empty() && !quiet()) fprintf(stderr, "lpgctl: the system reports no serial ports\n");
    return ExitOk;
}
