// What --port names, the backend chosen for it, and opening the link on it.
#ifndef ZUVELS_CLI_CONNECT_H
#define ZUVELS_CLI_CONNECT_H

#include <string>

#include "cli/commands.h"
#include "link/port_grammar.h"

struct PortChoice {
    PortName name;     // as the grammar read it; name.scheme: its row
    std::string path;  // what the backend opens: a serial port's device path, name.path else
    int number = 0;    // COM number when the port was named COMn, else 0
};

// Reads a --port value in the port grammar (link/port_grammar.h). False
// with the reason in *error.
bool parsePortChoice(const char* text, PortChoice* choice, std::string* error);

// The port to use without --port: ZuvelS.ini's on Windows; on Linux there is
// none and *error names the choices. (cli/platform_*.cpp)
bool defaultPortChoice(PortChoice* choice, std::string* error);

// Sets the link's backend and selected port for choice. ExitOk, or an exit
// code after the error line.
int useBackend(const PortChoice& choice);

// The port of args (or the default one), with its backend chosen and the
// port opened once to tell a missing, forbidden or busy port apart.
int openPortOf(const CliArgs& args);

// openPortOf, then status polls until a controller answers. ExitOk when one
// of generation 1 or 3 answers (ControllerGeneration is then set); otherwise
// an exit code after the error line.
int openController(const CliArgs& args);

// After openController: the blocks a settings file of the controller's
// generation needs (Live, ConfigA, ConfigB, and Extended for generation 3)
// read afresh into the stores. ExitOk, or ExitNoController after the error
// line when the controller stops answering them.
int readControllerBlocks();

// For scan, on the device backend: true with a line saying why when the
// device name can't be searched for a reason other than its absence (it is
// no serial port, it is busy, it is forbidden).
bool searchRefusal(const std::string& name, const std::string& path, std::string* message);

// The port in words for messages: "/dev/ttyUSB0", "COM3", "demo".
const std::string& portLabel();

#endif
