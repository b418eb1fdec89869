// Factory reset: the restore table and the procedure behind the page's
// button, as a sequence of link exchanges. Portable: no <windows.h>.
#ifndef ZUVELS_SERVICE_RESET_H
#define ZUVELS_SERVICE_RESET_H

#include <cstdint>

// The generation-3 restore writes every parameter back, one at a time.
enum : int { RestoreCount = 33, ResetProgressMax = RestoreCount - 1 };
// A generation-1 controller needs time before it confirms the reset.
enum : int { ResetReplyDelayMs = 250 };
// What a generation-1 controller answers in WriteReply.value after a reset.
enum : uint8_t { ResetConfirmed = '3' };

struct RestoreEntry {
    uint8_t address;
    uint8_t value;
};

// The restore table from the block stores as they are now, in sending
// order: every parameter the controller keeps (the version-3 settings keys
// of link/parameters.h), then the minutes on gas; not the command register
// nor the rest of the service data.
void buildRestoreTable(RestoreEntry out[RestoreCount]);

enum class ResetOutcome {
    Done,       // the controller confirmed the reset (and every restored value)
    Failed,     // no link, no valid live block, or a reply missing or wrong
    Refused,    // the controller is in operation (Live.flagsA Ready bit)
    NotServed,  // a generation other than 1 and 3: nothing sent
};

// The whole procedure of one button press. progress(k) is called with 0 at
// the start and with k after restore write k was confirmed; it may be null.
ResetOutcome runFactoryReset(void (*progress)(int position));

#endif
