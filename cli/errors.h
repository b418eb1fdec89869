// lpgctl's exit codes and its one-line error messages on standard error.
#ifndef ZUVELS_CLI_ERRORS_H
#define ZUVELS_CLI_ERRORS_H

// Documented in docs/lpgctl.md; scripts rely on them. lpgctl --help lists
// them from ExitCodeMeanings.
enum ExitCode {
    ExitOk = 0,
    ExitDiffer = 1,           // diff: the two sides differ
    ExitUsage = 2,            // unknown command or option, missing argument
    ExitNoSuchPort = 3,       // the port doesn't exist
    ExitPermission = 4,       // the port exists but may not be opened
    ExitPortBusy = 5,         // another program holds the port
    ExitNoController = 6,     // the port opened but no controller answered
    ExitWrongGeneration = 7,  // a controller answered, of a generation not served
    ExitBadFile = 8,          // a file can't be read or isn't what it should be
    ExitWriteFailed = 9,      // a write to the controller was not confirmed by its reply
    ExitFailed = 10,          // anything else
    ExitOutputFailed = 11,    // an output (a file, standard output) couldn't be written
    ExitLinkNeverUp = 12,     // log, record: no controller answered during the whole drive
    ExitInterrupted = 13,     // Ctrl+C, SIGTERM or a closed pipe stopped the command
    ExitVerifyFailed = 14,    // load: a value read back differs from the one written
    ExitNetwork = 15,         // a network port: no such name, refused, no connection, or it ended
};

// Every exit code with its meaning in a few words, in the order of the codes.
struct ExitCodeMeaning {
    int code;
    const char* meaning;
};
extern const ExitCodeMeaning ExitCodeMeanings[];
extern const int ExitCodeCount;

// Prints "lpgctl: " and the formatted text as one line on standard error and
// returns code, so that callers can write `return fail(ExitBadFile, ...)`.
int fail(int code, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// "lpgctl: warning: " and the formatted text as one line on standard error.
void warn(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// At the end of a command: flushes standard output and, when anything
// written to it was lost, says so in one line with the system's reason.
// Returns code, or ExitOutputFailed (ExitInterrupted when the reader of a
// pipe has gone) when the output failed and code was ExitOk or ExitDiffer;
// a command's own failure keeps its code and its one line.
int finishStandardOutput(int code);

#endif
