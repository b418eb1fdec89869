// The one way a port is named, for the window's --port, lpgctl's --port and
// the tests: one row per port scheme (link/port_schemes.cpp) says how its
// names begin, how they are read, which backend opens them, and how the
// window, lpgctl's usage and the shell completion show them. Adding a scheme
// is a row there and its backend's file: docs/ports.md, "Adding a port
// scheme".
#ifndef ZUVELS_LINK_PORT_GRAMMAR_H
#define ZUVELS_LINK_PORT_GRAMMAR_H

#include <cstddef>
#include <string>

#include "link/port.h"

struct PortScheme;

// A port name as its scheme's row read it.
struct PortName {
    const PortScheme* scheme = nullptr;  // the row that read it
    std::string rest;                    // the serial ports: the name as given; replay: the file
    std::string path;                    // what the row's backend opens
    int demoGeneration = 3;
    std::string host;      // network ports
    unsigned tcpPort = 0;  // network ports: 1..65535
};

struct PortScheme {
    // The backend in messages: "this program has no NAME backend".
    const char* name = nullptr;
    // What a name of this scheme begins with (unused places nullptr). A
    // prefix without a ':' is a whole name ("demo"). The one row without
    // prefixes takes every other name: the serial ports.
    const char* prefixes[3] = {nullptr, nullptr, nullptr};
    // Reads a name of the row (text whole, rest after its prefix) into *out,
    // its path included; false with one line saying what should have been
    // given in *error.
    bool (*read)(const PortScheme& row, const char* text, const char* rest, PortName* out,
                 std::string* error) = nullptr;
    // The backend: the rows of link/'s own backends name theirs here; the
    // program registers the others (registerPortBackend). nullptr: this
    // program has none.
    const PortOps* ops = nullptr;
    // Sets the backend up for a name (the simulated controller's generation,
    // a recording loaded); false with one line in *error. nullptr: nothing.
    bool (*prepare)(const PortName& name, std::string* error) = nullptr;
    // lpgctl waits up to ms for an open port to be usable (a network
    // connect); false with one line naming the port. nullptr: usable at once.
    bool (*waitOpen)(PortId h, uint32_t ms, std::string* error) = nullptr;
    // The port is named by its whole name rather than a COM number: the
    // window checks no COM item for it, names it in the link error box with
    // why it can't be reached and never writes it to ZuvelS.ini; a malformed
    // name reaches its backend, which says what is wrong in that box.
    bool namedWhole = false;
    // A COM item chosen in the window returns from it to the serial ports
    // (a network port, a recording played back; the simulated controller
    // stays).
    bool leftForComItem = false;
    // Its forms where a name fits no row: "rfc2217://HOST:PORT".
    const char* forms = nullptr;
    // What follows the prefix, where it is missing: "a recording".
    const char* argument = nullptr;
    // Its phrase in lpgctl's usage ("replay:FILE for a recording"); the
    // phrases are joined with ", " into one sentence, "PORT is ...".
    const char* help = nullptr;
    // What the shell completion offers for it (blank-separated), and whether
    // it completes a file name after its first prefix.
    const char* completions = nullptr;
    bool completesFiles = false;
    // A name of the scheme, which reads back to this row (the tests hold
    // every row to it).
    const char* example = nullptr;

    // A row is written field by field under the fields' names, as
    // link/port_schemes.cpp does, from PortScheme::called.
    typedef bool (*ReadFn)(const PortScheme& row, const char* text, const char* rest, PortName* out,
                           std::string* error);
    typedef bool (*PrepareFn)(const PortName& name, std::string* error);
    typedef bool (*WaitOpenFn)(PortId h, uint32_t ms, std::string* error);
    // Copies of this one with one entry set, for the named steps below.
    template <typename F>
    constexpr PortScheme with(F PortScheme::*field, F value) const {
        PortScheme s = *this;
        s.*field = value;
        return s;
    }

    static constexpr PortScheme called(const char* n) {
        PortScheme s{};
        s.name = n;
        s.forms = s.argument = s.help = s.completions = s.example = "";
        return s;
    }
    constexpr PortScheme withPrefixes(const char* a, const char* b = nullptr) const {
        PortScheme s = *this;
        s.prefixes[0] = a;
        s.prefixes[1] = b;
        return s;
    }
    constexpr PortScheme withReader(ReadFn f) const { return with(&PortScheme::read, f); }
    constexpr PortScheme withOps(const PortOps* o) const { return with(&PortScheme::ops, o); }
    constexpr PortScheme withWaitOpen(WaitOpenFn f) const { return with(&PortScheme::waitOpen, f); }
    constexpr PortScheme withNamedWhole() const { return with(&PortScheme::namedWhole, true); }
    constexpr PortScheme withLeftForComItem() const {
        return with(&PortScheme::leftForComItem, true);
    }
    constexpr PortScheme withForms(const char* t) const { return with(&PortScheme::forms, t); }
    constexpr PortScheme withArgument(const char* t) const {
        return with(&PortScheme::argument, t);
    }
    constexpr PortScheme withHelp(const char* t) const { return with(&PortScheme::help, t); }
    constexpr PortScheme withCompletions(const char* t) const {
        return with(&PortScheme::completions, t);
    }
    constexpr PortScheme withFileCompletion() const {
        return with(&PortScheme::completesFiles, true);
    }
    constexpr PortScheme withExample(const char* t) const { return with(&PortScheme::example, t); }

    // The rows the program names: the serial ports (the registered
    // platform backend), and those whose backend lives above link/ or tells
    // its own schemes apart.
    static const PortScheme* const Serial;
    static const PortScheme* const Demo;
    static const PortScheme* const Replay;
    static const PortScheme* const Rfc2217;
};

// The rows, in the order the usage and the refusals list them.
struct PortSchemeRows {
    const PortScheme* first;
    size_t count;
    const PortScheme* begin() const { return first; }
    const PortScheme* end() const { return first + count; }
};
PortSchemeRows portSchemes();

// Sets the backend of a row whose backend lives above link/ (the program's
// serial ports, the simulated controller, replay).
void registerPortBackend(const PortScheme* row, const PortOps* ops,
                         bool (*prepare)(const PortName& name, std::string* error));

// The row text belongs to by its prefix, even when the rest is malformed;
// the serial ports' row for any other text.
const PortScheme* portSchemeOf(const char* text);

// Reads text into *out; false with one line saying what is wrong (and with
// what should have been given) in *error. A serial name is passed on as it
// is: whether it is a port is the system's to say.
bool parsePortName(const char* text, PortName* out, std::string* error);

// text as an error line may show it: control bytes (a line break in a
// scripted argument) as '?', so the line stays one line.
std::string shownPortName(const char* text);

// True for the rows of the network backend (rfc2217://, socket://).
bool isNetworkScheme(const PortScheme* s);

// The n of "COMn" or "\\.\COMn" (any case) for 1..256; 0 for any other text.
int comPortNumber(const char* text);

// lpgctl's usage sentence of PORT, from the rows' phrases, wrapped at width
// columns, each line ending in '\n'.
std::string portUsageText(size_t width);

#endif
