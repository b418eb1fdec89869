#include "config/corrections.h"

#include <cstdio>

#include "link/blocks.h"
#include "link/parameters.h"
#include "link/poll_plan.h"
#include "shell/app_state.h"

namespace {

bool validRow(int row) { return row >= 0 && row < CorrectionRows; }

}  // namespace

void correctionItemText(int row, int index, char* out, size_t cap) {
    if (!out || cap == 0) return;
    const long value = correctionValue(row, index);
    snprintf(out, cap, value > 0 ? "+%ld" : "%ld", value);
}

CorrectionBytes correctionBytes(int generation) {
    if (generation == 1)
        return CorrectionBytes{true, ConfigAValid, ConfigA.emulDoTimeHi, ConfigA.emulDoTimeLo};
    if (generation == 3)
        return CorrectionBytes{true, ExtendedValid, Extended.zamOtwBj, Extended.zamOtwDo};
    return CorrectionBytes{false, false, 0, 0};
}

CorrectionWrite correctionWrite(int row, int index, LinkStateKind link, int generation) {
    const CorrectionBytes bytes = correctionBytes(generation);
    if (!validRow(row) || index < 0 || index >= CorrectionItems || !bytes.served || !bytes.valid ||
        link != LinkStateKind::Up)
        return CorrectionWrite{false, 0, 0};
    const CorrectionField f = correctionField(row);
    const uint8_t old = f.byte == 0 ? bytes.a : bytes.b;
    const int m = correctionNibbleForIndex(index);
    const int value = f.high ? (old & 0x0F) | (m << 4) : (old & 0xF0) | m;
    // The link adds the generation-3 shift on the wire.
    const uint8_t address = generation == 3
                                ? (f.byte == 0 ? Addr::ZamOtwBj : Addr::ZamOtwDo)
                                : (f.byte == 0 ? Addr::EmulDoTimeHi : Addr::EmulDoTimeLo);
    return CorrectionWrite{true, address, static_cast<uint8_t>(value)};
}

CorrectionSelection correctionSelection(int generation) {
    CorrectionSelection s = {};
    const CorrectionBytes bytes = correctionBytes(generation);
    if (!bytes.served) return s;
    s.shown = true;
    for (int row = 0; row < CorrectionRows; ++row) {
        const CorrectionField f = correctionField(row);
        const uint8_t byte = f.byte == 0 ? bytes.a : bytes.b;
        s.index[row] = correctionIndexForNibble(f.high ? byte >> 4 : byte & 0x0F);
    }
    return s;
}

bool correctionsPollTick() { return runPollPlan(CorrectionsPoll, pollPausesNow(), nullptr); }
