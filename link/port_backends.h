// The port backends in one table, and the owning handle of an open port.
//
// Each row is keyed by the grammar's scheme (link/port_grammar.h) and names
// the backend's PortOps and its entries: prepare (sets the backend up for the
// text after the prefix, or says in one line why it can't) and open (an
// instance, or an error text). The network row is built in; the rows of
// backends that live above link/ (the serial ports of the platform, the
// simulated controller, replay) are registered at start-up by whoever links
// them in. The window and lpgctl both pick the backend through usePortBackend.
#ifndef ZUVELS_LINK_PORT_BACKENDS_H
#define ZUVELS_LINK_PORT_BACKENDS_H

#include <string>

#include "link/port.h"
#include "link/port_grammar.h"

// An open port: the ops it was opened with and its id, closed exactly once,
// on destruction or reset, with those same ops (whichever backend is chosen
// by then). Move-only.
class OwnedPort {
public:
    OwnedPort() = default;
    OwnedPort(const PortOps* ops, PortId id) : ops_(ops), id_(ops ? id : InvalidPort) {}
    OwnedPort(OwnedPort&& other) noexcept : ops_(other.ops_), id_(other.id_) {
        other.id_ = InvalidPort;
    }
    OwnedPort& operator=(OwnedPort&& other) noexcept;
    OwnedPort(const OwnedPort&) = delete;
    OwnedPort& operator=(const OwnedPort&) = delete;
    ~OwnedPort() { reset(); }

    bool isOpen() const { return id_ != InvalidPort; }
    PortId id() const { return id_; }
    const PortOps* ops() const { return ops_; }
    // Closes the port (if open); the handle is empty afterwards.
    void reset();
    // Forgets the port without closing it (someone else closes it).
    void release() { id_ = InvalidPort; }

private:
    const PortOps* ops_ = nullptr;
    PortId id_ = InvalidPort;
};

// Opens path with ops: an empty handle when the open fails.
OwnedPort openOwnedPort(const PortOps* ops, const char* path);

struct PortBackend {
    PortScheme scheme;
    const PortOps* ops;  // nullptr: not registered in this program
    // Sets the backend up for name (demo's generation, replay's recording);
    // false with one line in *error. nullptr: nothing to set up.
    bool (*prepare)(const PortName& name, std::string* error);
};

// Adds or replaces the row of backend.scheme.
void registerPortBackend(const PortBackend& backend);
// The row of scheme; its ops are nullptr when nobody registered it.
const PortBackend& portBackendFor(PortScheme scheme);

// What the link opens for a port name: the row's ops and the path its open
// takes (a network port's whole name, replay's file, "demo", the serial
// name as given).
struct PortUse {
    PortName name;
    const PortOps* ops = nullptr;
    std::string path;
};

// Reads text by the grammar, picks its row and prepares it: true with *use
// filled; false with one line in *error (a malformed name, a backend this
// program lacks, a recording that can't be played). LinkPort is not touched.
bool choosePortBackend(const char* text, PortUse* use, std::string* error);

// Opens the port text names through its row: an instance, or an empty
// handle with one line in *error.
OwnedPort openPortBackend(const char* text, std::string* error);

#endif
