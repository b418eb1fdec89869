// lpgctl started in the background, for tests that act while it runs: send
// it a signal, close the reader of its standard output, or give it a
// terminal as standard error. Every wait has a deadline.
#ifndef ZUVELS_TESTS_UNIT_CLI_SESSION_H
#define ZUVELS_TESTS_UNIT_CLI_SESSION_H

#include <string>
#include <vector>

#include <sys/types.h>

#include "tests/unit/cli_process.h"

class LpgctlSession {
public:
    enum class ErrorOutput { Pipe, Terminal };
    bool start(const std::vector<std::string>& args, ErrorOutput err = ErrorOutput::Pipe);
    // Reads the outputs until text is among them; false at the deadline.
    bool waitFor(const std::string& text, int deadlineMs = 10000);
    void signal(int sig) const;
    // Closes the reader of standard output, as `| head -1` does.
    void closeOutputReader();
    // Reads the outputs to their end and waits for the exit; kills it at the
    // deadline (code -1 then, as for a death by a signal).
    CliRun finish(int deadlineMs = 20000);
    ~LpgctlSession();

private:
    bool readSome(int waitMs);
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    CliRun seen_;
};

#endif
