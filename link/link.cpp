// The controller link: opening the port, the status poll that supervises the
// link, the four block reads and the one-byte parameter write.
#include "link/link.h"

#include <cstdio>
#include <cstring>

#include "link/blocks.h"

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

const PortOps noPortOps = {
    "none", noOpen, noSettings, noTimeouts, noPurge, noIo, noRead, noClose, noTicks, noSleep,
};

const char DefaultPortPath[] = "\\\\.\\COM1";
const uint8_t LeadByte = 0x65;  // 'e'
enum { StatusLength = 4, WriteReplyLength = 3, LongestBlock = 21, OpenTooLongMs = 3000 };

}  // namespace

PortId PortHandle = InvalidPort;
bool PortOpen = false;
bool LinkFailed = false;
bool EchoChecked = false;
int FailureCount = 0;
LinkStateKind LinkState = LinkStateKind::Down;
int PollInterval = FastPollInterval;
int WriteReplyDelay = 0;
uint32_t BytesTransferred = 0;
char SelectedPortPath[64] = "\\\\.\\COM1";
int CommPort = 0;
int ControllerGeneration = 0;
int ControllerVariant = 0;
bool NewPortUnanswered = false;
bool LastBlockReadValid = false;
bool ControllerQuiet = false;

const PortOps* LinkPort = &noPortOps;
void (*linkErrorHook)() = nullptr;

const uint8_t RequestFrames[6][4] = {
    {0x65, 0x01, 0x01, 0x67},  // Status
    {0x65, 0x02, 0x02, 0x69},  // Live
    {0x65, 0x03, 0x03, 0x6B},  // ConfigA
    {0x65, 0x04, 0x04, 0x6D},  // ConfigB
    {0x65, 0x05, 0x05, 0x6F},  // Extended
    {0x0B, 0x01, 0x01, 0x0D},  // echo probe: no controller answers it with itself
};

namespace {

void purge(unsigned what) { LinkPort->purge(PortHandle, what); }

// Both record the count of the call in BytesTransferred, so it always tells
// what the last write or read on the port moved.
bool portWrite(const uint8_t* bytes, uint32_t n) {
    uint32_t done = 0;
    bool ok = LinkPort->write(PortHandle, bytes, n, &done);
    BytesTransferred = done;
    return ok;
}

bool portRead(uint8_t* bytes, uint32_t n) {
    uint32_t done = 0;
    bool ok = LinkPort->read(PortHandle, bytes, n, &done);
    BytesTransferred = done;
    return ok;
}

void closeHandle() {
    // A failed open leaves PortOpen set on an invalid handle; nothing to close.
    if (PortHandle != InvalidPort) LinkPort->close(PortHandle);
    PortHandle = InvalidPort;
    PortOpen = false;
}

// LinkFailed is already set, so polls run by the box's message loop neither
// reopen the port nor raise a second box.
void reportLinkError() {
    if (linkErrorHook) linkErrorHook();
}

void zeroBlockStores() {
    memset(&Status, 0, sizeof Status);
    memset(&Live, 0, sizeof Live);
    memset(&ConfigA, 0, sizeof ConfigA);
    memset(&ConfigB, 0, sizeof ConfigB);
    memset(&Extended, 0, sizeof Extended);
    clearStoreValidity();
}

// The one algorithm behind the four block reads.
void readBlock(RequestFrame request, uint8_t* store, uint32_t n, bool* valid) {
    LastBlockReadValid = false;
    if (ControllerQuiet) {
        BytesTransferred = 0;
        return;
    }
    if (!PortOpen) openPort();
    purge(PurgeTxClear);  // the receive side is left alone before a block read

    uint8_t reply[LongestBlock] = {0};
    if (portWrite(RequestFrames[request], 4)) {
        portRead(reply, n);
        // Not a byte back: the rest of this tick's reads would only wait out
        // their time-outs too, and the window would stop answering meanwhile.
        if (BytesTransferred == 0) ControllerQuiet = true;
    }
    if (BytesTransferred != n) purge(PurgeRxClear);

    // A reply that doesn't even start right is simply dropped.
    if (reply[0] != LeadByte) return;
    if (byteSum(reply, n - 1) == reply[n - 1]) {
        memcpy(store, reply, n);
        LastBlockReadValid = true;
        *valid = true;
    } else {
        purge(PurgeRxClear);
    }
}

}  // namespace

void openPort() {
    const uint32_t t0 = LinkPort->tickCount();
    if (!LinkFailed) {
        PortHandle = LinkPort->open(SelectedPortPath);
        // Set even when the open failed: the exchanges then fail and the status
        // poll's failure count closes and retries in its own rhythm.
        PortOpen = true;
    }
    // Unsigned difference, so a tick counter wrap doesn't fake a slow open.
    if (static_cast<uint32_t>(LinkPort->tickCount() - t0) > OpenTooLongMs) {
        LinkFailed = true;
        if (PortOpen) closeHandle();
        reportLinkError();
    }
    // Applied in every case; on a closed or invalid handle they just fail.
    LinkPort->applySettings(PortHandle, LinkPortSettings);
    LinkPort->applyTimeouts(PortHandle, LinkPortTimeouts);
}

void closePort() {
    if (PortOpen) closeHandle();
}

