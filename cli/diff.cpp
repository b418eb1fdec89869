// lpgctl diff A B: two settings files, or a file and the controller ("-"),
// compared field by field in named fields with units; only what differs.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/fields.h"
#include "cli/json_text.h"
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

// One field that differs: the field and each side's own (nullptr: absent).
struct Difference {
    const Field* field;
    const Field* a;
    const Field* b;
};

std::vector<Difference> differences(const Side& a, const Side& b, const std::vector<Field>& fa,
                                    const std::vector<Field>& fb) {
    std::vector<Difference> out;
    for (const Field& f : fa)
        if (!find(fb, f) || rawBytes(a, f) != rawBytes(b, *find(fb, f)))
            out.push_back({&f, &f, find(fb, f)});
    for (const Field& f : fb)
        if (!find(fa, f)) out.push_back({&f, nullptr, &f});
    return out;
}

void printText(const Side& a, const Side& b, const std::vector<Difference>& list) {
    if (!list.empty())
        printf("%-38s %-24s %s\n", "", ("A: " + a.name).c_str(), ("B: " + b.name).c_str());
    for (const Difference& d : list) {
        // The bytes too where two different bytes read the same.
        const bool sameText = d.a && d.b && fieldValueWithUnit(*d.a) == fieldValueWithUnit(*d.b);
        printf("%-38s %-24s %s\n", d.field->label, shown(a, d.a, sameText).c_str(),
               shown(b, d.b, sameText).c_str());
    }
}

std::string jsonBytes(const Side& s, const Field* f) {
    if (!f) return "null";
    std::string raw = rawBytes(s, *f);
    for (size_t i = 0; (i = raw.find(' ', i)) != std::string::npos; i += 2) raw.replace(i, 1, ", ");
    return "[" + raw + "]";
}

void printJson(const Side& a, const Side& b, const std::vector<Difference>& list) {
    std::vector<std::string> items;
    for (const Difference& d : list)
        items.push_back(jsonInline({{"field", jsonQuoted(d.field->key)},
                                    {"a", d.a ? fieldJsonValue(*d.a) : "null"},
                                    {"b", d.b ? fieldJsonValue(*d.b) : "null"},
                                    {"a_bytes", jsonBytes(a, d.a)},
                                    {"b_bytes", jsonBytes(b, d.b)}}));
    fputs(jsonObject({{"a", jsonQuoted(a.name)},
                      {"b", jsonQuoted(b.name)},
                      {"equal", list.empty() ? "true" : "false"},
                      {"differences", jsonList(items)}})
              .c_str(),
          stdout);
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
    const std::vector<Field> fa = settingsFields(a), fb = settingsFields(b);
    const std::vector<Difference> list = differences(a, b, fa, fb);
    hasOption(args, "--json") ? printJson(a, b, list) : printText(a, b, list);
    return list.empty() ? ExitOk : ExitDiffer;
}
