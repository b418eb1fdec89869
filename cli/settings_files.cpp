#include "cli/settings_files.h"

#include <cerrno>
#include <cstring>

#include "cli/errors.h"

namespace {

int cannotOpen(const char* path) {
    return fail(ExitBadFile, "can't open %s: %s", path, strerror(errno));
}

}  // namespace

int readSettingsForGeneration(const char* path, int generation, LoadedSettings* out) {
    const SettingsFormat& fmt = settingsFormatFor(generation);
    errno = 0;
    switch (readSettingsFile(path, fmt, out)) {
    case LoadCheck::Ok: return ExitOk;
    case LoadCheck::CannotOpen: return cannotOpen(path);
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
    return fail(ExitBadFile, "%s is not a version-%d settings file (.%s): a key or value is wrong",
                path, fmt.version, fmt.defaultExt);
}

int readSettingsAnyFormat(const char* path, LoadedSettings* out, int* version) {
    const int versions[] = {3, 1};
    for (int v : versions) {
        errno = 0;
        switch (readSettingsFile(path, settingsFormatFor(v), out)) {
        case LoadCheck::Ok: *version = v; return ExitOk;
        case LoadCheck::CannotOpen: return cannotOpen(path);
        case LoadCheck::WrongFormat: break;
        }
    }
    return fail(ExitBadFile, "%s is not a settings file: a key or value is wrong", path);
}
