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

// Reads --port's name into o. A malformed name of a port named whole is
// kept as it is: the link error box then names it.
void readPortOption(const std::string& text, StartOptions* o) {
    PortName name;
    std::string error;
    if (parsePortName(text.c_str(), &name, &error) || portSchemeOf(text.c_str())->namedWhole)
        o->port = text;
    else
        o->error = error;
}

std::string chosenStartPort;

}  // namespace

const std::string& startPortName() { return chosenStartPort; }

// Days of frames at the readings page's rhythm; a file beyond it is not a
// recording of ours.
const long long MaxRecordingBytes = 1LL << 30;

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

}  // namespace

void registerInProcessBackends() {
    registerPortBackend(PortScheme::Demo, &simPortOps, prepareDemo);
    registerPortBackend(PortScheme::Replay, &replayPortOps, prepareReplay);
}

StartOptions readStartOptions(const char* commandLine) {
    StartOptions o;
    std::string port, file;
    if (optionWord(commandLine, "--port", &port)) {
        readPortOption(port, &o);
    } else if (optionWord(commandLine, "--replay", &file)) {
        o.port = "replay:" + file;
        if (file.empty()) o.error = "--replay needs the recording's file name";
    } else if (const int gen = demoGeneration(commandLine)) {
        o.port = "demo:" + std::to_string(gen);
    }
    return o;
}

bool useStartBackend(const StartOptions& options, const PortOps* portsBackend, std::string* error) {
    registerPortBackend(PortScheme::Serial, portsBackend, nullptr);
    registerInProcessBackends();
    chosenStartPort.clear();
    if (!options.error.empty()) {
        *error = options.error;
        return false;
    }
    if (options.port.empty()) {
        useLinkBackend(portsBackend);
        return true;
    }
    PortName name;
    std::string malformed;
    if (!parsePortName(options.port.c_str(), &name, &malformed)) {
        // Kept whole by readStartOptions: the row's backend says what is wrong.
        name.scheme = portSchemeOf(options.port.c_str());
        name.path = options.port;
    }
    if (!usePortBackend(name, error)) return false;
    if (name.scheme == PortScheme::Serial || name.scheme->namedWhole) chosenStartPort = name.path;
    return true;
}
