#include "cli/settings_files.h"

#include <string>

#include "cli/errors.h"

namespace {

enum { HeaderWords = 3 };

int cannotOpen(const std::string& reason) {
    return fail(ExitBadFile, "can't open %s", reason.c_str());
}

// The format reads up to the last key; anything after it is ignored, as
// the window ignores it, but a file with more in it may not be the one
// meant.
int accepted(const char* path, const LoadedSettings& read) {
    if (read.trailingBytes > 0)
        warn("%s: %ld bytes after the last key are ignored", path, read.trailingBytes);
    return ExitOk;
}

// Names where the file departs from the format.
int notOfFormat(const char* path, const SettingsFormat& fmt, const LoadedSettings& read) {
    const char* expected = settingsKeyWord(fmt, read.wrongWord);
    const int key = read.wrongWord - HeaderWords + 1;
    if (read.wrongWord < HeaderWords)
        return fail(ExitBadFile, "%s is not a version-%d settings file (.%s): %s is missing", path,
                    fmt.version, fmt.defaultExt, expected);
    if (read.wrongValue)
        return fail(ExitBadFile, "%s: the value of %s (key %d of %d) is not a number 0..255", path,
                    expected, key, fmt.keyCount);
    return fail(ExitBadFile, "%s: key %d of %d should be %s", path, key, fmt.keyCount, expected);
}

}  // namespace

int readSettingsForGeneration(const char* path, int generation, LoadedSettings* out) {
    const SettingsFormat& fmt = settingsFormatFor(generation);
    std::string reason;
    switch (readSettingsFile(path, fmt, out, &reason)) {
    case LoadCheck::Ok: return accepted(path, *out);
    case LoadCheck::CannotOpen: return cannotOpen(reason);
    case LoadCheck::WrongFormat: break;
    }
    const SettingsFormat& other = settingsFormatFor(fmt.version == 3 ? 1 : 3);
    LoadedSettings ignored;
    if (readSettingsFile(path, other, &ignored) == LoadCheck::Ok)
        return fail(ExitBadFile,
                    "%s is a version-%d settings file (.%s); a generation-%d controller takes "
                    "version %d (.%s)",
                    path, other.version, other.defaultExt, generation == 3 ? 3 : 1, fmt.version,
                    fmt.defaultExt);
    return notOfFormat(path, fmt, *out);
}

int readSettingsAnyFormat(const char* path, LoadedSettings* out, int* version) {
    const int versions[] = {3, 1};
    for (int v : versions) {
        const SettingsFormat& fmt = settingsFormatFor(v);
        std::string reason;
        switch (readSettingsFile(path, fmt, out, &reason)) {
        case LoadCheck::Ok: *version = v; return accepted(path, *out);
        case LoadCheck::CannotOpen: return cannotOpen(reason);
        case LoadCheck::WrongFormat: break;
        }
        // It starts as this format does (the first word differs between
        // the two): what follows is at fault.
        if (out->wrongWord >= 1) return notOfFormat(path, fmt, *out);
    }
    return fail(ExitBadFile, "%s is not a settings file: it starts with neither header", path);
}
