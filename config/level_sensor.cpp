#include "config/level_sensor.h"

#include "link/blocks.h"
#include "link/parameters.h"
#include "link/poll_plan.h"
#include "shell/app_state.h"

namespace {
LevelSensorState levelSensorOwned = {};
}

const LevelSensorState& levelSensor = levelSensorOwned;
LevelSensorState& levelSensorState() { return levelSensorOwned; }

void resetLevelSensorState() { levelSensorOwned = LevelSensorState{}; }

namespace {

const uint8_t ThresholdAddresses[ThresholdCount] = {Addr::Prog1, Addr::Prog2, Addr::Prog3,
                                                    Addr::Prog4};

int clampThreshold(int v) { return v < 0 ? 0 : v > ThresholdMax ? ThresholdMax : v; }

void loadWorkingValues() {
    levelSensorState().working[0] = Extended.prog1;
    levelSensorState().working[1] = Extended.prog2;
    levelSensorState().working[2] = Extended.prog3;
    levelSensorState().working[3] = Extended.prog4;
}

}  // namespace

int levelModeIndex(uint8_t options) {
    if (options & Options::LevelModeFirst) return 0;
    if (options & Options::LevelModeSecond) return 1;
    return 2;
}

LevelModeWrite levelModeWrite(int index, LinkStateKind link, int generation, bool configAValid,
                              uint8_t options) {
    if ((generation != 1 && generation != 3) || link != LinkStateKind::Up || !configAValid ||
        index < 0 || index >= LevelModeCount)
        return LevelModeWrite{false, 0};
    const uint8_t modeBits[LevelModeCount] = {Options::LevelModeFirst, Options::LevelModeSecond, 0};
    const int others = options & ~Options::LevelModeMask & 0xFF;
    return LevelModeWrite{true, static_cast<uint8_t>(others | modeBits[index])};
}

uint8_t thresholdAddress(int threshold) {
    return threshold >= 0 && threshold < ThresholdCount ? ThresholdAddresses[threshold] : 0;
}

ThresholdWrite thresholdWrite(int threshold, int value, LinkStateKind link, int generation,
                              bool extendedValid) {
    if (threshold < 0 || threshold >= ThresholdCount || link != LinkStateKind::Up ||
        generation != 3 || !extendedValid)
        return ThresholdWrite{false, 0, 0};
    return ThresholdWrite{true, ThresholdAddresses[threshold],
                          static_cast<uint8_t>(clampThreshold(value))};
}

Lamps lampsForLevel(int level) {
    Lamps l = {};
    l.reserve = level == 0;
    for (int q = 0; q < ThresholdCount; ++q) l.quarter[q] = level >= 1 && level <= 4 && q < level;
    return l;
}

LevelSensorView levelSensorView(LinkStateKind link, int generation, uint8_t options, int level) {
    LevelSensorView v = {};
    v.modeIndex = levelModeIndex(options);
    v.thresholdsEnabled = !(options & Options::LevelModeFirst) && generation == 3;
    if (v.thresholdsEnabled && link == LinkStateKind::Up) v.lamps = lampsForLevel(level);
    return v;
}

ScrollStep scrollThreshold(int value, int code, int thumbPosition, bool* scrollActive) {
    int v = value;
    bool moving = true;
    switch (code) {
    case ScrollLineLeft: v = clampThreshold(value - 1); break;
    case ScrollLineRight: v = clampThreshold(value + 1); break;
    case ScrollPageLeft: v = clampThreshold(value - ThresholdPageStep); break;
    case ScrollPageRight: v = clampThreshold(value + ThresholdPageStep); break;
    case ScrollThumbTrack: v = clampThreshold(thumbPosition); break;
    default: moving = false; break;
    }
    if (moving) *scrollActive = true;
    if (code != ScrollEnd) return ScrollStep{v, false};
    *scrollActive = false;
    return ScrollStep{v, true};
}

bool levelSensorPollTick() {
    const unsigned hold = levelSensor.scrollActive ? PausePageHold : 0u;
    if (!runPollPlan(LevelSensorPoll, pollPausesNow() | hold, nullptr)) return false;
    if (LinkState == LinkStateKind::Up && ControllerGeneration == 3)
        levelSensorState().level = Extended.tankLevel & TankLevelMask;
    loadWorkingValues();
    return true;
}

void levelSensorFactoryPress() {
    pollStatus();
    if (ControllerGeneration != 3) return;
    writeParameter(Addr::Command, CmdGasLevelSensor);
    readExtendedBlock();
    if (!LastBlockReadValid) return;
    const uint8_t values[ThresholdCount] = {Extended.prog1, Extended.prog2, Extended.prog3,
                                            Extended.prog4};
    for (int t = 0; t < ThresholdCount; ++t) writeParameter(ThresholdAddresses[t], values[t]);
}
