// The port backends' table and the owning port handle.
#include "link/port_backends.h"

#include "link/port_net.h"

OwnedPort& OwnedPort::operator=(OwnedPort&& other) noexcept {
    if (this != &other) {
        reset();
        ops_ = other.ops_;
        id_ = other.id_;
        other.id_ = InvalidPort;
    }
    return *this;
}

void OwnedPort::reset() {
    if (id_ != InvalidPort) ops_->close(id_);
    id_ = InvalidPort;
}

OwnedPort openOwnedPort(const PortOps* ops, const char* path) {
    return OwnedPort(ops, ops ? ops->open(path) : InvalidPort);
}

namespace {

// One row per scheme, in PortScheme's order; the network schemes share the
// built-in network backend.
PortBackend (&table())[5] {
    static PortBackend rows[5] = {
        {PortScheme::Serial, nullptr, nullptr},     {PortScheme::Demo, nullptr, nullptr},
        {PortScheme::Replay, nullptr, nullptr},     {PortScheme::Rfc2217, &netPortOps, nullptr},
        {PortScheme::RawTcp, &netPortOps, nullptr},
    };
    return rows;
}

const char* schemeText(PortScheme s) {
    switch (s) {
    case PortScheme::Serial: return "serial ports";
    case PortScheme::Demo: return "demo";
    case PortScheme::Replay: return "replay";
    case PortScheme::Rfc2217: return "rfc2217";
    case PortScheme::RawTcp: return "socket";
    }
    return "?";
}

// The path the row's open takes for name, given as text.
std::string openPathOf(const PortName& name, const char* text) {
    switch (name.scheme) {
    case PortScheme::Demo: return "demo";
    case PortScheme::Replay: return name.rest;
    default: return text;
    }
}

}  // namespace

void registerPortBackend(const PortBackend& backend) {
    table()[static_cast<int>(backend.scheme)] = backend;
}

const PortBackend& portBackendFor(PortScheme scheme) { return table()[static_cast<int>(scheme)]; }

bool choosePortBackend(const char* text, PortUse* use, std::string* error) {
    *use = PortUse();
    if (!parsePortName(text, &use->name, error)) return false;
    const PortBackend& row = portBackendFor(use->name.scheme);
    if (!row.ops) {
        *error = std::string("this program has no ") + schemeText(row.scheme) + " backend";
        return false;
    }
    if (row.prepare && !row.prepare(use->name, error)) return false;
    use->ops = row.ops;
    use->path = openPathOf(use->name, text);
    return true;
}

OwnedPort openPortBackend(const char* text, std::string* error) {
    PortUse use;
    if (!choosePortBackend(text, &use, error)) return OwnedPort();
    OwnedPort port = openOwnedPort(use.ops, use.path.c_str());
    if (!port.isOpen()) *error = std::string(text) + " can't be opened";
    return port;
}
