// lpgctl diff A B: two settings files, or a file and the controller ("-"),
// compared field by field in named fields with units; only what differs.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/fields.h"
#include "cli/settings_files.h"
#include "cli/usage.h"
#include "link/link.h"
#include "link/parameters.h"

namespace {

enum { BlockCount = 5, LongestBlock = 21 };

// One side of the comparison: a settings file's values put where the
// controller keeps them, and which bytes they cover.
struct Side {
    std::string name;
    int version = 1;
    BlockValues blocks;
    bool covered[BlockCount][LongestBlock];
};

void placeValues(const LoadedSettings& values, Side* side) {
    memset(&side->blocks, 0, sizeof side->blocks);
    memset(side->covered, 0, sizeof side->covered);
    const BlockSet set = side->blocks.set();
    for (int k = 0; k < values.sendCount; ++k) {
        const FieldRef r = fieldForAddress(values.addresses[k], side->version);
        uint8_t* byte = fieldByte(r, set);
        if (!byte) continue;
        *byte = values.values[k];
        side->covered[static_cast<int>(r.block)][r.offset] = true;
    }
}

int readController(const CliArgs& args, Side* side) {
    int code = openController(args);
    if (code == ExitOk) code = readControllerBlocks();
    if (code != ExitOk) return code;
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    LoadedSettings values;
    settingsFromStores(fmt, &values);
    side->version = fmt.version;
    side->name = "controller on " + portLabel();
    placeValues(values, side);
    closePort();
    return ExitOk;
}

int readSide(const CliArgs& args, const char* what, Side* side) {
    if (strcmp(what, "-") == 0) return readController(args, side);
    LoadedSettings values;
    const int code = readSettingsAnyFormat(what, &values, &side->version);
    if (code != ExitOk) return code;
    side->name = what;
    placeValues(values, side);
    return ExitOk;
}

bool coveredBy(const Side& s, const Field& f) {
    for (int i = 0; i < f.sourceCount; ++i)
        if (!s.covered[static_cast<int>(f.sources[i].block)][f.sources[i].offset]) return false;
    return true;
}

// The settings fields of a side. They are matched by JSON name alone, so
// that the corrections of a version-1 and a version-3 file meet although
// they live in different blocks.
std::vector<Field> settingsFields(const Side& s) {
    std::vector<Field> out;
    for (const Field& f : decodeBlocks(s.blocks, s.version))
        if (coveredBy(s, f)) out.push_back(f);
    return out;
}

const Field* find(const std::vector<Field>& fields, const Field& like) {
    for (const Field& f : fields)
        if (strcmp(f.key, like.key) == 0) return &f;
    return nullptr;
}

std::string rawBytes(const Side& s, const Field& f) {
    BlockValues copy = s.blocks;
    const BlockSet set = copy.set();
    std::string raw;
    for (int i = 0; i < f.sourceCount; ++i)
        raw += (i ? " " : "") + std::to_string(*fieldByte(f.sources[i], set));
    return raw;
}

// What a side shows for a field: its value, with the bytes when two
// different byte values read the same (periods rounded to 50 rpm).
std::string shown(const Side& s, const Field* f, bool withRaw) {
    if (!f) return "(absent)";
    const std::string v = fieldValueWithUnit(*f);
    return withRaw ? v + " [bytes " + rawBytes(s, *f) + "]" : v;
}

int printDifferences(const Side& a, const Side& b) {
    const std::vector<Field> fa = settingsFields(a), fb = settingsFields(b);
    int differences = 0;
    auto report = [&](const Field& f, const Field* x, const Field* y) {
        const bool sameBytes = x && y && rawBytes(a, *x) == rawBytes(b, *y);
        if (sameBytes) return;
        const bool sameText = x && y && fieldValueWithUnit(*x) == fieldValueWithUnit(*y);
        if (differences++ == 0)
            printf("%-38s %-24s %s\n", "", ("A: " + a.name).c_str(), ("B: " + b.name).c_str());
        printf("%-38s %-24s %s\n", f.label, shown(a, x, sameText).c_str(),
               shown(b, y, sameText).c_str());
    };
    for (const Field& f : fa) report(f, &f, find(fb, f));
    for (const Field& f : fb)
        if (!find(fa, f)) report(f, nullptr, &f);
    return differences;
}

}  // namespace

int runDiff(const CliArgs& args) {
    if (!argumentCountOk(args, 2, 2, "diff")) return ExitUsage;
    if (strcmp(args.argv[0], "-") == 0 && strcmp(args.argv[1], "-") == 0)
        return fail(ExitUsage, "diff compares with the controller (-) on one side only");
    Side a, b;
    int code = readSide(args, args.argv[0], &a);
    if (code == ExitOk) code = readSide(args, args.argv[1], &b);
    if (code != ExitOk) return code;
    return printDifferences(a, b) == 0 ? ExitOk : ExitDiffer;
}
