// Fixed-width number texts as the pages draw them: the readings page's
// instruments, the oscilloscope's values and the configuration pages share
// them, and the canvas draws them. Portable.
#ifndef ZUVELS_SHELL_FIELD_TEXT_H
#define ZUVELS_SHELL_FIELD_TEXT_H

#include <cstdint>

// A number formatted whole, of which only the first `count` characters are
// drawn (so voltages are cut, not rounded, and format suffixes never show).
enum { FieldTextSize = 24 };
struct FieldText {
    char text[FieldTextSize];
    int count;
};
FieldText voltsText(double volts);  // "%f", 4 characters: 2.4696 -> "2.46"
FieldText threeDigits(int value);   // "%03dl", 3 characters
FieldText fourDigits(int value);    // "%04dl", 4 characters

// Probe B voltage as shown: inverted for the 5-0 V probe types.
FieldText probeBText(uint8_t voltageB, uint8_t lambdaType);

// Probe A field by throttle sensor type; silverClearRight is the design x up
// to which (30, 155)-(x, 195) is cleared first, 0 when nothing is cleared.
struct ProbeAField {
    FieldText text;
    int silverClearRight;
};
ProbeAField probeAField(uint8_t voltageA, uint8_t lambdaType, uint8_t flagsA);

#endif
