#include "readings/dashboard.h"

#include <cstdio>
#include <cstring>

#include "shell/app_state.h"

ReadingsPageState readingsState = {};
unsigned slowBlockCounter = 0;

void resetReadingsState() {
    readingsState = ReadingsPageState{};
    slowBlockCounter = 0;
}

namespace {

bool generationServed(int generation) { return generation == 1 || generation == 3; }

// Only the first `count` characters of a formatted number are drawn.
FieldText cut(FieldText f, int count) {
    const int len = static_cast<int>(strnlen(f.text, sizeof f.text));
    f.count = len < count ? len : count;
    return f;
}

int lowNibble(uint8_t b) { return b & 0x0F; }
int highNibble(uint8_t b) { return b >> 4; }

}  // namespace

// ---- poll cycle ----

bool readingsPollTick() {
    // A nested message loop of a dialog or a dropped-down list must not see
    // the controller talked to underneath it.
    if (serviceDialogOpen || dropDownOpen) return false;
    pollStatus();
    decodeIdentity();
    if (LinkState == LinkStateKind::Up && generationServed(ControllerGeneration)) {
        readLiveBlock();
        // The configuration changes only when someone writes it, so a
        // quarter of the rate keeps the 50 ms tick short.
        if (++slowBlockCounter > 3) {
            readConfigABlock();
            readConfigBBlock();
            slowBlockCounter = 0;
        }
    }
    return true;
}

bool pollTimerNeedsRearm() { return PollInterval != armedInterval; }

// ---- texts ----

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
    const int probe = lambdaType & 0xF0;
    if (probe == 0x30 || probe == 0x40) v = 5 - v;  // the "5-0 V" probes
    return voltsText(v);
}

int markerOffsetFor(uint8_t voltageB, uint8_t lambdaType) {
    int offset = voltageB;
    if (highNibble(lambdaType) == 0) offset *= 5;  // 0-1 V probe: spread over the bar
    return offset > 255 ? 255 : offset;
}

MarkerColour markerColour(uint8_t flagsA) {
    switch (flagsA & 7) {
    case 1: return MarkerColour::DarkGreen;
    case 4: return MarkerColour::Red;
    default: return MarkerColour::Yellow;
    }
}

StateCells stateCellsFor(uint8_t flagsA) {
    // The first cell lights without counting as "lit" for the learn messages.
    switch (flagsA & 0xF0) {
    case 0x10: return {0, 0};
    case 0x20: return {1, 1};
    case 0x40: return {2, 1};
    case 0x80: return {3, 1};
    default: return {-1, 0};
    }
}

ProbeAField probeAField(uint8_t voltageA, uint8_t lambdaType, uint8_t flagsA) {
    const double v = voltsFromRaw(voltageA);
    ProbeAField p;
    p.silverClearRight = 0;
    switch (lowNibble(lambdaType)) {
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
        p.silverClearRight = lowNibble(lambdaType) == 6 ? 105 : 110;
        snprintf(p.text.text, sizeof p.text.text, "%s", (flagsA & 0x10) ? "OFF" : " ON");
        p.text.count = 3;
        break;
    default: p.text = voltsText(v); break;
    }
    return p;
}

FieldText tpsInertText(uint8_t tpsInert) { return voltsText(tpsInert / 50.0 + 0.02); }

FieldText switchOnTempText(uint8_t lpgOnTemp) {
    int t = temperatureFromRaw(lpgOnTemp);
    if (t > 100) t = 100;
    if (t < 0) t = 0;
    FieldText f;
    snprintf(f.text, sizeof f.text, "%02d", t);
    f.count = static_cast<int>(strnlen(f.text, sizeof f.text));
    return f;
}

Band toleranceBand(uint8_t attInit, uint8_t below, uint8_t above) {
    const int m = attInit + BarOrigin;
    const int left = m - below;
    const int right = m + above;
    return {left < BarOrigin ? BarOrigin : left, right > BandRightLimit ? BandRightLimit : right};
}

int jumpMarkerOffset(int generation, uint8_t attInit, uint8_t attJump) {
    if (generation != 3) return attJump;
    const int j = attInit + (attInit * attJump) / 100;
    return j > 255 ? 255 : j;
}

bool jumpMarkerShown(uint8_t lambdaType, uint8_t options) {
    const int type = lowNibble(lambdaType);
    if (type == 2 || type == 3 || type == 6 || type == 7) return false;
    return (options & 0x08) != 0;
}

int engineSpeedShown(const LiveBlock& live) {
    if (live.rpmPeriodHi == 255) return 0;
    return rpmFromBytes(live.rpmPeriodHi, live.rpmPeriodLo);
}

bool tickIsRed(uint8_t options, int redZoneRpm, int rpmPerTick, int tick) {
    return (options & 0x40) != 0 && redZoneRpm / rpmPerTick < tick;
}

// ---- status area ----

namespace {

struct LineWriter {
    StatusView& view;
    void text(int line, int entry, bool red = false) { view.lines[line - 1] = {entry, red}; }
    void blank(int line, bool red = false) { view.lines[line - 1] = {LineBlank, red}; }
};

}  // namespace

