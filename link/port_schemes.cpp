// The port schemes: one row each, and how each kind of name is read.
// A new scheme is a row here (with a reader of its own, or one of those
// below) and its backend's file; docs/ports.md, "Adding a port scheme".
#include <cctype>
#include <cstring>

#include "link/port_grammar.h"
#include "link/port_net.h"

namespace {

// Any other name: passed on as it is, for the system to say whether it is
// a port.
bool readSerial(const PortScheme&, const char* text, const char*, PortName* out, std::string*) {
    out->rest = out->path = text;
    return true;
}

// "demo" (generation 3), "demo:1" or "demo:3".
bool readDemo(const PortScheme&, const char* text, const char* rest, PortName* out,
              std::string* error) {
    if (strcmp(text, "demo") == 0 || strcmp(rest, "3") == 0 || strcmp(rest, "1") == 0) {
        out->demoGeneration = strcmp(rest, "1") == 0 ? 1 : 3;
        out->path = "demo";
        return true;
    }
    *error = "demo takes generation 1 or 3: demo, demo:1 or demo:3";
    return false;
}

// A file after the prefix ("replay:drive.txt"), opened as it is named.
bool readFile(const PortScheme& row, const char*, const char* rest, PortName* out,
              std::string* error) {
    out->rest = out->path = rest;
    if (*rest == '\0')
        *error = std::string(row.prefixes[0]) + " needs " + row.argument + ", as in " + row.example;
    return *rest != '\0';
}

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}
bool isAddressChar(char c) {
    return isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

// "HOST:PORT" after the prefix (an IPv6 address in brackets: "[::1]:2217");
// the backend opens the whole name.
bool readHostPort(const PortScheme&, const char* url, const char* at, PortName* out,
                  std::string* error) {
    const char* colon = strrchr(at, ':');
    const std::string usage = shownPortName(url) +
                              " is not a network port: give HOST:PORT, as in " +
                              std::string(url, at) + "localhost:2217";
    if (!colon || colon == at) {
        *error = usage;
        return false;
    }
    std::string host(at, colon);
    const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) host = host.substr(1, host.size() - 2);
    for (char c : host)
        if (bracketed ? !isAddressChar(c) : !isHostChar(c)) {
            *error = usage;
            return false;
        }
    unsigned long port = 0;
    const char* p = colon + 1;
    for (; *p >= '0' && *p <= '9' && port <= 65535; ++p) port = port * 10 + unsigned(*p - '0');
    if (p == colon + 1 || *p != '\0' || port == 0 || port > 65535 || host.empty()) {
        *error = usage + " (PORT 1 to 65535)";
        return false;
    }
    out->host = host;
    out->tcpPort = unsigned(port);
    out->path = url;
    return true;
}

}  // namespace

// The usage and the refusals list the rows in this order; the serial ports,
// the row without prefixes, take every name no other row claims.
namespace {

PortScheme PortSchemeTable[] = {
    PortScheme::called("serial ports")
        .withReader(readSerial)
        .withForms("a device path, COMn")
        .withHelp("a device path (/dev/ttyUSB0), a Windows port (COM3)")
        .withExample("COM3"),
    PortScheme::called("demo")
        .withPrefixes("demo", "demo:")
        .withReader(readDemo)
        .withForms("demo, demo:1")
        .withHelp("demo or demo:1 for the built-in simulated controller (generation 3 or 1)")
        .withCompletions("demo demo:1 demo:3")
        .withExample("demo:1"),
    PortScheme::called("replay")
        .withPrefixes("replay:")
        .withReader(readFile)
        .withForms("replay:FILE")
        .withArgument("a recording")
        .withHelp("replay:FILE for a recording")
        .withCompletions("replay:")
        .withFileCompletion()
        .withLeftForComItem()
        .withExample("replay:drive.txt"),
    PortScheme::called("rfc2217")
        .withPrefixes("rfc2217://")
        .withReader(readHostPort)
        .withOps(&netPortOps)
        .withWaitOpen(netPortWaitConnected)
        .withNamedWhole()
        .withLeftForComItem()
        .withForms("rfc2217://HOST:PORT")
        .withHelp("or a network serial port: rfc2217://HOST:PORT")
        .withCompletions("rfc2217://")
        .withExample("rfc2217://localhost:2217"),
    PortScheme::called("socket")
        .withPrefixes("socket://", "tcp://")
        .withReader(readHostPort)
        .withOps(&netPortOps)
        .withWaitOpen(netPortWaitConnected)
        .withNamedWhole()
        .withLeftForComItem()
        .withForms("socket://HOST:PORT")
        .withHelp("or socket://HOST:PORT for raw TCP")
        .withCompletions("socket://")
        .withExample("socket://localhost:4001"),
};

// The row whose first prefix is prefix (nullptr: the row without any).
PortScheme* rowOf(const char* prefix) {
    for (PortScheme& r : PortSchemeTable) {
        const char* first = r.prefixes[0];
        if (prefix ? first && strcmp(first, prefix) == 0 : !first) return &r;
    }
    return nullptr;
}

}  // namespace

PortSchemeRows portSchemes() {
    return {PortSchemeTable, sizeof PortSchemeTable / sizeof PortSchemeTable[0]};
}

const PortScheme* const PortScheme::Serial = rowOf(nullptr);
const PortScheme* const PortScheme::Demo = rowOf("demo");
const PortScheme* const PortScheme::Replay = rowOf("replay:");
const PortScheme* const PortScheme::Rfc2217 = rowOf("rfc2217://");

void registerPortBackend(const PortScheme* row, const PortOps* ops,
                         bool (*prepare)(const PortName& name, std::string* error)) {
    PortScheme& r = PortSchemeTable[row - PortSchemeTable];
    r.ops = ops;
    r.prepare = prepare;
}
