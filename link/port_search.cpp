// The port search: each tick tries one reported port with the echo probe and
// the status request, and takes the first port on which a controller answers.
#include "link/port_search.h"

#include <cstdio>
#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "shell/app_state.h"

bool searchRunning = false;
int searchIndex = 0;
int searchSize = 0;
int savedCommPort = 0;

namespace {

const uint8_t LeadByte = 0x65;  // 'e'
enum { StatusLength = 4, AutoScanMarkCode = 20 };

void purge(unsigned what) { LinkPort->purge(PortHandle, what); }

// Both keep BytesTransferred up to date, as every exchange on the port does.
void sendFrame(const uint8_t* frame) {
    uint32_t done = 0;
    LinkPort->write(PortHandle, frame, StatusLength, &done);
    BytesTransferred = done;
}

uint32_t readAnswer(uint8_t* answer) {
    uint32_t done = 0;
    LinkPort->read(PortHandle, answer, StatusLength, &done);
    BytesTransferred = done;
    return done;
}

// The echo probe, then the status request with one repeat. True when a
// valid status reply is in answer.
bool controllerAnswers(uint8_t* answer) {
    const uint8_t* probe = RequestFrames[ReqEchoProbe];
    const uint8_t* status = RequestFrames[ReqStatus];
    purge(PurgeTxClear);
    purge(PurgeRxClear);
    memset(answer, 0, StatusLength);
    sendFrame(probe);
    readAnswer(answer);
    // A loop-back port hands back what it was sent: no controller there.
    if (memcmp(answer, probe, StatusLength) == 0) return false;

    purge(PurgeTxClear);
    purge(PurgeRxClear);
    memset(answer, 0, StatusLength);
    sendFrame(status);
    if (readAnswer(answer) < StatusLength || answer[0] != LeadByte) {
        purge(PurgeRxClear);
        purge(PurgeTxClear);
        // The repeat must answer for itself: bytes of a short first reply
        // left in the buffer could otherwise pass for a status.
        memset(answer, 0, StatusLength);
        sendFrame(status);
        readAnswer(answer);
    }
    return answer[0] == LeadByte && byteSum(answer, StatusLength - 1) == answer[StatusLength - 1];
}

void takeFoundPort(uint32_t port, const uint8_t* answer) {
    const int number = static_cast<int>(port);
    closePort();
    // A port selection: nothing stored came from this controller, except
    // the status it has just sent.
    clearStoreValidity();
    memcpy(blockBytes(Status), answer, StatusLength);
    StatusValid = true;
    NewPortUnanswered = false;
    CommPort = number;
    snprintf(SelectedPortPath, sizeof SelectedPortPath, "%s", portTablePath(number));
    LinkFailed = false;
    EchoChecked = false;
    searchRunning = false;
    serviceDialogOpen = false;
}

// Ok and Cancel: the port by number, without touching LinkFailed or
// EchoChecked.
void usePort(int number) {
    serviceDialogOpen = false;
    closePort();
    const char* path = portTablePath(number);
    if (strcmp(path, SelectedPortPath) != 0) {
        clearStoreValidity();
        NewPortUnanswered = true;
    }
    snprintf(SelectedPortPath, sizeof SelectedPortPath, "%s", path);
    CommPort = number;
}

}  // namespace

void portSearchOpen() {
    savedCommPort = CommPort;
    searchIndex = 0;
    searchRunning = false;
}

int portSearchBegin(const PortNameSource& source) {
    const int count = enumeratePorts(source);
    searchSize = count > 0 ? count : 0;
    if (count <= 0) return count;
    searchRunning = true;
    searchIndex = 0;
    return count;
}

SearchTry portSearchNext() {
    if (!searchRunning) return {SearchStep::Idle, 0, 0};
    FailureCount = 0;
    serviceDialogOpen = true;
    closePort();
    if (searchIndex >= searchSize) {
        searchRunning = false;
        return {SearchStep::Exhausted, 0, 0};
    }
    return {SearchStep::Trying, FoundPorts[searchIndex], searchIndex + 1};
}

namespace {

bool answersAt(const char* path, uint8_t* answer) {
    const uint32_t t0 = LinkPort->tickCount();
    PortHandle = LinkPort->open(path);
    PortOpen = true;
    // A port that takes this long to open is skipped unconfigured.
    if (static_cast<uint32_t>(LinkPort->tickCount() - t0) >= SlowSearchOpenMs) return false;
    LinkPort->applySettings(PortHandle, LinkPortSettings);
    LinkPort->applyTimeouts(PortHandle, LinkPortTimeouts);
    return controllerAnswers(answer);
}

}  // namespace

bool portSearchProbe(uint32_t port) {
    // Numbers above the port table can't be opened: passed over like a port
    // that doesn't answer.
    uint8_t answer[StatusLength];
    if (port <= HighestPortNumber && answersAt(portTablePath(static_cast<int>(port)), answer)) {
        takeFoundPort(port, answer);
        return true;
    }
    closePort();
    ++searchIndex;
    return false;
}

bool controllerAnswersAt(const char* path, uint8_t answer[4]) {
    const bool found = answersAt(path, answer);
    closePort();
    return found;
}

void portSearchChoose(int selection) {
    selectPort(portTablePath(selection + 1), selection + 1);
    serviceDialogOpen = false;
}

void portSearchKeep(int selection) { usePort(selection + 1); }

void portSearchCancel() { usePort(savedCommPort); }

int portMarkCodeFor(int port) {
    return static_cast<unsigned>(port) <= 9 ? port + 10 : AutoScanMarkCode;
}
