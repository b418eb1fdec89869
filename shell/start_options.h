// The program's start options: which port the link talks to. Portable.
//   --port PORT                   any port of the port grammar (link/port_grammar.h)
//   --demo, --demo=1, --demo=3   the built-in simulated controller (--port demo:N)
//   --replay FILE                 a recorded drive played back (--port replay:FILE)
#ifndef ZUVELS_SHELL_START_OPTIONS_H
#define ZUVELS_SHELL_START_OPTIONS_H

#include <string>

struct StartOptions {
    // The port in the port grammar ("demo:1" for --demo=1, "replay:FILE"
    // for --replay FILE, --port's as given); "": the serial ports of
    // ZuvelS.ini.
    std::string port;
    std::string error;  // a port that isn't one, in one line
};

// Reads the options from the whole command line as Windows passes it.
StartOptions readStartOptions(const char* commandLine);

// Registers portsBackend as the serial ports' backend and chooses the
// backend of options' port through its row. False with a one-line reason
// when the port isn't one or the recording can't be played; LinkPort is
// then left alone.
bool useStartBackend(const StartOptions& options, const struct PortOps* portsBackend,
                     std::string* error);

// The port --port named for this run (a port named whole, or COMn),
// selected once ZuvelS.ini has been read and never written to it; "" when
// none.
const std::string& startPortName();

// Loads the recording at path for the replay backend; false with
// "path: reason" in *error.
bool loadRecording(const char* path, std::string* error);

// Registers the two in-process backends in their rows (link/port_grammar.h),
// for the window and lpgctl alike: the simulated controller on the
// machine's clock, and a recording played back. Both do it before they
// choose a backend.
void registerInProcessBackends();

#endif
