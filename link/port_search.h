// The port search: the state behind the port search dialog and its one step
// per timer tick. Portable: it talks to the ports through the link's PortOps
// backend and reads the system's port list through a PortNameSource.
#ifndef ZUVELS_LINK_PORT_SEARCH_H
#define ZUVELS_LINK_PORT_SEARCH_H

#include <cstdint>

#include "link/port_enum.h"

// Written only by port_search.cpp.
struct PortSearchState {
    bool searchRunning;
    int searchIndex;    // position in FoundPorts of the next port to try
    int searchSize;     // kept between openings of the dialog; 0 before the first search
    int savedCommPort;  // CommPort at the dialog's start, for Cancel
    // The pages behind the dialog wait (serviceDialogOpen) while ports are
    // tried, and poll again once one is chosen or found.
    bool holdsPages;
};
extern const PortSearchState& portSearch;

enum { SearchTickMs = 500, SlowSearchOpenMs = 2000 };

// Dialog start: remembers CommPort for Cancel; the search is idle and holds
// the pages.
void portSearchOpen();
// Back to the start-up state, no search size kept (tests).
void resetPortSearch();

// The search button: enumerates the ports; with at least one, starts the
// search from the first. Returns the number of ports (0 or less: nothing
// to search).
int portSearchBegin(const PortNameSource& source);

// First half of a tick. Idle: nothing to do. Exhausted: the list ran out
// without a find (the search has stopped). Trying: port is about to be
// probed; the progress bar shows progress. Every step but Idle closes the
// port and starts the link's failure count over.
enum class SearchStep { Idle, Exhausted, Trying };
struct SearchTry {
    SearchStep step;
    uint32_t port;
    int progress;
};
SearchTry portSearchNext();

// Second half of a Trying tick: opens and probes the port. True when a
// controller answered there: its status is stored, it is the selected port
// (a fresh selection) and the search has stopped. False when the port was passed over; the next
// tick tries the next one.
bool portSearchProbe(uint32_t port);

// The probe of one port as the search makes it, on a path: open (a port
// slower to open than SlowSearchOpenMs is passed over), the echo probe, the
// status request with one repeat; the port is closed again. True with the
// status reply in answer when a controller answered.
bool controllerAnswersAt(const char* path, uint8_t answer[4]);

// The manual list closed up on entry selection (port selection + 1).
void portSearchChoose(int selection);
// Ok keeps the port of the list's selection; Cancel goes back to the port of
// the dialog's start. Both close the port; neither touches LinkFailed or
// EchoChecked. The caller marks the menu and writes the settings file.
void portSearchKeep(int selection);
void portSearchCancel();

// The port menu's mark for a port: 10 + port up to 9, 20 above.
int portMarkCodeFor(int port);

#endif
