// Port names: one reader for every place a port is named.
#include "link/port_grammar.h"

#include <cctype>
#include <cstring>

namespace {

struct Prefix {
    const char* text;
    PortScheme scheme;
};

const Prefix NetworkPrefixes[] = {
    {"rfc2217://", PortScheme::Rfc2217},
    {"socket://", PortScheme::RawTcp},
    {"tcp://", PortScheme::RawTcp},
};

bool startsWith(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

// text as an error line may show it: control bytes (a line break in a
// scripted argument) as '?', so the line stays one line.
std::string shown(const char* text) {
    std::string s(text);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return s;
}

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}
bool isAddressChar(char c) {
    return isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

// "HOST:PORT" (an IPv6 address in brackets: "[::1]:2217").
bool parseHostPort(const char* url, const char* at, PortName* out, std::string* error) {
    const char* colon = strrchr(at, ':');
    const std::string usage = shown(url) + " is not a network port: give HOST:PORT, as in " +
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
    return true;
}

}  // namespace

int comPortNumber(const char* text) {
    if (startsWith(text, "\\\\.\\")) text += 4;
    if (strlen(text) < 4 || toupper(text[0]) != 'C' || toupper(text[1]) != 'O' ||
        toupper(text[2]) != 'M')
        return 0;
    int n = 0;
    for (const char* p = text + 3; *p; ++p) {
        if (*p < '0' || *p > '9' || n > 256) return 0;
        n = n * 10 + (*p - '0');
    }
    return n >= 1 && n <= 256 && text[3] != '0' ? n : 0;
}

bool namesNetworkPort(const char* text) {
    for (const Prefix& p : NetworkPrefixes)
        if (startsWith(text, p.text)) return true;
    return false;
}

bool parsePortName(const char* text, PortName* out, std::string* error) {
    *out = PortName();
    for (const Prefix& p : NetworkPrefixes) {
        if (!startsWith(text, p.text)) continue;
        out->scheme = p.scheme;
        return parseHostPort(text, text + strlen(p.text), out, error);
    }
    if (strcmp(text, "demo") == 0 || strcmp(text, "demo:3") == 0 || strcmp(text, "demo:1") == 0) {
        out->scheme = PortScheme::Demo;
        out->demoGeneration = strcmp(text, "demo:1") == 0 ? 1 : 3;
        return true;
    }
    if (startsWith(text, "demo:")) {
        *error = "demo takes generation 1 or 3: demo, demo:1 or demo:3";
        return false;
    }
    if (startsWith(text, "replay:")) {
        out->scheme = PortScheme::Replay;
        out->rest = text + strlen("replay:");
        if (out->rest.empty()) *error = "replay: needs a recording, as in replay:drive.txt";
        return !out->rest.empty();
    }
    if (*text == '\0' || strstr(text, "://")) {
        *error = *text ? shown(text) + " is not a port: " : std::string("--port needs a port: ");
        *error +=
            "a device path, COMn, demo, demo:1, replay:FILE, rfc2217://HOST:PORT or "
            "socket://HOST:PORT";
        return false;
    }
    out->rest = text;
    return true;
}
