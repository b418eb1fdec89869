// The actuator corrections dialog's decisions: four signed corrections, each
// a nibble of one of two controller bytes that depend on the generation.
// Portable.
#ifndef ZUVELS_CONFIG_CORRECTIONS_H
#define ZUVELS_CONFIG_CORRECTIONS_H

#include <cstddef>
#include <cstdint>

#include "link/correction_nibbles.h"
#include "link/link.h"

enum { CorrectionTextSize = 8 };

// Item text of a row's list: the correction of index k is 2k minus the
// row's offset, with a "+" in front of positive values ("-12" .. "+18").
void correctionItemText(int row, int index, char* out, size_t cap);

// The two bytes for a generation: ConfigA's for 1, Extended's for 3.
// served is false for any other generation; valid tells whether their store
// holds a valid reply.
struct CorrectionBytes {
    bool served, valid;
    uint8_t a, b;
};
CorrectionBytes correctionBytes(int generation);

struct CorrectionWrite {
    bool send;
    uint8_t address, value;
};
// The write for choosing index k in a row: the row's nibble replaced, the
// other nibble sent back as last read. Nothing while the link is down or the
// byte's store holds no valid reply: the other nibble would be made up.
CorrectionWrite correctionWrite(int row, int index, LinkStateKind link, int generation);

// The list indexes a refresh selects; none for generations other than 1 and 3.
struct CorrectionSelection {
    bool shown;
    int index[CorrectionRows];
};
CorrectionSelection correctionSelection(int generation);

// The dialog's tick up to the refresh: status, identity and the one block
// the corrections live in. False when skipped because a list is dropped
// down; then neither reads nor refresh happen.
bool correctionsPollTick();

#endif
