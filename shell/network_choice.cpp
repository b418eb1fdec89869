#include "shell/network_choice.h"

#include <cctype>
#include <cstring>

#include "link/port_grammar.h"
#include "shell/file_system.h"
#include "shell/text_file.h"

const char* const RecentAddressesFileName = "ZuvelS_network.txt";

namespace {

// The prefix each kind is named with; the grammar reads both.
struct KindPrefix {
    NetworkKind kind;
    const char* prefix;
};
const KindPrefix KindPrefixes[] = {
    {NetworkKind::Rfc2217, "rfc2217://"},
    {NetworkKind::RawTcp, "socket://"},
};

const char* prefixOf(NetworkKind kind) {
    for (const KindPrefix& k : KindPrefixes)
        if (k.kind == kind) return k.prefix;
    return KindPrefixes[0].prefix;
}

std::string trimmed(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const char* const RecentKey = "Recent=";
// A recent file is a dozen short lines; anything larger is not one.
const long long MaxRecentFileBytes = 64 * 1024;

}  // namespace

AddressProblem networkPortText(const std::string& typed, NetworkKind kind, std::string* portText) {
    const std::string address = trimmed(typed);
    if (address.empty()) return AddressProblem::Empty;
    const std::string text =
        isNetworkScheme(portSchemeOf(address.c_str())) ? address : prefixOf(kind) + address;
    PortName name;
    std::string error;
    if (!parsePortName(text.c_str(), &name, &error) || !isNetworkScheme(name.scheme))
        return AddressProblem::NotHostPort;
    *portText = text;
    return AddressProblem::None;
}

bool splitNetworkPortText(const std::string& portText, std::string* address, NetworkKind* kind) {
    PortName name;
    std::string error;
    if (!parsePortName(portText.c_str(), &name, &error) || !isNetworkScheme(name.scheme))
        return false;
    *kind = name.scheme == PortScheme::Rfc2217 ? NetworkKind::Rfc2217 : NetworkKind::RawTcp;
    *address = portText.substr(portText.find("://") + 3);
    return true;
}

void rememberAddress(RecentAddresses* recent, const std::string& portText) {
    std::vector<std::string>& ports = recent->ports;
    for (size_t i = 0; i < ports.size(); ++i)
        if (sameText(ports[i], portText)) {
            ports.erase(ports.begin() + long(i));
            break;
        }
    ports.insert(ports.begin(), portText);
    if (ports.size() > RecentAddressCount) ports.resize(RecentAddressCount);
}

namespace {
// One line without its end; false at the end of the file. The file's size
// limit bounds the line.
bool readLine(FILE* f, std::string* line) {
    line->clear();
    int c;
    while ((c = getc(f)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
    if (!line->empty() && line->back() == '\r') line->pop_back();
    return c != EOF || !line->empty();
}
}  // namespace

void readRecentAddresses(FILE* f, RecentAddresses* out) {
    *out = RecentAddresses();
    std::string line, address;
    NetworkKind kind;
    while (readLine(f, &line)) {
        const std::string port = line.compare(0, strlen(RecentKey), RecentKey) == 0
                                     ? trimmed(line.substr(strlen(RecentKey)))
                                     : "";
        if (!port.empty() && splitNetworkPortText(port, &address, &kind)) {
            if (out->ports.size() < RecentAddressCount) out->ports.push_back(port);
            continue;
        }
        out->otherLines.push_back(line);
    }
}

bool writeRecentAddresses(FILE* f, const RecentAddresses& recent) {
    for (const std::string& line : recent.otherLines)
        if (fprintf(f, "%s\n", line.c_str()) < 0) return false;
    for (const std::string& port : recent.ports)
        if (fprintf(f, "%s %s\n", RecentKey, port.c_str()) < 0) return false;
    return true;
}

RecentAddresses loadRecentAddresses(const char* path) {
    RecentAddresses recent;
    std::string error;
    FILE* f = openInputTextFile(path, MaxRecentFileBytes, &error);
    if (!f) {
        // Something we can't read is there: never replace it.
        PathKind kind;
        long long size;
        recent.foreignFile = lookAtPath(path, &kind, &size);
        return recent;
    }
    readRecentAddresses(f, &recent);
    fclose(f);
    return recent;
}

namespace {
bool writeRecent(FILE* f, const void* context) {
    return writeRecentAddresses(f, *static_cast<const RecentAddresses*>(context));
}
}  // namespace

bool saveRecentAddresses(const char* path, const RecentAddresses& recent) {
    if (recent.foreignFile) return false;
    return writeFileReplacing(path, writeRecent, &recent);
}