StatusView decideStatus(LinkStateKind link, int generation, const LiveBlock& live,
                        const ConfigABlock& configA, const ConfigBBlock& configB, int rpmShown,
                        ReadingsPageState& st) {
    StatusView view;
    for (StatusLine& l : view.lines) l = {LineUntouched, false};
    view.fuel = FuelBox::Unchanged;
    LineWriter w{view};
    const uint8_t f = live.flagsB;

    if (link == LinkStateKind::Down) {
        w.text(1, EntryLinkLost, true);
        w.text(3, EntryLinkLostHint);
        w.blank(2), w.blank(4), w.blank(5);
        st.gasOnShown = 0;
        view.fuel = FuelBox::Petrol;
    } else if (!generationServed(generation)) {
        w.text(1, EntryUnsupported, true);
        w.blank(2), w.blank(3), w.blank(4), w.blank(5);
    } else if (!(live.flagsA & 0x08)) {
        w.text(3, EntryNotReady, true);
        w.text(1, EntryNotOnGas);
        w.blank(2), w.blank(4), w.blank(5);
        st.gasOnShown = 0;
        view.fuel = FuelBox::Petrol;
    } else if (!(configA.emulType & 0x80)) {
        // Plain view: petrol or gas and nothing more.
        if (f & 0x01) {
            w.text(1, EntryOnGas);
            w.blank(2), w.blank(3), w.blank(4), w.blank(5);
            st.gasOnShown = 1;
            view.fuel = FuelBox::Gas;
        } else {
            w.text(3, EntryPlainPetrol, true);
            w.text(1, EntryNotOnGas);
            w.blank(2), w.blank(4), w.blank(5);
            st.gasOnShown = 0;
            view.fuel = FuelBox::Petrol;
        }
    } else {
        if (f & 0x01) {
            w.text(1, EntryOnGas);
            st.gasOnShown = 1;
            view.fuel = FuelBox::Gas;
        } else {
            w.text(1, EntryNotOnGas);
            st.gasOnShown = 0;
            view.fuel = FuelBox::Petrol;
        }
        if (f & 0x02) {
            st.learnActive = 1;
            w.blank(3);
            if (st.stateCellLit)
                w.text(5, EntryLearnCellLit);
            else
                w.text(5, EntryLearnNoCell, true);
        } else {
            st.learnActive = 0;
            if (st.learnRequested) {
                // Bits 4 and 5 carry the controller's answer to the request.
                st.messageAge = 0;
                if (!(f & 0x10)) {
                    w.text(5, EntryLearnAnswerA, true);
                    st.learnRequested = 0;
                } else if (f & 0x20) {
                    w.text(5, EntryLearnAnswerPending, true);
                } else {
                    w.text(5, EntryLearnAnswerB, true);
                    st.learnRequested = 0;
                }
            }
            if (f & 0x04) {
                w.text(3, EntryGasOff, true);
                if (f & 0x80)
                    w.blank(4, true);
                else
                    w.text(4, EntryGasOffDetail, true);
            } else {
                w.blank(4);
                const bool b7 = (f & 0x80) != 0, b6 = (f & 0x40) != 0;
                if (b7 && b6) {
                    w.blank(2);
                    if (f & 0x08) {
                        w.text(5, EntryCutOff, true);
                    } else if (++st.messageAge > 60) {
                        // A bottom-line message stays 60 ticks, then the
                        // line is kept blank.
                        w.blank(5);
                        --st.messageAge;
                    }
                    if (!(f & 0x08)) w.blank(3);
                } else if (b7) {
                    w.text(3, EntryReady);
                    int entry = EntrySpeedA;
                    if (!(configA.options & 0x10)) {
                        const int switchOn = rpmFromBytes(configB.lpgOnRpmHi, configB.lpgOnRpmLo);
                        entry = switchOn < rpmShown ? EntrySpeedB : EntrySpeedA;
                    }
                    w.text(4, entry, true);
                } else {
                    w.text(3, EntryReady);
                    w.text(4, EntryGasOffDetail, true);
                }
            }
        }
    }

    // The lamp blinks every second tick while learning with a lit cell.
    if (++st.blinkCounter > 1) {
        st.blinkPhase = !st.blinkPhase;
        st.blinkCounter = 0;
    }
    if (!st.learnActive)
        view.lamp = Lamp::Dark;
    else if (!st.stateCellLit)
        view.lamp = Lamp::Lit;
    else
        view.lamp = st.blinkPhase ? Lamp::Lit : Lamp::Dark;
    return view;
}

// ---- learn button ----

LearnPress learnButtonDecision(LinkStateKind link, int generation, ReadingsPageState& st) {
    if (link != LinkStateKind::Up || !generationServed(generation) || !st.gasOnShown)
        return LearnPress::Ignored;
    if (st.learnActive) {
        st.messageAge = 0;
        st.learnRequested = 0;
        return LearnPress::AlreadyActive;
    }
    st.learnRequested = 1;
    return LearnPress::Requested;
}

void sendLearnCommand() { writeParameter(Addr::Command, CmdLearn); }
