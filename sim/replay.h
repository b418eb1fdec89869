// Recorded drives: a port wrapper that writes every frame of a session to a
// text file, and a port backend that plays such a file back.
//
// A recording is the simulator's frame-log format, so an lpgsim --log file
// replays too: one frame a line, milliseconds on the recording's own clock,
// '>' for a request the program sent or '<' for bytes that came back, then
// the bytes in hex ("1520 > 65 01 01 67", "1540 < 65 02 60 C7"). Lines
// starting with '#' and empty lines are comments. The '<' lines after a '>'
// line, up to the next '>' line, are that request's reply; a request with
// none got no answer.
//
// Portable: the recording's time comes from the wrapped backend's clock.
#ifndef ZUVELS_SIM_REPLAY_H
#define ZUVELS_SIM_REPLAY_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "link/port.h"

// ---- recording ----

// Records through inner from now on: every write as a '>' line, every read
// that brought bytes as a '<' line, each written whole at once (out is made
// unbuffered) so an interrupted session keeps everything up to its last
// frame. Writes a comment header naming the port and the start time
// (startText, e.g. an ISO time).
void recordingStart(const PortOps* inner, FILE* out, const char* portName, const char* startText);
// True once a line could not be written (disk full, stick removed, file
// gone); nothing more is written, and the file is cut back to its last
// whole line, so it still replays.
bool recordingFailed();
// The file's length up to its last whole line; -1 for a stream without
// positions (a pipe).
long long recordingWholeBytes();
// Time since recordingStart on the wrapped port's clock, and that port.
uint32_t recordingElapsedMs();
const PortOps* recordingInnerPort();
extern const PortOps recordingPortOps;

// ---- replay ----

// Loads a recording's text for replayPortOps and starts its clock; false
// with a one-line reason (the line that is not a frame) in *error. The
// previous recording stays loaded on failure. (Files: loadRecording in
// shell/start_options.h.)
bool replayLoadText(const char* text, std::string* error);
// The same from a file, read a piece at a time and at most maxBytes of it:
// only the frames are kept, their bytes in one buffer.
bool replayLoadFile(FILE* f, long long maxBytes, std::string* error);

// Real time (the default: the window and lpgctl) follows the machine's steady
// clock, skipping ahead instead of waiting out a read time-out; virtual time
// (tests) starts at 0 and moves only by those skips and replayAdvanceClock.
void replayUseRealTime(bool realTime);
void replayAdvanceClock(uint32_t ms);
// From the loaded recording's first frame to its last request, in ms.
uint32_t replayLengthMs();

// True when the last write on the replay port was refused because it would
// change the controller: a recorded drive has nothing to change.
bool replayWriteRefused();
extern const char ReplayWriteRefusedText[];

extern const PortOps replayPortOps;

#endif
