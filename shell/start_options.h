// The program's start options: which backend the link talks to. Portable.
//   --demo, --demo=1, --demo=3   the built-in simulated controller
//   --replay FILE                 a recorded drive played back
#ifndef ZUVELS_SHELL_START_OPTIONS_H
#define ZUVELS_SHELL_START_OPTIONS_H

#include <string>

enum class StartBackend { Ports, Demo, Replay };

struct StartOptions {
    StartBackend backend = StartBackend::Ports;
    int demoGeneration = 3;
    std::string replayFile;
};

// Reads the options from the whole command line as Windows passes it.
StartOptions readStartOptions(const char* commandLine);

// Sets LinkPort for options (portsBackend for the real ports). False with a
// one-line reason when the recording can't be played; LinkPort is then left
// alone.
bool useStartBackend(const StartOptions& options, const struct PortOps* portsBackend,
                     std::string* error);

// Loads the recording at path for the replay backend; false with
// "path: reason" in *error.
bool loadRecording(const char* path, std::string* error);

// The two in-process backends, for the window and lpgctl alike: the
// simulated controller of that generation on the machine's clock, and a
// recording played back (false, LinkPort left alone, when it can't be).
void useDemoBackend(int generation);
bool useReplayFile(const char* path, std::string* error);

#endif
