// The controller link: the one serial port, its exchanges and supervision.
// Portable: talks to the port only through the PortOps table.
#ifndef ZUVELS_LINK_LINK_H
#define ZUVELS_LINK_LINK_H

#include <cstdint>
#include "link/port.h"

enum class LinkStateKind { Down, Up };
// The two rates of PollInterval, in ms: while the controller answers, after loss.
enum : int { FastPollInterval = 50, SlowPollInterval = 1000 };

// Program-wide link state.
extern PortId PortHandle;  // handle of the open serial device
extern bool PortOpen;
extern bool LinkFailed;
extern bool EchoChecked;
extern int FailureCount;
extern LinkStateKind LinkState;
extern int PollInterval;     // ms: 50 while the controller answers, 1000 after loss
extern int WriteReplyDelay;  // ms between a write frame and reading its reply
extern uint32_t BytesTransferred;
extern char SelectedPortPath[64];
extern int CommPort;
extern int ControllerGeneration;
extern int ControllerVariant;
// Set by a change of port, cleared by the first valid status reply there:
// until the controller on the new port has answered, the Status store still
// holds the old one's generation, so writeParameter sends nothing.
extern bool NewPortUnanswered;

// The backend in use; chosen once at start-up (Win32, simulated, POSIX, scripted).
extern const PortOps* LinkPort;

// Shown by openPort and pollStatus when the port takes too long or echoes.
// The shell installs it; LinkFailed is always set before it is called.
extern void (*linkErrorHook)();

// Request frames, in table order.
enum RequestFrame { ReqStatus, ReqLive, ReqConfigA, ReqConfigB, ReqExtended, ReqEchoProbe };
extern const uint8_t RequestFrames[6][4];

void openPort();
void closePort();
void pollStatus();
// Each block read sets LastBlockReadValid: true only when its reply was valid
// and replaced the store.
extern bool LastBlockReadValid;

// Set when the status request or a block read got not a byte back; the
// block reads that follow send nothing (and are not valid) until the next
// pollStatus, so a tick of a controller that stopped answering waits out one
// time-out, not five.
extern bool ControllerQuiet;

void readLiveBlock();
void readConfigABlock();
void readConfigBBlock();
void readExtendedBlock();
int decodeIdentity();
void writeParameter(int address, int value);

// Port selection, in the order callers must follow: close, set path and
// number, clear LinkFailed and EchoChecked.
void selectPort(const char* path, int number);

// Back to the start-up state (tests, demo restarts).
void resetLinkState();

#endif
