#include <cstdlib>
#include <cstring>

#include "cli/serve.h"

namespace {

// "ADDR:PORT" or "[ADDR]:PORT", with a port of 0..65535 (0: any free one).
bool splitListen(const std::string& text, ServeOptions* o, std::string* error) {
    const size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? "" : text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const char* digits = colon == std::string::npos ? "" : text.c_str() + colon + 1;
    char* end = nullptr;
    const long port = strtol(digits, &end, 10);
    if (host.empty() || *digits == '\0' || *end != '\0' || port < 0 || port > 65535) {
        *error = "--listen takes ADDR:PORT, as in 127.0.0.1:2217, not " + text;
        return false;
    }
    o->host = host;
    o->port = int(port);
    return true;
}

// 1 s to a day: long enough for a client between two requests, short
// enough that a forgotten one frees the controller.
bool readIdle(const char* text, ServeOptions* o, std::string* error) {
    char* end = nullptr;
    const long seconds = strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || seconds < 1 || seconds > 86400) {
        *error = std::string("--idle takes seconds from 1 to 86400, not ") + text;
        return false;
    }
    o->idleSeconds = int(seconds);
    return true;
}

}  // namespace

std::string listenText(const ServeOptions& o) {
    const bool v6 = o.host.find(':') != std::string::npos;
    return (v6 ? "[" + o.host + "]" : o.host) + ":" + std::to_string(o.port);
}

bool readServeOptions(const CliArgs& args, ServeOptions* o, std::string* error) {
    *o = ServeOptions();
    for (int i = 0; i < args.argc; ++i) {
        const char* a = args.argv[i];
        if (strcmp(a, "--allow-writes") == 0) {
            o->allowWrites = true;
        } else if (strcmp(a, "--raw") == 0) {
            o->raw = true;
        } else if (strcmp(a, "--listen") == 0) {
            if (i + 1 >= args.argc) return *error = "--listen needs ADDR:PORT", false;
            if (!splitListen(args.argv[++i], o, error)) return false;
        } else if (strcmp(a, "--idle") == 0) {
            if (i + 1 >= args.argc) return *error = "--idle needs SECONDS", false;
            if (!readIdle(args.argv[++i], o, error)) return false;
        } else {
            *error = std::string(
                         "serve takes --listen ADDR:PORT, --allow-writes, --raw and --idle "
                         "SECONDS, not ") +
                     a;
            return false;
        }
    }
    return true;
}
