// Settings files (.zss version 1, .zs2 version 3): key tables, reading,
// checking and writing. Portable; the dialogs and message boxes live in
// shell/settings_file_win.cpp.
#ifndef ZUVELS_SHELL_SETTINGS_FILE_H
#define ZUVELS_SHELL_SETTINGS_FILE_H

#include <cstdint>
#include <cstdio>
#include <string>

enum { SettingsWordSize = 30 };  // slot of a key word: at most 29 characters

// The largest settings file read: a real one is about 600 bytes; this leaves
// room for any spacing and line ends, and still stops a stream of garbage.
const long long MaxSettingsFileBytes = 64 * 1024;

struct SettingsFormat {
    int version;             // 1 or 3
    const char* filterName;  // "ZuvelS settings (*.zss)"
    const char* filterPattern;
    const char* defaultExt;
    int keyCount;  // 27 or 33
};
const SettingsFormat& settingsFormatFor(int controllerGeneration);

// Fills the two key tables (start-up).
void fillSettingsKeyTables();

enum class LoadCheck { Ok, CannotOpen, WrongFormat };
struct LoadedSettings {
    int keyCount;
    uint8_t values[33];
    uint8_t addresses[33];  // address per key; the "NULL=" key is never sent
    int sendCount;          // how many of them are sent (27 or 32)
    // WrongFormat: where the file first departs from the format, the word
    // index of the key table (0..2 the header, 3 + k key k), and whether it
    // was the key's value rather than the key.
    int wrongWord;
    bool wrongValue;
    // Ok: bytes after the last key's value, from the first one that isn't
    // blank to the end of the file (at most MaxSettingsFileBytes are
    // counted). The format ignores them; lpgctl warns of them.
    long trailingBytes;
};
// Reads and checks a file against the format; nothing is sent. The file
// must be a regular one of at most MaxSettingsFileBytes: CannotOpen
// otherwise, with "path: reason" in *error when given.
LoadCheck readSettingsFile(const char* path, const SettingsFormat& fmt, LoadedSettings* out,
                           std::string* error = nullptr);
// The same on a stream already open (never CannotOpen).
LoadCheck readSettingsStream(FILE* f, const SettingsFormat& fmt, LoadedSettings* out);

// Sends a checked file with writeParameter; stops at the first write the
// link doesn't count as confirmed (lastWriteConfirmed: no full reply, or on
// generation 3 a reply that doesn't echo the value). Returns the number of
// confirmed writes.
int sendSettings(const LoadedSettings& s);
// The same, calling sent (when not null) after each confirmed write with its
// index among the keys; when it returns false the sending
// stops there (Ctrl+C between two writes, never in the middle of one).
int sendSettingsReporting(const LoadedSettings& s, bool (*sent)(int index, void* context),
                          void* context);

// The values a file of format fmt would hold, from the block stores.
void settingsFromStores(const SettingsFormat& fmt, LoadedSettings* out);

// Polls the status, then reads the blocks the format needs; false when the
// link isn't Up, the controller is not of the format's generation, or any of
// those reads didn't bring a valid reply (nothing is then written).
bool refreshBlocksForSave(const SettingsFormat& fmt);
// Writes the file from the block stores, through a temporary file in the same
// folder that then replaces the target (writeFileReplacing in
// shell/text_file.h). False when it can't be written, with "path: reason"
// in *error when given.
bool writeSettingsFile(const char* path, const SettingsFormat& fmt, std::string* error = nullptr);
// The same text to an open stream (lpgctl save -); false when a write failed.
bool writeSettingsStream(FILE* f, const SettingsFormat& fmt);

// The two menu commands without their dialogs and boxes.
enum class LoadResult { Sent, CannotOpen, WrongFormat, WriteFailed };
// Reads, checks and sends a file; *sent (may be null) gets the number of
// writes that got a full reply.
LoadResult loadSettingsFrom(const char* path, const SettingsFormat& fmt, int* sent);
enum class SaveResult { Saved, Refused, CannotWrite };
// Refused: the link isn't up or a block read failed; the target is untouched.
// CannotWrite: "path: reason" in *error when given.
SaveResult saveSettingsTo(const char* path, const SettingsFormat& fmt,
                          std::string* error = nullptr);

// Header word i (0..2) or key i (3..) of the format's key table.
const char* settingsKeyWord(const SettingsFormat& fmt, int index);

#endif
