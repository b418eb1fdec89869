// The block stores decoded into named fields with units, for dump and diff.
// The JSON names (block.key) are documented in docs/lpgctl.md and never change.
#ifndef ZUVELS_CLI_FIELDS_H
#define ZUVELS_CLI_FIELDS_H

#include <cstdint>
#include <string>
#include <vector>

#include "link/blocks.h"

// A copy of the five blocks, from the stores or built from a settings file.
struct BlockValues {
    StatusBlock status;
    LiveBlock live;
    ConfigABlock configA;
    ConfigBBlock configB;
    ExtendedBlock extended;
    BlockSet set();
};

enum class FieldKind { Number, Flag, Text };

struct Field {
    const char* block;  // "live", "config_a", ...
    const char* key;    // "engine_speed_rpm"
    const char* label;  // "engine speed"
    const char* unit;   // "rpm", "" for none
    FieldKind kind;
    double number;  // Number: the value; Flag: 0 or 1
    int decimals;   // Number: digits after the point
    std::string text;
    // The block bytes the value comes from, for telling which fields a
    // settings file holds.
    FieldRef sources[2];
    int sourceCount;
};

// Every field of the blocks for a controller of generation (block 5 only
// for generation 3).
std::vector<Field> decodeBlocks(const BlockValues& b, int generation);

// The value as shown: "1500", "0.45", "yes", "ABC123".
std::string fieldValueText(const Field& f);
// The value with its unit: "1500 rpm".
std::string fieldValueWithUnit(const Field& f);
// The value as JSON: 1500, 0.45, true, "ABC123".
std::string fieldJsonValue(const Field& f);

// A JSON string: quoted, UTF-8 kept as it is, quotes, backslashes and
// control characters escaped; each byte that isn't part of well-formed
// UTF-8 becomes U+FFFD.
std::string jsonQuoted(const std::string& s);

// The program's stores, copied.
BlockValues storedBlocks();

#endif
