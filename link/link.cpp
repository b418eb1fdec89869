// The controller link: opening the port, the status poll that supervises the
// link, the four block reads and the one-byte parameter write.
#include "link/link.h"

#include <cstdio>
#include <cstring>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/link_testing.h"
#include "link/port_backends.h"

namespace {

// Used until start-up chooses a backend: nothing opens, every call fails.
PortId noOpen(const char*) { return InvalidPort; }
bool noSettings(PortId, const PortSettings&) { return false; }
bool noTimeouts(PortId, const PortTimeouts&) { return false; }
bool noPurge(PortId, unsigned) { return false; }
bool noIo(PortId, const uint8_t*, uint32_t, uint32_t* done) {
    *done = 0;
    return false;
}
bool noRead(PortId, uint8_t*, uint32_t, uint32_t* done) {
    *done = 0;
    return false;
}
void noClose(PortId) {}
uint32_t noTicks() { return 0; }
void noSleep(uint32_t) {}

const PortOps noPortOps = PortOps::called("none")
                              .withOpen(noOpen)
                              .withSettings(noSettings)
                              .withTimeouts(noTimeouts)
                              .withPurge(noPurge)
                              .withWrite(noIo)
                              .withRead(noRead)
                              .withClose(noClose)
                              .withTickCount(noTicks)
                              .withSleep(noSleep);

enum { StatusLength = 4, WriteReplyLength = 3, LongestBlock = 21, OpenTooLongMs = 3000 };

LinkVariables startUpVariables() {
    LinkVariables v = {};
    v.PortHandle = InvalidPort;
    v.LinkState = LinkStateKind::Down;
    v.PollInterval = v.OwnPollInterval = FastPollInterval;
    snprintf(v.SelectedPortPath, sizeof v.SelectedPortPath, "%s", portTablePath(0));
    return v;
}

LinkVariables L = startUpVariables();

}  // namespace

const LinkVariables& Link = L;
const PortId& PortHandle = L.PortHandle;
const bool& PortOpen = L.PortOpen;
const bool& LinkFailed = L.LinkFailed;
const bool& EchoChecked = L.EchoChecked;
const int& FailureCount = L.FailureCount;
const LinkStateKind& LinkState = L.LinkState;
const int& PollInterval = L.PollInterval;
const int& WriteReplyDelay = L.WriteReplyDelay;
const uint32_t& BytesTransferred = L.BytesTransferred;
const char (&SelectedPortPath)[PortPathCapacity] = L.SelectedPortPath;
const int& CommPort = L.CommPort;
const int& ControllerGeneration = L.ControllerGeneration;
const int& ControllerVariant = L.ControllerVariant;
const bool& LastBlockReadValid = L.LastBlockReadValid;
const bool& ControllerQuiet = L.ControllerQuiet;
const bool& NewPortUnanswered = L.NewPortUnanswered;
const int& GarbledReplies = L.GarbledReplies;

LinkVariables& linkForTests() { return L; }

namespace {
const PortOps* linkBackend = &noPortOps;
}  // namespace
const PortOps* const& LinkPort = linkBackend;

void useLinkBackend(const PortOps* ops) { linkBackend = ops ? ops : &noPortOps; }
LinkHooks linkHooks = {nullptr, nullptr};

const uint8_t RequestFrames[6][4] = {
    {LeadByte, 0x01, 0x01, 0x67},  // Status
    {LeadByte, 0x02, 0x02, 0x69},  // Live
    {LeadByte, 0x03, 0x03, 0x6B},  // ConfigA
    {LeadByte, 0x04, 0x04, 0x6D},  // ConfigB
    {LeadByte, 0x05, 0x05, 0x6F},  // Extended
    {0x0B, 0x01, 0x01, 0x0D},      // echo probe: no controller answers it with itself
};

void linkPurge(unsigned what) { LinkPort->purge(L.PortHandle, what); }

// Both record the count of the call in BytesTransferred, so it always tells
// what the last write or read on the port moved.
bool linkWrite(const uint8_t* bytes, uint32_t n) {
    uint32_t done = 0;
    bool ok = LinkPort->write(L.PortHandle, bytes, n, &done);
    L.BytesTransferred = done;
    if (linkHooks.trace) linkHooks.trace('>', bytes, done);
    return ok;
}

