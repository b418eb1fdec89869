// lpgctl save FILE: the settings file the window's "Save As..." writes for
// the same controller, through the same writer.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/usage.h"
#include "cli/verbosity.h"
#include "link/link.h"
#include "shell/settings_file.h"
#include "shell/text_file.h"

namespace {

// save -: the file's text on standard output, once every block was read.
int saveToStandardOutput() {
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    int code = readControllerBlocks();
    // A failed write is named by finishStandardOutput, with its reason.
    if (code == ExitOk) writeSettingsStream(stdout, fmt);
    closePort();
    return code;
}

}  // namespace

int runSave(const CliArgs& args) {
    if (!argumentCountOk(args, 1, 1, "save")) return ExitUsage;
    const char* path = args.argv[0];
    // The port first: a wrong one is named before anything about the file.
    int code = openController(args);
    if (code != ExitOk) return code;
    if (strcmp(path, "-") == 0) return saveToStandardOutput();
    // The path before the blocks are read: a file that can't be written
    // costs no reads and is named with its reason.
    std::string error;
    if (!checkOutputPath(path, &error)) {
        closePort();
        return fail(ExitOutputFailed, "can't write %s", error.c_str());
    }
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    switch (saveSettingsTo(path, fmt, &error)) {
    case SaveResult::Saved:
        if (!quiet())
            printf("saved the settings of the generation-%d controller on %s to %s\n",
                   ControllerGeneration, portLabel().c_str(), path);
        break;
    case SaveResult::Refused:
        code = fail(ExitNoController,
                    "the controller on %s didn't answer every block read; %s is untouched",
                    portLabel().c_str(), path);
        break;
    case SaveResult::CannotWrite:
        code = fail(ExitOutputFailed, "can't write %s", error.c_str());
        break;
    }
    closePort();
    return code;
}
