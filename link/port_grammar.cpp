// Port names: one reader for every place a port is named, a loop over the
// port schemes' rows (link/port_schemes.cpp).
#include "link/port_grammar.h"

#include <cctype>
#include <cstring>

#include "link/port_net.h"

namespace {

bool startsWith(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

// A prefix without a ':' of its own is a whole name ("demo").
bool claims(const char* prefix, const char* text) {
    return strchr(prefix, ':') ? startsWith(text, prefix) : strcmp(text, prefix) == 0;
}

// The row and the prefix that claim text; the serial ports' row and ""
// for a text no prefix claims.
const PortScheme* claimingRow(const char* text, const char** prefix) {
    for (const PortScheme& row : portSchemes())
        for (const char* p : row.prefixes)
            if (p && claims(p, text)) return *prefix = p, &row;
    *prefix = "";
    return PortScheme::Serial;
}

// "a device path, COMn, demo, ... or socket://HOST:PORT": every row's forms.
std::string everyForm() {
    std::string all;
    const PortSchemeRows rows = portSchemes();
    for (size_t i = 0; i < rows.count; ++i) {
        if (i > 0) all += i + 1 < rows.count ? ", " : " or ";
        all += rows.first[i].forms;
    }
    return all;
}

}  // namespace

std::string shownPortName(const char* text) {
    std::string s(text);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return s;
}

const PortScheme* portSchemeOf(const char* text) {
    const char* prefix;
    return claimingRow(text, &prefix);
}

bool parsePortName(const char* text, PortName* out, std::string* error) {
    *out = PortName();
    const char* prefix;
    const PortScheme* row = claimingRow(text, &prefix);
    // A scheme no row knows ("telnet://") is no serial name either.
    if (row == PortScheme::Serial && (*text == '\0' || strstr(text, "://"))) {
        *error =
            *text ? shownPortName(text) + " is not a port: " : std::string("--port needs a port: ");
        *error += everyForm();
        return false;
    }
    out->scheme = row;
    return row->read(*row, text, text + strlen(prefix), out, error);
}

bool isNetworkScheme(const PortScheme* s) { return s && s->ops == &netPortOps; }

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

std::string portUsageText(size_t width) {
    std::string sentence = "PORT is";
    for (const PortScheme& row : portSchemes())
        sentence += (&row == portSchemes().first ? " " : ", ") + std::string(row.help);
    sentence += ".";
    // Filled word by word up to width.
    std::string text, line;
    for (size_t at = 0; at < sentence.size();) {
        size_t end = sentence.find(' ', at);
        if (end == std::string::npos) end = sentence.size();
        const std::string word = sentence.substr(at, end - at);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = end + 1;
    }
    return text + line + "\n";
}
