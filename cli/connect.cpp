#include "cli/connect.h"

#include <cstring>

#include "cli/errors.h"
#include "cli/platform.h"
#include "link/link.h"
#include "link/port_backends.h"
#include "link/port_grammar.h"
#include "link/port_net.h"
#include "shell/settings_file.h"
#include "shell/start_options.h"

namespace {

// The link closes the port after three missed status replies; lpgctl gives
// the controller as many chances before it says nobody answers.
const int StatusTries = 3;

std::string label;
std::string openPath;

// A device that answered its open with a refusal: the line and exit code
// for it, without the "lpgctl: " lead.
int openFailureOf(const std::string& name, std::string* message) {
    std::string reason;
    switch (lastOpenFailure(&reason)) {
    case OpenFailure::NoSuchPort: *message = "no such port: " + name; return ExitNoSuchPort;
    case OpenFailure::Permission:
        *message = "permission denied on " + name + permissionHint();
        return ExitPermission;
    case OpenFailure::Busy:
        *message = name + " is busy: another program has it open";
        return ExitPortBusy;
    case OpenFailure::NotASerialPort:
        *message = name + " is not a serial port: " + reason;
        return ExitNoSuchPort;
    case OpenFailure::Other: break;
    }
    *message = name + " can't be opened: " + reason;
    return ExitNoSuchPort;
}

// A port that connects first (a network port) is opened by the link itself
// too, and its connect waited for here (a command line may wait; the window
// never does): a name that doesn't resolve, a refusal or no answer in time
// is one line.
int waitForOpen(const PortScheme& row) {
    openPort();
    std::string error;
    if (row.waitOpen(PortHandle, NetConnectTimeoutMs, &error)) return ExitOk;
    closePort();
    return fail(ExitNetwork, "%s", error.c_str());
}

// A device is opened by the link itself and stays open (and locked) from
// here on, so that no other program slips in between a trial open and the
// link's; a failure is told apart while the system still knows why. The
// other backends are opened once and closed again.
int probeOpen(const PortChoice& choice) {
    const PortScheme& row = *choice.name.scheme;
    if (row.waitOpen) return waitForOpen(row);
    if (&row == PortScheme::Serial) {
        openPort();
        if (PortOpen) return ExitOk;
        if (LinkFailed) return fail(ExitNoSuchPort, "%s took too long to open", label.c_str());
        std::string message;
        const int code = openFailureOf(label, &message);
        return fail(code, "%s", message.c_str());
    }
    if (!openOwnedPort(LinkPort, openPath.c_str()).isOpen())
        return fail(ExitNoSuchPort, "%s can't be opened", label.c_str());
    return ExitOk;
}

}  // namespace

bool parsePortChoice(const char* text, PortChoice* choice, std::string* error) {
    *choice = PortChoice();
    if (!parsePortName(text, &choice->name, error)) return false;
    if (choice->name.scheme != PortScheme::Serial) {
        choice->path = choice->name.path;
        return true;
    }
    return devicePathFor(text, &choice->path, &choice->number, error);
}

int useBackend(const PortChoice& choice) {
    // The device's row only when a device is named: lpgctl's device
    // backend is the platform's to give.
    if (choice.name.scheme == PortScheme::Serial)
        registerPortBackend(PortScheme::Serial, devicePortOps(), nullptr);
    registerInProcessBackends();
    std::string error;
    // A backend that is there but can't be set up: a recording that can't
    // be played.
    if (!usePortBackend(choice.name, &error))
        return fail(choice.name.scheme->ops ? ExitBadFile : ExitUsage, "%s", error.c_str());
    openPath = choice.path;
    if (!selectPort(openPath.c_str(), choice.number))
        return fail(ExitUsage, "the port's path is %d characters long; this system allows %d",
                    static_cast<int>(openPath.size()), PortPathCapacity - 1);
    return ExitOk;
}

int openPortOf(const CliArgs& args) {
    PortChoice choice;
    std::string error;
    const bool named = args.port ? parsePortChoice(args.port, &choice, &error)
                                 : defaultPortChoice(&choice, &error);
    if (!named)
        return fail(ExitUsage, "%s%s", args.portFromEnvironment ? "LPGCTL_PORT: " : "",
                    error.c_str());
    label = args.port           ? args.port
            : choice.number > 0 ? "COM" + std::to_string(choice.number)
                                : choice.path;
    const int code = useBackend(choice);
    return code != ExitOk ? code : probeOpen(choice);
}

int openController(const CliArgs& args) {
    const int code = openPortOf(args);
    if (code != ExitOk) return code;
    for (int i = 0; i < StatusTries && LinkState != LinkStateKind::Up; ++i) {
        pollStatus();
        // A network server that ended the connection, in its words.
        if (*linkPortProblem()) return fail(ExitNetwork, "%s", linkPortProblem());
        if (LinkFailed)
            return fail(ExitNoController,
                        "%s answers with what it is sent: a loop-back plug or a cable "
                        "without a controller",
                        label.c_str());
    }
    if (LinkState != LinkStateKind::Up && GarbledReplies > 0)
        return fail(ExitNoController,
                    "replies from %s fail their checksum: noise, or a wrong baud rate?",
                    label.c_str());
    if (LinkState != LinkStateKind::Up)
        return fail(ExitNoController, "no controller answers on %s", label.c_str());
    const int generation = ControllerGeneration;
    if (!generationServed(generation))
        return fail(ExitWrongGeneration,
                    "the controller on %s is of generation %d; lpgctl serves generations 1 and 3",
                    label.c_str(), generation);
    return ExitOk;
}

int readControllerBlocks() {
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    // Each try polls the status first; a garbled reply costs one try, as on
    // the pages.
    for (int i = 0; i < StatusTries; ++i)
        if (refreshBlocksForSave(fmt)) return ExitOk;
    if (GarbledReplies > 0)
        return fail(ExitNoController,
                    "the block reads' replies from %s fail their checksum: noise, or a wrong "
                    "baud rate?",
                    label.c_str());
    return fail(ExitNoController, "the controller on %s stopped answering the block reads",
                label.c_str());
}

const std::string& portLabel() { return label; }

bool searchRefusal(const std::string& name, const std::string& path, std::string* message) {
    if (openOwnedPort(LinkPort, path.c_str()).isOpen()) return false;
    std::string reason;
    if (lastOpenFailure(&reason) == OpenFailure::NoSuchPort) return false;
    openFailureOf(name, message);
    return true;
}
