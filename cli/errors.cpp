#include "cli/errors.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/verbosity.h"
#include "shell/text_file.h"

namespace {

// The first reason standard output failed for (an errno value, -1 when not
// known); 0 while it hasn't.
int outputFailure = 0;

// Flushes standard output before a line on standard error, so the two stay
// in order, and keeps the reason of a failure for finishStandardOutput.
void flushOutput() {
    const int reason = streamFailure(stdout);
    if (outputFailure == 0) outputFailure = reason;
}

std::string formatted(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    const int n = vsnprintf(nullptr, 0, format, args);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) vsnprintf(&text[0], text.size() + 1, format, again);
    va_end(again);
    return text;
}

}  // namespace

int fail(int code, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatted(format, args);
    va_end(args);
    flushOutput();
    fprintf(stderr, "lpgctl: %s\n", text.c_str());
    return code;
}

void warn(const char* format, ...) {
    if (quiet()) return;
    va_list args;
    va_start(args, format);
    const std::string text = formatted(format, args);
    va_end(args);
    flushOutput();
    fprintf(stderr, "lpgctl: warning: %s\n", text.c_str());
}

int finishStandardOutput(int code) {
    flushOutput();
    // A command that failed has said so in its one line; an interrupted
    // load has already named the closed pipe.
    if (outputFailure == 0 || (code != ExitOk && code != ExitDiffer)) return code;
    // `lpgctl dump | head`: the reader had what it wanted.
    if (outputFailure == EPIPE) {
        fprintf(stderr, "lpgctl: interrupted: the reader of standard output has gone\n");
        return ExitInterrupted;
    }
    fprintf(stderr, "lpgctl: standard output: %s\n",
            outputFailure > 0 ? strerror(outputFailure) : "a write failed");
    return ExitOutputFailed;
}
