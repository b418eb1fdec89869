#include "shell/settings_file.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "shell/text_file.h"

namespace {

enum {
    HeaderWords = 3,
    KeysV1 = 27,
    KeysV3 = 33,
    WordsV1 = HeaderWords + KeysV1,
    WordsV3 = HeaderWords + KeysV3
};

const SettingsFormat FormatV1 = {1, "ZuvelS settings (*.zss)", "*.zss", "zss", KeysV1};
const SettingsFormat FormatV3 = {3, "ZuvelS settings (*.zs2)", "*.zs2", "zs2", KeysV3};

const char* const HeaderOfV1[HeaderWords] = {"[Zuvel_S]", "Version=1.2", "[Configuration]"};
const char* const HeaderOfV3[HeaderWords] = {"[Zuvel_S2]", "Version=3", "[Configuration]"};

// The parameter keys come from the parameter table; version 3 ends with one
// more, written as 0 and never sent.
const char* const TrailingKeyV3 = "NULL=";

char keyTableV1[WordsV1][SettingsWordSize];
char keyTableV3[WordsV3][SettingsWordSize];
bool keyTablesFilled = false;

char (*keyTableOf(const SettingsFormat& fmt))[SettingsWordSize] {
    if (!keyTablesFilled) fillSettingsKeyTables();
    return fmt.version == 3 ? keyTableV3 : keyTableV1;
}

// A key's value: a decimal number 0..255. Anything else (sign aside) makes
// the file unusable rather than sending a clipped byte.
bool parseValue(const char* word, uint8_t* value) {
    const char* p = word;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (*p == '\0') return false;
    long v = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
        if (v > 255) return false;
    }
    if (negative && v != 0) return false;
    *value = static_cast<uint8_t>(v);
    return true;
}

// Reads one word into a slot of cap characters; false when there is none,
// when it doesn't fit, or when it holds a zero byte (which would end it
// early as a string and let "20<zero>5" pass for "20").
bool readWholeWord(FILE* f, char* word, size_t cap) {
    const long length = readWord(f, word, cap);
    return length >= 0 && static_cast<size_t>(length) < cap &&
           strlen(word) == static_cast<size_t>(length);
}

// Reads one word that must equal expected.
bool readExpectedWord(FILE* f, const char* expected) {
    char word[SettingsWordSize];
    return readWholeWord(f, word, sizeof word) && strcmp(word, expected) == 0;
}

LoadCheck wrongAt(LoadedSettings* out, int word, bool value) {
    out->wrongWord = word;
    out->wrongValue = value;
    return LoadCheck::WrongFormat;
}

// What is left after the last value: blanks, then the bytes counted.
long countTrailingBytes(FILE* f) {
    int c;
    do {
        c = getc(f);
    } while (c != EOF && isspace(c));
    long count = 0;
    for (; c != EOF && count < MaxSettingsFileBytes; c = getc(f)) ++count;
    return count;
}

LoadCheck readChecked(FILE* f, const SettingsFormat& fmt, LoadedSettings* out) {
    char(*table)[SettingsWordSize] = keyTableOf(fmt);
    for (int i = 0; i < HeaderWords; ++i)
        if (!readExpectedWord(f, table[i])) return wrongAt(out, i, false);
    for (int k = 0; k < fmt.keyCount; ++k) {
        if (!readExpectedWord(f, table[HeaderWords + k]))
            return wrongAt(out, HeaderWords + k, false);
        char word[16];
        if (!readWholeWord(f, word, sizeof word) || !parseValue(word, &out->values[k]))
            return wrongAt(out, HeaderWords + k, true);
        const Parameter* row = settingsParameter(fmt.version, k);
        out->addresses[k] = row ? row->address : 0;
    }
    return LoadCheck::Ok;
}

}  // namespace

const SettingsFormat& settingsFormatFor(int controllerGeneration) {
    return controllerGeneration == 3 ? FormatV3 : FormatV1;
}

namespace {

void fillKeyTable(char (*table)[SettingsWordSize], const SettingsFormat& fmt,
                  const char* const* header) {
    for (int i = 0; i < HeaderWords; ++i) snprintf(table[i], SettingsWordSize, "%s", header[i]);
    for (int k = 0; k < fmt.keyCount; ++k) {
        const Parameter* row = settingsParameter(fmt.version, k);
        snprintf(table[HeaderWords + k], SettingsWordSize, "%s",
                 row ? row->settingsKey : TrailingKeyV3);
    }
}

}  // namespace

void fillSettingsKeyTables() {
    fillKeyTable(keyTableV1, FormatV1, HeaderOfV1);
    fillKeyTable(keyTableV3, FormatV3, HeaderOfV3);
    keyTablesFilled = true;
}

const char* settingsKeyWord(const SettingsFormat& fmt, int index) {
    const int words = HeaderWords + fmt.keyCount;
    if (index < 0 || index >= words) return "";
    return keyTableOf(fmt)[index];
}

