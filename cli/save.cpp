// lpgctl save FILE: the settings file the window's "Save As..." writes for
// the same controller, through the same writer.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/usage.h"
#include "link/link.h"
#include "shell/settings_file.h"

int runSave(const CliArgs& args) {
    if (!argumentCountOk(args, 1, 1, "save")) return ExitUsage;
    const char* path = args.argv[0];
    int code = openController(args);
    if (code != ExitOk) return code;
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    errno = 0;
    switch (saveSettingsTo(path, fmt)) {
    case SaveResult::Saved:
        printf("saved the settings of the generation-%d controller on %s to %s\n",
               ControllerGeneration, portLabel().c_str(), path);
        break;
    case SaveResult::Refused:
        code = fail(ExitNoController,
                    "the controller on %s didn't answer every block read; %s is untouched",
                    portLabel().c_str(), path);
        break;
    case SaveResult::CannotWrite:
        code = fail(ExitFailed, "can't write %s: %s", path,
                    errno ? strerror(errno) : "the file couldn't be replaced");
        break;
    }
    closePort();
    return code;
}