bool linkRead(uint8_t* bytes, uint32_t n) {
    uint32_t done = 0;
    bool ok = LinkPort->read(L.PortHandle, bytes, n, &done);
    L.BytesTransferred = done;
    if (linkHooks.trace) linkHooks.trace('<', bytes, done);
    return ok;
}

namespace {

// The open port, closed with the backend it was opened with, even when
// another backend has been chosen since (the COM menu after a network port).
// Never destroyed: at exit the backends' own state may already be gone.
OwnedPort& heldPort = *new OwnedPort;

// heldPort as L.PortHandle says: a handle set from outside (tests, harnesses)
// is taken as one of the backend in use.
void adoptHandle() {
    if (heldPort.id() == L.PortHandle) return;
    heldPort.release();
    heldPort = OwnedPort(LinkPort, L.PortHandle);
}

void closeHandle() {
    // A failed open leaves nothing to close, only the tried open to forget.
    adoptHandle();
    heldPort.reset();
    L.PortHandle = InvalidPort;
    L.PortOpen = false;
    L.OpenTried = false;
}

// Sets the handle even when the open failed: the exchanges then fail and the
// status poll's failure count closes and retries in its own rhythm.
void openHandle(const char* path) {
    // A port still open is closed first, never left behind.
    adoptHandle();
    heldPort.reset();
    heldPort = openOwnedPort(LinkPort, path);
    L.PortHandle = heldPort.id();
    L.PortOpen = L.PortHandle != InvalidPort;
    L.OpenTried = true;
}

// LinkFailed is already set, so polls run by the box's message loop neither
// reopen the port nor raise a second box.
void reportLinkError() {
    if (linkHooks.error) linkHooks.error();
}

void zeroBlockStores() {
    BlockStores& b = blockStores();
    memset(&b.Status, 0, sizeof b.Status);
    memset(&b.Live, 0, sizeof b.Live);
    memset(&b.ConfigA, 0, sizeof b.ConfigA);
    memset(&b.ConfigB, 0, sizeof b.ConfigB);
    memset(&b.Extended, 0, sizeof b.Extended);
    clearStoreValidity();
}

// A reply failed its checks; bytes that came at all are told from silence.
void noteGarbled() {
    if (L.BytesTransferred > 0) ++L.GarbledReplies;
}

// The one algorithm behind the four block reads.
void readBlock(RequestFrame request, uint8_t* store, uint32_t n, bool* valid) {
    L.LastBlockReadValid = false;
    if (L.ControllerQuiet) {
        L.BytesTransferred = 0;
        return;
    }
    if (!L.OpenTried) openPort();
    linkPurge(PurgeTxClear);  // the receive side is left alone before a block read

    uint8_t reply[LongestBlock] = {0};
    if (linkWrite(RequestFrames[request], 4)) {
        linkRead(reply, n);
        // Not a byte back: the rest of this tick's reads would only wait out
        // their time-outs too, and the window would stop answering meanwhile.
        if (L.BytesTransferred == 0) L.ControllerQuiet = true;
    }
    if (L.BytesTransferred != n) linkPurge(PurgeRxClear);

    // A reply that doesn't even start right is simply dropped.
    if (reply[0] != LeadByte) return noteGarbled();
    if (replyChecks(reply, n)) {
        memcpy(store, reply, n);
        L.LastBlockReadValid = true;
        L.GarbledReplies = 0;
        *valid = true;
    } else {
        noteGarbled();
        linkPurge(PurgeRxClear);
    }
}

}  // namespace

uint32_t openPortAt(const char* path) {
    const uint32_t t0 = LinkPort->tickCount();
    openHandle(path);
    // Unsigned difference, so a tick counter wrap doesn't fake a slow open.
    return static_cast<uint32_t>(LinkPort->tickCount() - t0);
}

void setUpPort() {
    LinkPort->applySettings(L.PortHandle, LinkPortSettings);
    LinkPort->applyTimeouts(L.PortHandle, LinkPortTimeouts);
}