namespace {

// Once per port selection: a loop-back or echoing adapter returns the probe.
// The answer buffer is shared with the status read that follows, as the
// status read goes straight into it.
void checkEcho(uint8_t* answer) {
    const uint8_t* probe = RequestFrames[ReqEchoProbe];
    if (portWrite(probe, 4)) portRead(answer, StatusLength);
    if (memcmp(answer, probe, StatusLength) == 0) {
        purge(PurgeTxClear);
        purge(PurgeRxClear);
        memset(answer, 0, StatusLength);
        closeHandle();
        LinkFailed = true;
        reportLinkError();
    } else {
        // Also when nothing came back: the cleared buffer never equals the probe.
        EchoChecked = true;
    }
}

void statusMissed() {
    if (++FailureCount < 3) return;
    purge(PurgeRxClear);
    purge(PurgeTxClear);
    if (PortOpen) closeHandle();
    LinkState = LinkStateKind::Down;
    FailureCount = 0;
    PollInterval = SlowPollInterval;
    zeroBlockStores();  // the write reply is kept
}

}  // namespace

void pollStatus() {
    ControllerQuiet = false;
    if (!PortOpen) openPort();

    BytesTransferred = 0;
    purge(PurgeTxClear);
    purge(PurgeRxClear);
    uint8_t answer[StatusLength] = {0};
    if (!LinkFailed && !EchoChecked) checkEcho(answer);

    if (portWrite(RequestFrames[ReqStatus], 4)) portRead(answer, StatusLength);
    if (BytesTransferred != StatusLength) purge(PurgeRxClear);
    // No answer at all: the block reads of this tick would wait in vain too.
    if (BytesTransferred == 0) ControllerQuiet = true;

    if (answer[0] != LeadByte) return statusMissed();
    if (byteSum(answer, StatusLength - 1) == answer[StatusLength - 1]) {
        LinkState = LinkStateKind::Up;
        FailureCount = 0;
        PollInterval = FastPollInterval;
        memcpy(blockBytes(Status), answer, StatusLength);
        StatusValid = true;
        NewPortUnanswered = false;
    } else {
        // Garbled but present: resynchronise by reopening, not counted.
        purge(PurgeRxClear);
        closeHandle();
    }
}

void readLiveBlock() { readBlock(ReqLive, blockBytes(Live), sizeof Live, &LiveValid); }
void readConfigABlock() {
    readBlock(ReqConfigA, blockBytes(ConfigA), sizeof ConfigA, &ConfigAValid);
}
void readConfigBBlock() {
    readBlock(ReqConfigB, blockBytes(ConfigB), sizeof ConfigB, &ConfigBValid);
}
void readExtendedBlock() {
    readBlock(ReqExtended, blockBytes(Extended), sizeof Extended, &ExtendedValid);
}

int decodeIdentity() {
    ControllerGeneration = generationOf(Status.identity);
    ControllerVariant = variantOf(Status.identity);
    return ControllerGeneration;
}

void writeParameter(int address, int value) {
    // A refused write must not leave the count of an earlier one behind.
    BytesTransferred = 0;
    // Address and value would be built for the old port's controller.
    if (NewPortUnanswered) return;
    if (decodeIdentity() != 1 && decodeIdentity() != 3) return;

    uint8_t frame[4];
    frame[0] = LeadByte;
    // Generation 3 numbers its parameters one higher on the wire.
    frame[1] = static_cast<uint8_t>(address + (ControllerGeneration == 3 ? 1 : 0));
    frame[2] = static_cast<uint8_t>(value);
    frame[3] = byteSum(frame, 3);

    if (!PortOpen) openPort();
    purge(PurgeRxClear);
    purge(PurgeTxClear);
    const bool sent = portWrite(frame, 4);
    // Some commands (factory reset) need time before the controller answers.
    LinkPort->sleepMs(static_cast<uint32_t>(WriteReplyDelay));
    // Straight into the store: a short reply leaves old bytes behind the new.
    if (sent) portRead(blockBytes(WriteReply), WriteReplyLength);
    purge(PurgeRxClear);
}

void selectPort(const char* path, int number) {
    closePort();
    snprintf(SelectedPortPath, sizeof SelectedPortPath, "%s", path ? path : DefaultPortPath);
    CommPort = number;
    // Another port may reach another controller: nothing stored is its own yet.
    clearStoreValidity();
    NewPortUnanswered = true;
    ControllerQuiet = false;
    LinkFailed = false;
    EchoChecked = false;
}

void resetLinkState() {
    closePort();
    PortHandle = InvalidPort;
    PortOpen = false;
    LinkFailed = false;
    EchoChecked = false;
    FailureCount = 0;
    LinkState = LinkStateKind::Down;
    PollInterval = FastPollInterval;
    WriteReplyDelay = 0;
    BytesTransferred = 0;
    snprintf(SelectedPortPath, sizeof SelectedPortPath, "%s", DefaultPortPath);
    CommPort = 0;
    ControllerGeneration = 0;
    ControllerVariant = 0;
    NewPortUnanswered = false;
    LastBlockReadValid = false;
    ControllerQuiet = false;
    zeroBlockStores();
    memset(&WriteReply, 0, sizeof WriteReply);
}
