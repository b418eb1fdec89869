#include "shell/field_text.h"

#include <cstdio>
#include <cstring>

#include "link/blocks.h"

namespace {

// Only the first `count` characters of a formatted number are drawn.
FieldText cut(FieldText f, int count) {
    const int len = static_cast<int>(strnlen(f.text, sizeof f.text));
    f.count = len < count ? len : count;
    return f;
}

}  // namespace

FieldText voltsText(double volts) {
    FieldText f;
    snprintf(f.text, sizeof f.text, "%f", volts);
    return cut(f, 4);
}

FieldText threeDigits(int value) {
    FieldText f;
    snprintf(f.text, sizeof f.text, "%03dl", value);
    return cut(f, 3);
}

FieldText fourDigits(int value) {
    FieldText f;
    snprintf(f.text, sizeof f.text, "%04dl", value);
    return cut(f, 4);
}

FieldText probeBText(uint8_t voltageB, uint8_t lambdaType) {
    double v = voltsFromRaw(voltageB);
    if (probeInverted(lambdaType)) v = 5 - v;
    return voltsText(v);
}

ProbeAField probeAField(uint8_t voltageA, uint8_t lambdaType, uint8_t flagsA) {
    const double v = voltsFromRaw(voltageA);
    ProbeAField p;
    p.silverClearRight = 0;
    switch (tpsType(lambdaType)) {
    case 1: p.text = voltsText(5 - v); break;
    case 2:
    case 3:
        snprintf(p.text.text, sizeof p.text.text, "_.__");
        p.text.count = 4;
        break;
    case 6:
    case 7:
        // Switch-type sensors: a three-letter state on a cleared patch, as
        // the four-character voltage would otherwise show through.
        p.silverClearRight = tpsType(lambdaType) == 6 ? 105 : 110;
        snprintf(p.text.text, sizeof p.text.text, "%s",
                 (flagsA & FlagsA::SwitchOff) ? "OFF" : " ON");
        p.text.count = 3;
        break;
    default: p.text = voltsText(v); break;
    }
    return p;
}