LoadCheck readSettingsStream(FILE* f, const SettingsFormat& fmt, LoadedSettings* out) {
    // Every load starts from an empty list, so nothing of an earlier file
    // can stand in for a value this one lacks.
    memset(out, 0, sizeof *out);
    LoadedSettings read;
    memset(&read, 0, sizeof read);
    LoadCheck check = readChecked(f, fmt, &read);
    if (check != LoadCheck::Ok) {
        out->wrongWord = read.wrongWord;
        out->wrongValue = read.wrongValue;
        return check;
    }
    read.keyCount = fmt.keyCount;
    read.sendCount = settingsParameterCount(fmt.version);
    read.trailingBytes = countTrailingBytes(f);
    *out = read;
    return LoadCheck::Ok;
}

LoadCheck readSettingsFile(const char* path, const SettingsFormat& fmt, LoadedSettings* out,
                           std::string* error) {
    memset(out, 0, sizeof *out);
    std::string reason;
    FILE* f = openInputTextFile(path, MaxSettingsFileBytes, &reason);
    if (!f) {
        if (error) *error = reason;
        return LoadCheck::CannotOpen;
    }
    LoadCheck check = readSettingsStream(f, fmt, out);
    fclose(f);
    return check;
}

int sendSettings(const LoadedSettings& s) { return sendSettingsReporting(s, nullptr, nullptr); }

int sendSettingsReporting(const LoadedSettings& s, bool (*sent)(int index, void* context),
                          void* context) {
    for (int i = 0; i < s.sendCount; ++i) {
        // A write refused for a generation the link doesn't serve counts 0.
        writeParameter(s.addresses[i], s.values[i]);
        if (!lastWriteConfirmed(s.values[i])) return i;
        if (sent && !sent(i, context)) return i + 1;
    }
    return s.sendCount;
}

void settingsFromStores(const SettingsFormat& fmt, LoadedSettings* out) {
    memset(out, 0, sizeof *out);
    out->keyCount = fmt.keyCount;
    out->sendCount = settingsParameterCount(fmt.version);
    for (int k = 0; k < out->sendCount; ++k) {
        const Parameter& row = *settingsParameter(fmt.version, k);
        out->addresses[k] = row.address;
        out->values[k] = readField(parameterByte(row, fmt.version));
    }
}

bool refreshBlocksForSave(const SettingsFormat& fmt) {
    // The status first, as a tick does: a save made from a page that doesn't
    // poll would otherwise meet the quiet flag the last polling page left.
    pollStatus();
    if (LinkState != LinkStateKind::Up) return false;
    // Another controller behind the same port: the format chosen is not its.
    if (settingsFormatFor(ControllerGeneration).version != fmt.version) return false;
    void (*const reads[])() = {readLiveBlock, readConfigABlock, readConfigBBlock,
                               readExtendedBlock};
    const int count = fmt.version == 3 ? 4 : 3;
    for (int i = 0; i < count; ++i) {
        reads[i]();
        if (!LastBlockReadValid) return false;
    }
    return true;
}

namespace {

// The header words, then every key with its value from the block stores.
bool writeSettingsWords(FILE* f, const void* context) {
    const SettingsFormat& fmt = *static_cast<const SettingsFormat*>(context);
    char(*table)[SettingsWordSize] = keyTableOf(fmt);
    LoadedSettings values;
    settingsFromStores(fmt, &values);
    bool ok = true;
    for (int i = 0; i < HeaderWords; ++i) ok = ok && fprintf(f, "%s\n", table[i]) >= 0;
    // "NULL=", past the sent keys, is held 0.
    for (int k = 0; k < fmt.keyCount; ++k)
        ok = ok && fprintf(f, "%s %d\n", table[HeaderWords + k], values.values[k]) >= 0;
    return ok;
}

}  // namespace

bool writeSettingsStream(FILE* f, const SettingsFormat& fmt) { return writeSettingsWords(f, &fmt); }

bool writeSettingsFile(const char* path, const SettingsFormat& fmt, std::string* error) {
    // The target is replaced only by a complete file.
    return writeFileReplacing(path, writeSettingsWords, &fmt, error);
}

LoadResult loadSettingsFrom(const char* path, const SettingsFormat& fmt, int* sent) {
    if (sent) *sent = 0;
    LoadedSettings s;
    switch (readSettingsFile(path, fmt, &s)) {
    case LoadCheck::CannotOpen: return LoadResult::CannotOpen;
    case LoadCheck::WrongFormat: return LoadResult::WrongFormat;
    case LoadCheck::Ok: break;
    }
    int done = sendSettings(s);
    if (sent) *sent = done;
    return done == s.sendCount ? LoadResult::Sent : LoadResult::WriteFailed;
}

SaveResult saveSettingsTo(const char* path, const SettingsFormat& fmt, std::string* error) {
    // Fresh blocks first: a dead link must not turn a good file into zeros.
    if (!refreshBlocksForSave(fmt)) return SaveResult::Refused;
    return writeSettingsFile(path, fmt, error) ? SaveResult::Saved : SaveResult::CannotWrite;
}
