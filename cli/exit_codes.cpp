// The exit codes' meanings, as --help lists them; apart from errors.cpp so
// that builds which replace its messages keep the table.
#include "cli/errors.h"

const ExitCodeMeaning ExitCodeMeanings[] = {
    {ExitOk, "done (status: a controller answers; diff: equal)"},
    {ExitDiffer, "diff: the two sides differ"},
    {ExitUsage, "wrong use: unknown command or option, missing or extra argument"},
    {ExitNoSuchPort, "no such port, or it is no serial port"},
    {ExitPermission, "permission denied on the port"},
    {ExitPortBusy, "the port is busy: another program has it open"},
    {ExitNoController, "no controller answers on the port"},
    {ExitWrongGeneration, "a controller answers, of a generation lpgctl doesn't serve"},
    {ExitBadFile, "a file can't be read or isn't what it should be"},
    {ExitWriteFailed, "a write to the controller was not confirmed by its reply"},
    {ExitFailed, "anything else"},
    {ExitOutputFailed, "an output (a file, standard output) couldn't be written"},
    {ExitLinkNeverUp, "log, record: no controller answered during the whole drive"},
    {ExitInterrupted, "interrupted: Ctrl+C, SIGTERM or a closed pipe"},
    {ExitVerifyFailed, "load: a value read back differs from the one written"},
    {ExitNetwork, "a network port: no such name, refused, no connection within 3 s, or it ended"},
};
const int ExitCodeCount = static_cast<int>(sizeof ExitCodeMeanings / sizeof ExitCodeMeanings[0]);
