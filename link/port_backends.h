// Choosing and opening a port through its scheme's row (link/port_grammar.h),
// and the owning handle of an open port. The window and lpgctl both choose
// their port here, and only here is the link's backend (LinkPort) chosen.
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

// What the link opens for a port name: its row's ops and the path its open
// takes (a network port's whole name, replay's file, "demo", the serial
// name as given).
struct PortUse {
    PortName name;  // name.scheme: the row
    const PortOps* ops = nullptr;
    std::string path;
};

// The backend of name's row, set up for name (usePortBackend: and made the
// link's): false with one line in *error when this program lacks it or it
// can't be set up (a recording that can't be played); nothing changes then.
bool preparePortBackend(const PortName& name, std::string* error);
bool usePortBackend(const PortName& name, std::string* error);

// Reads text by the grammar, picks its row and prepares it: true with *use
// filled; false with one line in *error (a malformed name, a backend this
// program lacks, a recording that can't be played). LinkPort is not touched.
bool choosePortBackend(const char* text, PortUse* use, std::string* error);

// Opens the port text names through its row: an instance, or an empty
// handle with one line in *error.
OwnedPort openPortBackend(const char* text, std::string* error);

// The port text names becomes the link's (a port typed into the window):
// its row's backend, its path selected fresh, with its COM number or, for a
// port named whole, the COM number kept. False with one line, nothing
// changed.
bool selectNamedPort(const char* text, std::string* error);

// A COM port chosen from the window's menu: from a port named whole the
// link returns to the serial ports; the simulated controller and a replay
// stay.
void selectMenuPort(const char* path, int number);

// The row of the backend in use; nullptr for one no row names (a test's,
// lpgctl's recording wrapper).
const PortScheme* schemeInUse();
// True while the port in use is named whole (a network port): the window
// then checks no COM item and names it in the link error box.
bool portNamedWhole();

#endif
