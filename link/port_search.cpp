// The port search: each tick tries one reported port with the echo probe and
// the status request, and takes the first port on which a controller answers.
#include "link/port_search.h"

#include <cstdio>
#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"

namespace {

PortSearchState S;

enum { StatusLength = 4, AutoScanMarkCode = 20 };

// Clears the buffer, sends frame and reads a status-sized answer into it.
uint32_t ask(const uint8_t* frame, uint8_t* answer) {
    memset(answer, 0, StatusLength);
    linkWrite(frame, StatusLength);
    linkRead(answer, StatusLength);
    return BytesTransferred;
}

// The echo probe, then the status request with one repeat. True when a
// valid status reply is in answer.
bool controllerAnswers(uint8_t* answer) {
    const uint8_t* probe = RequestFrames[ReqEchoProbe];
    const uint8_t* status = RequestFrames[ReqStatus];
    linkPurge(PurgeTxClear);
    linkPurge(PurgeRxClear);
    ask(probe, answer);
    // A loop-back port hands back what it was sent: no controller there.
    if (memcmp(answer, probe, StatusLength) == 0) return false;

    linkPurge(PurgeTxClear);
    linkPurge(PurgeRxClear);
    if (ask(status, answer) < StatusLength || answer[0] != LeadByte) {
        linkPurge(PurgeRxClear);
        linkPurge(PurgeTxClear);
        // The repeat must answer for itself: bytes of a short first reply
        // left in the buffer could otherwise pass for a status.
        ask(status, answer);
    }
    return replyChecks(answer, StatusLength);
}

// Ok and Cancel: the port by number, the link's verdict kept.
void usePort(int number) {
    selectPort(portTablePath(number), number, Selection::KeepVerdict);
    S.holdsPages = false;
}

}  // namespace

const PortSearchState& portSearch = S;
PortSearchState& portSearchForTests() { return S; }

void portSearchOpen() {
    S.savedCommPort = CommPort;
    S.searchIndex = 0;
    S.searchRunning = false;
    S.holdsPages = true;
}

void resetPortSearch() { S = PortSearchState{}; }

int portSearchBegin(const PortNameSource& source) {
    const int count = enumeratePorts(source);
    S.searchSize = count > 0 ? count : 0;
    if (count <= 0) return count;
    S.searchRunning = true;
    S.searchIndex = 0;
    return count;
}

SearchTry portSearchNext() {
    if (!S.searchRunning) return {SearchStep::Idle, 0, 0};
    clearFailureCount();
    S.holdsPages = true;
    closePort();
    if (S.searchIndex >= S.searchSize) {
        S.searchRunning = false;
        return {SearchStep::Exhausted, 0, 0};
    }
    return {SearchStep::Trying, FoundPorts[S.searchIndex], S.searchIndex + 1};
}

namespace {

bool answersAt(const char* path, uint8_t* answer) {
    // A port that takes this long to open is skipped unconfigured.
    if (openPortAt(path) >= SlowSearchOpenMs) return false;
    setUpPort();
    return controllerAnswers(answer);
}

}  // namespace

bool portSearchProbe(uint32_t port) {
    // Numbers above the port table can't be opened: passed over like a port
    // that doesn't answer.
    uint8_t answer[StatusLength];
    const char* path = portTablePath(static_cast<int>(port));
    if (port <= HighestPortNumber && answersAt(path, answer)) {
        takeFoundPort(path, static_cast<int>(port), answer);
        S.searchRunning = false;
        S.holdsPages = false;
        return true;
    }
    closePort();
    ++S.searchIndex;
    return false;
}

bool controllerAnswersAt(const char* path, uint8_t answer[4]) {
    const bool found = answersAt(path, answer);
    closePort();
    return found;
}

void portSearchChoose(int selection) {
    selectPort(portTablePath(selection + 1), selection + 1);
    S.holdsPages = false;
}

void portSearchKeep(int selection) { usePort(selection + 1); }

void portSearchCancel() { usePort(S.savedCommPort); }

int portMarkCodeFor(int port) {
    return static_cast<unsigned>(port) <= 9 ? port + 10 : AutoScanMarkCode;
}
