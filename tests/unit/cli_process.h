// Running lpgctl and lpgsim as the user does, for the command-line tests:
// every run and every wait has a deadline and fails by name.
#ifndef ZUVELS_TESTS_UNIT_CLI_PROCESS_H
#define ZUVELS_TESTS_UNIT_CLI_PROCESS_H

#include <string>
#include <vector>

#include <sys/types.h>

struct CliRun {
    int code = -1;  // exit code; -1 when it had to be killed at the deadline
    std::string out, err;
    long peakKiB = 0;    // its peak resident memory, as last seen while it ran
    long elapsedMs = 0;  // from its start to its end
};

// Runs build/native/lpgctl with args; kills it after deadlineMs. With
// dataLimitKiB > 0 it may take no more heap than that.
CliRun runLpgctl(const std::vector<std::string>& args, int deadlineMs = 20000,
                 long dataLimitKiB = 0);
// The same as another user (a test run as root sees no permission or
// exclusive-open refusals itself).
CliRun runLpgctlAs(uid_t user, gid_t group, const std::vector<std::string>& args);

// lpgsim on a pty symlinked beside the tests, with its frame log.
class LpgsimProcess {
public:
    // Starts it with extra flags (--gen, --fault ...); false when the link
    // didn't appear within the deadline.
    bool start(const std::vector<std::string>& extra = {});
    void stop();
    // Switches its fault off (SIGUSR1): the controller answers again.
    void faultOff() const;
    ~LpgsimProcess() { stop(); }
    const std::string& port() const { return link_; }
    std::string logText() const;
    // Log lines of frames the controller received ('>'), as "65 01 01 67".
    std::vector<std::string> received() const;
    // Waits until frame has been received count times: everything the
    // controller got before it is then in the log. False at the deadline.
    bool waitForReceived(const std::string& frame, int count) const;

private:
    pid_t pid_ = -1;
    std::string link_, log_;
};

// True for a request frame that changes the controller (anything but the
// five block reads and the echo probe).
bool isWriteFrame(const std::string& hexBytes);

// A file name beside the tests, unique to this process.
std::string scratchPath(const std::string& name);

#endif
