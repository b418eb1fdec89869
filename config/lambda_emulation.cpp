#include "config/lambda_emulation.h"

#include <cstdio>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "link/poll_plan.h"
#include "shell/app_state.h"

namespace {
LambdaEmulationState lambdaEmulationOwned = {1, 1, false};
}

const LambdaEmulationState& lambdaEmulation = lambdaEmulationOwned;
LambdaEmulationState& lambdaEmulationState() { return lambdaEmulationOwned; }

void resetLambdaEmulationState() { lambdaEmulationOwned = LambdaEmulationState{1, 1, false}; }

void emulationTimeText(int index, char* out, size_t cap) {
    if (!out || cap == 0) return;
    const long ms = 25L * (index + 1);
    snprintf(out, cap, "%ld,%03ld", ms / 1000, ms % 1000);
}

EmulationTimeWrite emulationTimeWrite(bool high, int index, LinkStateKind link, int generation) {
    if (link != LinkStateKind::Up || (generation != 1 && generation != 3) || index < 0 ||
        index >= EmulationTimeItems)
        return EmulationTimeWrite{false, 0, 0};
    return EmulationTimeWrite{true, high ? Addr::EmulBjTimeHi : Addr::EmulBjTimeLo,
                              static_cast<uint8_t>(index + 1)};
}

std::u16string emulationCaption(const char16_t* label, const char16_t* item) {
    // Each entry is bounded by its table slot.
    std::u16string caption;
    for (int i = 0; label && label[i] && i < LanguageTextSize - 1; ++i) caption += label[i];
    caption += u":   ";
    for (int i = 0; item && item[i] && i < LanguageTextSize - 1; ++i) caption += item[i];
    return caption;
}

AxisLabels axisLabels(int probeType) {
    if (probeType == 0) return AxisLabels{2, {{23, 135, "0"}, {23, 35, "1"}}};
    if (probeType == 5) return AxisLabels{2, {{15, 135, "0.8"}, {15, 35, "1.6"}}};
    return AxisLabels{6,
                      {{23, 135, "0"},
                       {23, 115, "1"},
                       {23, 95, "2"},
                       {23, 75, "3"},
                       {23, 55, "4"},
                       {23, 35, "5"}}};
}

int wavePoints(int high, int low, PlotPoint* out, int cap) {
    if (!out || cap < 1) return 0;
    const int limit = WaveRightLimit - WaveLeft;
    int n = 0;
    out[n++] = PlotPoint{WaveLeft, WaveHigh};
    int i = 0;  // point counter
    bool isHigh = true;
    while (i < limit) {
        const int count = waveSegmentPoints(isHigh ? high : low);
        const int y = isHigh ? WaveHigh : WaveLow;
        for (int j = 0; j < count && i + 1 <= limit && n < cap; ++j, ++i)
            out[n++] = PlotPoint{WaveLeft + i - (j == 0 ? 1 : 0), y};
        if (n >= cap) break;
        isHigh = !isHigh;
    }
    return n;
}

bool lambdaEmulationPollTick() {
    return runPollPlan(LambdaEmulationPoll, pollPausesNow(), nullptr);
}

bool lambdaWaveNeedsDrawing(int high, int low) {
    LambdaEmulationState& s = lambdaEmulationState();
    if (high == s.drawnHigh && low == s.drawnLow && !s.redraw) return false;
    s.redraw = false;
    s.drawnHigh = high;
    s.drawnLow = low;
    return true;
}
