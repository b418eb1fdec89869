#include "cli/connect.h"

#include <cstring>

#include "cli/errors.h"
#include "cli/platform.h"
#include "link/link.h"
#include "shell/settings_file.h"
#include "shell/start_options.h"

namespace {

// The link closes the port after three missed status replies; lpgctl gives
// the controller as many chances before it says nobody answers.
const int StatusTries = 3;

std::string label;
std::string openPath;

bool startsWith(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

// The port opened once and closed again, so that a failure can be told
// apart while the system still knows why; the link then opens it for good.
int probeOpen(const PortSpec& spec) {
    PortId h = LinkPort->open(openPath.c_str());
    if (h != InvalidPort) {
        LinkPort->close(h);
        return ExitOk;
    }
    if (spec.kind != PortKind::Device)
        return fail(ExitNoSuchPort, "%s can't be opened", label.c_str());
    std::string reason;
    switch (lastOpenFailure(&reason)) {
    case OpenFailure::NoSuchPort: return fail(ExitNoSuchPort, "no such port: %s", label.c_str());
    case OpenFailure::Permission:
        return fail(ExitPermission, "permission denied on %s%s", label.c_str(), permissionHint());
    case OpenFailure::Busy:
        return fail(ExitPortBusy, "%s is busy: another program has it open", label.c_str());
    case OpenFailure::Other: break;
    }
    return fail(ExitNoSuchPort, "%s can't be opened: %s", label.c_str(), reason.c_str());
}

}  // namespace

bool parsePortSpec(const char* text, PortSpec* spec, std::string* error) {
    *spec = PortSpec();
    if (strcmp(text, "demo") == 0 || strcmp(text, "demo:3") == 0 || strcmp(text, "demo:1") == 0) {
        spec->kind = PortKind::Demo;
        spec->generation = strcmp(text, "demo:1") == 0 ? 1 : 3;
        spec->path = "demo";
        return true;
    }
    if (startsWith(text, "demo:")) {
        *error = "demo takes generation 1 or 3: demo, demo:1 or demo:3";
        return false;
    }
    if (startsWith(text, "replay:")) {
        spec->kind = PortKind::Replay;
        spec->path = text + strlen("replay:");
        if (spec->path.empty()) *error = "replay: needs a recording, as in replay:drive.txt";
        return !spec->path.empty();
    }
    if (*text == '\0') {
        *error = "--port needs a port: a device path, COMn, demo, demo:1 or replay:FILE";
        return false;
    }
    return devicePathFor(text, &spec->path, &spec->number, error);
}

int useBackend(const PortSpec& spec) {
    switch (spec.kind) {
    case PortKind::Demo: useDemoBackend(spec.generation); break;
    case PortKind::Replay: {
        std::string error;
        if (!useReplayBackend(spec.path, &error)) return fail(ExitBadFile, "%s", error.c_str());
        break;
    }
    case PortKind::Device: LinkPort = devicePortOps(); break;
    }
    openPath = spec.path;
    selectPort(openPath.c_str(), spec.number);
    return ExitOk;
}

int openPortOf(const CliArgs& args) {
    PortSpec spec;
    std::string error;
    const bool named =
        args.port ? parsePortSpec(args.port, &spec, &error) : defaultPortSpec(&spec, &error);
    if (!named) return fail(ExitUsage, "%s", error.c_str());
    label = args.port         ? args.port
            : spec.number > 0 ? "COM" + std::to_string(spec.number)
                              : spec.path;
    const int code = useBackend(spec);
    return code != ExitOk ? code : probeOpen(spec);
}

int openController(const CliArgs& args) {
    const int code = openPortOf(args);
    if (code != ExitOk) return code;
    for (int i = 0; i < StatusTries && LinkState != LinkStateKind::Up; ++i) {
        pollStatus();
        if (LinkFailed)
            return fail(ExitNoController,
                        "%s answers with what it is sent: a loop-back plug or a cable "
                        "without a controller",
                        label.c_str());
    }
    if (LinkState != LinkStateKind::Up)
        return fail(ExitNoController, "no controller answers on %s", label.c_str());
    const int generation = decodeIdentity();
    if (generation != 1 && generation != 3)
        return fail(ExitWrongGeneration,
                    "the controller on %s is of generation %d; lpgctl serves generations 1 and 3",
                    label.c_str(), generation);
    return ExitOk;
}

int readControllerBlocks() {
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    for (int i = 0; i < StatusTries; ++i) {
        if (refreshBlocksForSave(fmt)) return ExitOk;
        pollStatus();  // a garbled reply costs one try, as on the pages
    }
    return fail(ExitNoController, "the controller on %s stopped answering the block reads",
                label.c_str());
}

const std::string& portLabel() { return label; }
