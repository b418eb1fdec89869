#include "shell/start_options.h"

#include <cstring>

#include "link/link.h"
#include "link/port_backends.h"
#include "link/port_grammar.h"
#include "sim/replay.h"
#include "shell/text_file.h"
#include "sim/sim.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsWord(char c) { return c == '\0' || isBlank(c) || c == '"'; }

// Where option starts as a word of commandLine, the text just after it;
// nullptr when it isn't there.
const char* findOption(const char* commandLine, const char* option) {
    const size_t n = strlen(option);
    for (const char* p = commandLine; (p = strstr(p, option)) != nullptr; p += n) {
        if (p == commandLine || isBlank(p[-1]) || p[-1] == '"') return p + n;
    }
    return nullptr;
}

// "--demo" for generation 3, "--demo=1" or "--demo=3"; 0 when absent.
int demoGeneration(const char* commandLine) {
    for (const char* p = commandLine; (p = findOption(p, "--demo")) != nullptr;) {
        if (endsWord(*p)) return 3;
        if (p[0] == '=' && (p[1] == '1' || p[1] == '3') && endsWord(p[2])) return p[1] - '0';
    }
    return 0;
}

// The word after option (or after "option="), quoted or not.
bool optionWord(const char* commandLine, const char* option, std::string* file) {
    for (const char* p = commandLine; (p = findOption(p, option)) != nullptr;) {
        if (*p == '\0' || *p == '"') {
            file->clear();  // named without a file: refused when used
            return true;
        }
        if (*p != '=' && !isBlank(*p)) continue;
        ++p;
        while (isBlank(*p)) ++p;
        const bool quoted = *p == '"';
        const char* start = quoted ? p + 1 : p;
        const char* end = start;
        while (*end && (quoted ? *end != '"' : !isBlank(*end))) ++end;
        file->assign(start, end);
        return true;
    }
    return false;
}

// Reads --port's name into o: the grammar's demo and replay forms are the
// short options' backends; a network name is kept whole, even when it is
// malformed: the link error box then names it.
void readPortOption(const std::string& text, StartOptions* o) {
    PortName name;
    std::string error;
    const bool ok = parsePortName(text.c_str(), &name, &error);
    if (namesNetworkPort(text.c_str()) || (ok && isNetworkScheme(name.scheme))) {
        o->backend = StartBackend::Network;
        o->portName = text;
    } else if (!ok) {
        o->error = error;
    } else if (name.scheme == PortScheme::Demo) {
        o->backend = StartBackend::Demo;
        o->demoGeneration = name.demoGeneration;
    } else if (name.scheme == PortScheme::Replay) {
        o->backend = StartBackend::Replay;
        o->replayFile = name.rest;
    } else {
        o->portName = text;
    }
}

std::string chosenStartPort;

}  // namespace

const std::string& startPortName() { return chosenStartPort; }
const PortOps* serialPortsBackend() { return portBackendFor(PortScheme::Serial).ops; }

bool loadRecording(const char* path, std::string* error) {
    FILE* f = openInputFile(path, MaxRecordingBytes, error);
    if (!f) return false;
    const bool ok = replayLoadFile(f, MaxRecordingBytes, error);
    fclose(f);
    if (!ok) *error = std::string(path) + ": " + *error;
    return ok;
}

namespace {

// The simulated controller of name's generation, on the machine's clock.
bool prepareDemo(const PortName& name, std::string*) {
    SimConfig config;
    config.generation = name.demoGeneration;
    simPortUseRealTime(true);
    simPortSetup(config);
    return true;
}

bool prepareReplay(const PortName& name, std::string* error) {
    return loadRecording(name.rest.c_str(), error);
}

// LinkPort for name, through the backends' table; left alone on failure.
bool useRow(const PortName& name, std::string* error) {
    registerInProcessBackends();
    const PortBackend& row = portBackendFor(name.scheme);
    if (row.prepare && !row.prepare(name, error)) return false;
    LinkPort = row.ops;
    return true;
}

}  // namespace

void registerInProcessBackends() {
    registerPortBackend({PortScheme::Demo, &simPortOps, prepareDemo});
    registerPortBackend({PortScheme::Replay, &replayPortOps, prepareReplay});
}

void useDemoBackend(int generation) {
    PortName name;
    name.scheme = PortScheme::Demo;
    name.demoGeneration = generation;
    std::string unused;
    useRow(name, &unused);
}

bool useReplayFile(const char* path, std::string* error) {
    PortName name;
    name.scheme = PortScheme::Replay;
    name.rest = path;
    return useRow(name, error);
}

StartOptions readStartOptions(const char* commandLine) {
    StartOptions o;
    std::string port;
    if (optionWord(commandLine, "--port", &port)) {
        readPortOption(port, &o);
    } else if (optionWord(commandLine, "--replay", &o.replayFile)) {
        o.backend = StartBackend::Replay;
    } else if (const int gen = demoGeneration(commandLine)) {
        o.backend = StartBackend::Demo;
        o.demoGeneration = gen;
    }
    return o;
}

bool useStartBackend(const StartOptions& options, const PortOps* portsBackend, std::string* error) {
    registerPortBackend({PortScheme::Serial, portsBackend, nullptr});
    registerInProcessBackends();
    chosenStartPort.clear();
    if (!options.error.empty()) {
        *error = options.error;
        return false;
    }
    switch (options.backend) {
    case StartBackend::Ports:
        LinkPort = portBackendFor(PortScheme::Serial).ops;
        chosenStartPort = options.portName;
        return true;
    case StartBackend::Network:
        // Even a malformed name: the link error box then names it.
        LinkPort = portBackendFor(PortScheme::Rfc2217).ops;
        chosenStartPort = options.portName;
        return true;
    case StartBackend::Demo: useDemoBackend(options.demoGeneration); return true;
    case StartBackend::Replay:
        if (options.replayFile.empty()) {
            *error = "--replay needs the recording's file name";
            return false;
        }
        return useReplayFile(options.replayFile.c_str(), error);
    }
    return false;
}
