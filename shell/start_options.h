// The program's start options: which backend the link talks to. Portable.
//   --port PORT                   any port of the port grammar (link/port_grammar.h)
//   --demo, --demo=1, --demo=3   the built-in simulated controller (--port demo)
//   --replay FILE                 a recorded drive played back (--port replay:FILE)
#ifndef ZUVELS_SHELL_START_OPTIONS_H
#define ZUVELS_SHELL_START_OPTIONS_H

#include <string>

enum class StartBackend { Ports, Demo, Replay, Network };

struct StartOptions {
    StartBackend backend = StartBackend::Ports;
    int demoGeneration = 3;
    std::string replayFile;
    // Network: the port's whole name; Ports: a COMn given with --port.
    std::string portName;
    std::string error;  // a --port that isn't a port, in one line
};

// Reads the options from the whole command line as Windows passes it.
StartOptions readStartOptions(const char* commandLine);

// Sets LinkPort for options (portsBackend for the real ports). False with a
// one-line reason when the recording can't be played; LinkPort is then left
// alone.
bool useStartBackend(const StartOptions& options, const struct PortOps* portsBackend,
                     std::string* error);

// The port --port named for this run (a network port or COMn), selected
// once ZuvelS.ini has been read and never written to it; "" when none.
const std::string& startPortName();
// The backend of the real serial ports, which a COM menu item returns to.
const struct PortOps* serialPortsBackend();

// Days of frames at the readings page's rhythm; a file beyond it is not a
// recording of ours (the window's recording stops short of it).
const long long MaxRecordingBytes = 1LL << 30;

// Loads the recording at path for the replay backend; false with
// "path: reason" in *error.
bool loadRecording(const char* path, std::string* error);

// The two in-process backends, for the window and lpgctl alike: the
// simulated controller of that generation on the machine's clock, and a
// recording played back (false, LinkPort left alone, when it can't be).
void useDemoBackend(int generation);
// Registers those two in the backends' table (link/port_backends.h); the
// window and lpgctl do it before they choose a backend.
void registerInProcessBackends();
bool useReplayFile(const char* path, std::string* error);

#endif