void openPort() {
    const uint32_t took = L.LinkFailed ? 0 : openPortAt(L.SelectedPortPath);
    if (took > OpenTooLongMs) {
        L.LinkFailed = true;
        closeHandle();
        reportLinkError();
    }
    // Applied in every case; on a closed or invalid handle they just fail.
    setUpPort();
}

void closePort() {
    if (L.OpenTried) closeHandle();
}

namespace {

// Once per port selection: a loop-back or echoing adapter returns the probe.
// The answer buffer is shared with the status read that follows, as the
// status read goes straight into it.
void checkEcho(uint8_t* answer) {
    const uint8_t* probe = RequestFrames[ReqEchoProbe];
    const bool sent = linkWrite(probe, 4);
    if (sent) linkRead(answer, StatusLength);
    // A network port still connecting takes nothing yet: the probe waits
    // for the connection. (A serial port that didn't open is checked no
    // further, as ever.)
    if (!sent && LinkPort->problem) return;
    if (memcmp(answer, probe, StatusLength) == 0) {
        linkPurge(PurgeTxClear);
        linkPurge(PurgeRxClear);
        memset(answer, 0, StatusLength);
        closeHandle();
        L.LinkFailed = true;
        reportLinkError();
    } else {
        // Also when nothing came back: the cleared buffer never equals the probe.
        L.EchoChecked = true;
    }
}

// The link's own rate; a page's request holds only until the next change.
void setOwnPollInterval(int ms) { L.PollInterval = L.OwnPollInterval = ms; }

void statusMissed() {
    if (++L.FailureCount < 3) return;
    linkPurge(PurgeRxClear);
    linkPurge(PurgeTxClear);
    closePort();
    L.LinkState = LinkStateKind::Down;
    L.FailureCount = 0;
    setOwnPollInterval(SlowPollInterval);
    zeroBlockStores();  // the write reply is kept
}

}  // namespace

namespace {

void decodeIdentity() {
    L.ControllerGeneration = generationOf(Status.identity);
    L.ControllerVariant = variantOf(Status.identity);
}

char portProblemText[PortPathCapacity + 200] = "";

// A port that can't be reached at all (a network name that doesn't resolve,
// a refused connection) while no controller has answered on it yet: told
// once, as an echo is, and not tried again until a port is chosen. Once it
// has answered, a lost connection only takes the link down until it is back.
bool portUnreachable() {
    const char* why = LinkPort->problem && L.NewPortUnanswered && !L.LinkFailed
                          ? LinkPort->problem(L.PortHandle)
                          : nullptr;
    if (!why) return false;
    snprintf(portProblemText, sizeof portProblemText, "%s", why);
    closeHandle();
    L.LinkFailed = true;
    L.ControllerQuiet = true;
    reportLinkError();
    return true;
}

void exchangeStatus() {
    L.ControllerQuiet = false;
    if (!L.OpenTried) openPort();

    L.BytesTransferred = 0;
    linkPurge(PurgeTxClear);
    linkPurge(PurgeRxClear);
    uint8_t answer[StatusLength] = {0};
    if (!L.LinkFailed && !L.EchoChecked) checkEcho(answer);

    if (linkWrite(RequestFrames[ReqStatus], 4)) linkRead(answer, StatusLength);
    if (portUnreachable()) return;
    if (L.BytesTransferred != StatusLength) linkPurge(PurgeRxClear);
    // No answer at all: the block reads of this tick would wait in vain too.
    if (L.BytesTransferred == 0) L.ControllerQuiet = true;

    if (answer[0] != LeadByte) {
        noteGarbled();
        return statusMissed();
    }
    if (replyChecks(answer, StatusLength)) {
        L.LinkState = LinkStateKind::Up;
        L.FailureCount = 0;
        L.GarbledReplies = 0;
        setOwnPollInterval(FastPollInterval);
        memcpy(blockBytes(blockStores().Status), answer, StatusLength);
        blockStores().StatusValid = true;
        L.NewPortUnanswered = false;
    } else {
        // Garbled but present: resynchronise by reopening, not counted as
        // a miss.
        noteGarbled();
        linkPurge(PurgeRxClear);
        closeHandle();
    }
}

}  // namespace

