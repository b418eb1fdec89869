#include "link/correction_nibbles.h"

namespace {

// Correction of index 0 per row: -12, -10, -20 and -16.
const int RowOffset[CorrectionRows] = {12, 10, 20, 16};

}  // namespace

CorrectionField correctionField(int row) {
    return CorrectionField{row >= 2 ? 1 : 0, row == 1 || row == 3};
}

long correctionValue(int row, int index) {
    return row >= 0 && row < CorrectionRows ? 2L * index - RowOffset[row] : 0;
}
