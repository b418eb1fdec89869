// The port backends' table and the owning port handle.
#include "link/port_backends.h"

#include "link/link.h"

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

bool preparePortBackend(const PortName& name, std::string* error) {
    const PortScheme& row = *name.scheme;
    if (!row.ops) {
        *error = std::string("this program has no ") + row.name + " backend";
        return false;
    }
    return !row.prepare || row.prepare(name, error);
}

bool usePortBackend(const PortName& name, std::string* error) {
    if (!preparePortBackend(name, error)) return false;
    useLinkBackend(name.scheme->ops);
    return true;
}

bool choosePortBackend(const char* text, PortUse* use, std::string* error) {
    *use = PortUse();
    if (!parsePortName(text, &use->name, error) || !preparePortBackend(use->name, error))
        return false;
    use->ops = use->name.scheme->ops;
    use->path = use->name.path;
    return true;
}

OwnedPort openPortBackend(const char* text, std::string* error) {
    PortUse use;
    if (!choosePortBackend(text, &use, error)) return OwnedPort();
    OwnedPort port = openOwnedPort(use.ops, use.path.c_str());
    if (!port.isOpen()) *error = std::string(text) + " can't be opened";
    return port;
}

bool selectNamedPort(const char* text, std::string* error) {
    PortUse use;
    if (!choosePortBackend(text, &use, error)) return false;
    const int number = comPortNumber(text);
    if (!selectPort(number > 0 ? portTablePath(number) : use.path.c_str(),
                    number > 0 ? number : CommPort)) {
        *error = std::string(text) + " is too long a name for a port";
        return false;
    }
    useLinkBackend(use.ops);
    return true;
}

void selectMenuPort(const char* path, int number) {
    const PortScheme* inUse = schemeInUse();
    if (inUse && inUse->leftForComItem && PortScheme::Serial->ops)
        useLinkBackend(PortScheme::Serial->ops);
    selectPort(path, number);
}

const PortScheme* schemeInUse() {
    for (const PortScheme& row : portSchemes())
        if (row.ops == LinkPort) return &row;
    return nullptr;
}

bool portNamedWhole() {
    const PortScheme* inUse = schemeInUse();
    return inUse && inUse->namedWhole;
}
