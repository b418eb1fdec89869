// Where the controller keeps the four actuator corrections: a signed
// correction in each nibble of two bytes (which bytes depends on the
// generation), and the value each nibble stands for. The corrections dialog
// and lpgctl read them alike. Portable.
#ifndef ZUVELS_LINK_CORRECTION_NIBBLES_H
#define ZUVELS_LINK_CORRECTION_NIBBLES_H

enum { CorrectionRows = 4, CorrectionItems = 16 };

// A nibble n is shown as list index 15 - n and back.
inline int correctionIndexForNibble(int nibble) { return 15 - (nibble & 0x0F); }
inline int correctionNibbleForIndex(int index) { return (15 - index) & 0x0F; }

// Rows 0 and 1 are the low and high nibble of byte A, rows 2 and 3 those of
// byte B.
struct CorrectionField {
    int byte;  // 0 = A, 1 = B
    bool high;
};
CorrectionField correctionField(int row);

// The correction of list index k in a row: 2k minus the row's offset
// (-12 .. +18 in the first row); 0 for a row out of range.
long correctionValue(int row, int index);

#endif
