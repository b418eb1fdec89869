// The controller link: the one serial port, its exchanges and supervision.
// Portable: talks to the port only through the PortOps table.
#ifndef ZUVELS_LINK_LINK_H
#define ZUVELS_LINK_LINK_H

#include <cstdint>
#include "link/port.h"

enum class LinkStateKind { Down, Up };
// The two rates of PollInterval, in ms: while the controller answers, after loss.
enum : int { FastPollInterval = 50, SlowPollInterval = 1000 };

// The link's state. Only link.cpp writes it; every other module reads it
// through the names below and asks the link for changes (selectPort,
// requestPollInterval, ReplyDelayScope, the port search's exchanges).
struct LinkVariables {
    PortId PortHandle;  // handle of the open serial device
    bool PortOpen;      // PortHandle is an open device
    // An open was tried since the port was last closed, whether or not it
    // succeeded: exchanges go to PortHandle as it is, and only a close lets
    // the next exchange try again.
    bool OpenTried;
    bool LinkFailed;
    bool EchoChecked;
    int FailureCount;
    LinkStateKind LinkState;
    // ms the pages poll at: a page's request (requestPollInterval), or the
    // link's own rate from its next change on and once the page lets go.
    int PollInterval;
    int OwnPollInterval;  // ms: 50 while the controller answers, 1000 after loss
    int WriteReplyDelay;  // ms between a write frame and reading its reply
    uint32_t BytesTransferred;
    char SelectedPortPath[PortPathCapacity];
    int CommPort;
    int ControllerGeneration;
    int ControllerVariant;
    // Each block read sets it: true only when its reply was valid and
    // replaced the store.
    bool LastBlockReadValid;
    // Set when the status request or a block read got not a byte back; the
    // block reads that follow send nothing (and are not valid) until the next
    // pollStatus, so a tick of a controller that stopped answering waits out
    // one time-out, not five.
    bool ControllerQuiet;
    // Set by a change of port, cleared by the first valid status reply
    // there: until the controller on the new port has answered, the Status
    // store still holds the old one's generation, so writeParameter sends
    // nothing.
    bool NewPortUnanswered;
    // Replies that came but failed their checks (lead byte or checksum)
    // since the last valid one on this port: noise or a wrong baud rate
    // rather than silence.
    int GarbledReplies;
};

// Read-only views of the link's state, under the names its users know.
extern const LinkVariables& Link;
extern const PortId& PortHandle;
extern const bool& PortOpen;
extern const bool& LinkFailed;
extern const bool& EchoChecked;
extern const int& FailureCount;
extern const LinkStateKind& LinkState;
extern const int& PollInterval;
extern const int& WriteReplyDelay;
extern const uint32_t& BytesTransferred;
extern const char (&SelectedPortPath)[PortPathCapacity];
extern const int& CommPort;
extern const int& ControllerGeneration;
extern const int& ControllerVariant;
extern const bool& LastBlockReadValid;
extern const bool& ControllerQuiet;
extern const bool& NewPortUnanswered;
extern const int& GarbledReplies;

// The backend in use. The program chooses it with the port, through the port
// rows (usePortNamed, selectMenuPort in link/port_backends.h); lpgctl's
// recording, wrapped around the backend in use, and the tests set it here.
extern const PortOps* const& LinkPort;
// The one writer of LinkPort; nullptr: no backend, nothing opens.
void useLinkBackend(const PortOps* ops);

// Program-wide: what the link tells whoever runs it; nullptr where nobody listens.
struct LinkHooks {
    // Shown by openPort and pollStatus when the port takes too long or
    // echoes. The shell installs it; LinkFailed is always set before it is called.
    void (*error)();
    // Told of every write to the port ('>') and every read from it ('<') with
    // the bytes it moved (none when a read brought nothing): lpgctl's frame
    // trace. Watching only.
    void (*trace)(char direction, const uint8_t* bytes, uint32_t n);
};
extern LinkHooks linkHooks;

// Request frames, in table order.
enum RequestFrame { ReqStatus, ReqLive, ReqConfigA, ReqConfigB, ReqExtended, ReqEchoProbe };
extern const uint8_t RequestFrames[6][4];

void openPort();
void closePort();
// Why the port couldn't be reached at all, one line naming it, while the
// link has failed for that reason; "" otherwise. (The link error box shows it.)
const char* linkPortProblem();
// The status request that supervises the link; ControllerGeneration and
// ControllerVariant follow Status.identity after it, whatever the answer.
void pollStatus();
void readLiveBlock();
void readConfigABlock();
void readConfigBBlock();
void readExtendedBlock();
// Only generations 1 and 3 are served: the others get no writes, and the
// pages show nothing of theirs.
inline bool generationServed(int generation) { return generation == 1 || generation == 3; }
// Sends nothing to a generation the link doesn't serve (by Status.identity,
// which it decodes first, as pollStatus does).
void writeParameter(int address, int value);
// Whether the last writeParameter(address, value) was confirmed: a whole
// 3-byte reply, and for generation 3, whose reply echoes the value written,
// that echo. (Generation 1's reply carries no echo to hold it to.) The one
// test of a write that the window's settings load and lpgctl load share.
bool lastWriteConfirmed(int value);

// Port selection: closes the port, sets path and number. Fresh (menu, start-up,
// a port the search found): nothing stored is this controller's yet, and
// LinkFailed, EchoChecked and ControllerQuiet start over. KeepVerdict (the
// port search's Ok and Cancel): the link's verdict stays, and the stores stay
// valid when the path is the same. A path that doesn't fit SelectedPortPath
// is refused, never cut: false, and nothing changes.
enum class Selection { Fresh, KeepVerdict };
bool selectPort(const char* path, int number, Selection how = Selection::Fresh);

// A page that polls at a rate of its own asks for it; the link's own rate
// (fast while the controller answers, slow after loss) comes back when the
// page lets go.
void requestPollInterval(int ms);
void releasePollInterval();

// The delay between a write frame and reading its reply, for the writes made
// while the scope lives (the factory reset needs time before it answers).
class ReplyDelayScope {
public:
    explicit ReplyDelayScope(int ms);
    ~ReplyDelayScope();
    ReplyDelayScope(const ReplyDelayScope&) = delete;
    ReplyDelayScope& operator=(const ReplyDelayScope&) = delete;

private:
    int previous;
};

// The port search's steps on a port of its own choosing. openPortAt opens path
// as the link's port and returns how long the open took, in ms; setUpPort
// applies the link's settings and time-outs; linkWrite and linkRead record
// their count in BytesTransferred, as every exchange on the port does.
uint32_t openPortAt(const char* path);
void setUpPort();
void linkPurge(unsigned what);
bool linkWrite(const uint8_t* bytes, uint32_t n);
bool linkRead(uint8_t* bytes, uint32_t n);
// Each try of the search starts the count of missed status polls over.
void clearFailureCount();
// A port on which the search found a controller: selected fresh, with the
// status it answered stored and valid.
void takeFoundPort(const char* path, int number, const uint8_t* status);

// Back to the start-up state (tests, demo restarts).
void resetLinkState();

#endif
