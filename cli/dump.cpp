// lpgctl dump [--json]: every block decoded into named fields with units.
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/fields.h"
#include "cli/usage.h"
#include "link/link.h"

namespace {

const char* const BlockTitles[][2] = {
    {"status", "status (block 1)"},          {"live", "readings (block 2)"},
    {"config_a", "configuration (block 3)"}, {"config_b", "configuration (block 4)"},
    {"extended", "service data (block 5)"},
};

const char* titleOf(const char* block) {
    for (const auto& t : BlockTitles)
        if (strcmp(t[0], block) == 0) return t[1];
    return block;
}

void printText(const std::vector<Field>& fields) {
    const char* block = "";
    for (const Field& f : fields) {
        if (strcmp(f.block, block) != 0) {
            block = f.block;
            printf("%s%s\n", &f == &fields[0] ? "" : "\n", titleOf(block));
        }
        printf("  %-38s %s\n", f.label, fieldValueWithUnit(f).c_str());
    }
}

void printJson(const std::vector<Field>& fields) {
    printf("{\n  \"port\": %s", jsonQuoted(portLabel()).c_str());
    const char* block = "";
    for (const Field& f : fields) {
        const bool first = strcmp(f.block, block) != 0;
        if (first)
            printf("%s,\n  \"%s\": {\n", *block ? "\n  }" : "", f.block);
        else
            printf(",\n");
        block = f.block;
        printf("    \"%s\": %s", f.key, fieldJsonValue(f).c_str());
    }
    printf("%s\n}\n", *block ? "\n  }" : "");
}

}  // namespace

int runDump(const CliArgs& args) {
    if (!argumentCountOk(args, 0, 0, "dump")) return ExitUsage;
    const bool json = hasOption(args, "--json");
    int code = openController(args);
    if (code == ExitOk) code = readControllerBlocks();
    if (code == ExitOk) {
        const std::vector<Field> fields = decodeBlocks(storedBlocks(), ControllerGeneration);
        json ? printJson(fields) : printText(fields);
    }
    closePort();
    return code;
}