const char* linkPortProblem() { return L.LinkFailed ? portProblemText : ""; }

void pollStatus() {
    exchangeStatus();
    decodeIdentity();
}

void readLiveBlock() {
    readBlock(ReqLive, blockBytes(blockStores().Live), sizeof Live, &blockStores().LiveValid);
}
void readConfigABlock() {
    readBlock(ReqConfigA, blockBytes(blockStores().ConfigA), sizeof ConfigA,
              &blockStores().ConfigAValid);
}
void readConfigBBlock() {
    readBlock(ReqConfigB, blockBytes(blockStores().ConfigB), sizeof ConfigB,
              &blockStores().ConfigBValid);
}
void readExtendedBlock() {
    readBlock(ReqExtended, blockBytes(blockStores().Extended), sizeof Extended,
              &blockStores().ExtendedValid);
}

void writeParameter(int address, int value) {
    // A refused write must not leave the count of an earlier one behind.
    L.BytesTransferred = 0;
    // Address and value would be built for the old port's controller.
    if (L.NewPortUnanswered) return;
    decodeIdentity();
    const int generation = L.ControllerGeneration;
    if (!generationServed(generation)) return;

    uint8_t frame[4];
    frame[0] = LeadByte;
    // Generation 3 numbers its parameters one higher on the wire.
    frame[1] = static_cast<uint8_t>(address + (generation == 3 ? 1 : 0));
    frame[2] = static_cast<uint8_t>(value);
    frame[3] = byteSum(frame, 3);

    if (!L.OpenTried) openPort();
    linkPurge(PurgeRxClear);
    linkPurge(PurgeTxClear);
    const bool sent = linkWrite(frame, 4);
    // Some commands (factory reset) need time before the controller answers.
    LinkPort->sleepMs(static_cast<uint32_t>(L.WriteReplyDelay));
    // Straight into the store: a short reply leaves old bytes behind the new.
    if (sent) linkRead(blockBytes(blockStores().WriteReply), WriteReplyLength);
    linkPurge(PurgeRxClear);
}

bool lastWriteConfirmed(int value) {
    if (L.BytesTransferred != WriteReplyLength) return false;
    return L.ControllerGeneration != 3 || WriteReply.value == static_cast<uint8_t>(value);
}

bool selectPort(const char* path, int number, Selection how) {
    if (!path) path = portTablePath(0);
    if (strlen(path) >= sizeof L.SelectedPortPath) return false;
    closePort();
    // Another port may reach another controller: nothing stored is its own yet.
    if (how == Selection::Fresh || strcmp(path, L.SelectedPortPath) != 0) {
        clearStoreValidity();
        L.NewPortUnanswered = true;
    }
    snprintf(L.SelectedPortPath, sizeof L.SelectedPortPath, "%s", path);
    L.CommPort = number;
    if (how == Selection::KeepVerdict) return true;
    L.ControllerQuiet = false;
    L.LinkFailed = false;
    portProblemText[0] = '\0';
    L.EchoChecked = false;
    L.GarbledReplies = 0;
    return true;
}

void takeFoundPort(const char* path, int number, const uint8_t* status) {
    selectPort(path, number);
    memcpy(blockBytes(blockStores().Status), status, StatusLength);
    blockStores().StatusValid = true;
    L.NewPortUnanswered = false;  // it has just answered
}

void clearFailureCount() { L.FailureCount = 0; }

void requestPollInterval(int ms) { L.PollInterval = ms; }

void releasePollInterval() { L.PollInterval = L.OwnPollInterval; }

ReplyDelayScope::ReplyDelayScope(int ms) : previous(L.WriteReplyDelay) { L.WriteReplyDelay = ms; }

ReplyDelayScope::~ReplyDelayScope() { L.WriteReplyDelay = previous; }

void resetLinkState() {
    closePort();
    L = startUpVariables();
    portProblemText[0] = '\0';
    zeroBlockStores();
    forgetWriteReply();
}
