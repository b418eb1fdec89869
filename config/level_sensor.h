// The gas level sensor dialog's decisions: the sensor mode, the four level
// thresholds moved with scroll bars, the lamp bar of the tank level and the
// factory thresholds. Portable.
#ifndef ZUVELS_CONFIG_LEVEL_SENSOR_H
#define ZUVELS_CONFIG_LEVEL_SENSOR_H

#include <cstdint>

#include "link/link.h"

// Thresholds between R, 1/4, 2/4, 3/4 and 4/4, lowest first.
enum { ThresholdCount = 4, ThresholdMax = 255, ThresholdPageStep = 10, LevelModeCount = 3 };

// Program-wide, as the dialog is opened again and again.
struct LevelSensorState {
    int working[ThresholdCount];  // what the scroll bars show, Extended.prog1..prog4
    int level;                    // tank level last reported, 0 = reserve
    bool scrollActive;            // a scroll bar is moving: polling waits for its end
};
// Read-only view; the page writes through levelSensorState().
extern const LevelSensorState& levelSensor;
LevelSensorState& levelSensorState();
void resetLevelSensorState();

// Mode list index: first mode when bit 0 is set, else second when bit 7 is,
// else third.
int levelModeIndex(uint8_t options);

struct LevelModeWrite {
    bool send;
    uint8_t value;  // for Addr::Options
};
// The options byte for choosing mode index k, the other bits sent back as
// last read. Nothing for generations other than 1 and 3, while the link is
// down or without a valid ConfigA reply: the other bits would be made up.
LevelModeWrite levelModeWrite(int index, LinkStateKind link, int generation, bool configAValid,
                              uint8_t options);

// Address of threshold t (0 = between R and 1/4).
uint8_t thresholdAddress(int threshold);

struct ThresholdWrite {
    bool send;
    uint8_t address, value;
};
// The write at the end of a scroll movement of threshold t. The working value
// started from the stored Extended block, so nothing is sent unless a
// generation-3 controller answers and that block holds a valid reply: the
// bar would otherwise have moved from zeros or another controller's values.
ThresholdWrite thresholdWrite(int threshold, int value, LinkStateKind link, int generation,
                              bool extendedValid);

struct Lamps {
    bool reserve;
    bool quarter[ThresholdCount];  // [0] = 1/4 .. [3] = 4/4
};
// Level 0 lights the reserve lamp alone, level n (1..4) the n lowest quarter
// lamps, anything above 4 nothing.
Lamps lampsForLevel(int level);

// The drawn part, in pixels of the dialog's client area: a grey background
// behind the level marks and five lamps in a column, 4/4 at the top.
struct LampRect {
    int left, top, right, bottom;
};
const LampRect LevelBackground = {0, 0, 500, 260};
const LampRect QuarterLamp[ThresholdCount] = {
    {20, 158, 40, 178}, {20, 118, 40, 138}, {20, 78, 40, 98}, {20, 38, 40, 58}};  // 1/4 first
const LampRect ReserveLamp = {20, 198, 40, 218};

// What a refresh shows.
struct LevelSensorView {
    int modeIndex;
    bool thresholdsEnabled;  // scroll bars, edit boxes and the factory button
    Lamps lamps;
};
// Thresholds belong to generation 3 in the second and third modes; the lamps
// light only while the controller answers.
LevelSensorView levelSensorView(LinkStateKind link, int generation, uint8_t options, int level);

// Scroll codes of a horizontal scroll bar, numbered as the system numbers them.
enum ScrollCode {
    ScrollLineLeft = 0,
    ScrollLineRight = 1,
    ScrollPageLeft = 2,
    ScrollPageRight = 3,
    ScrollThumbPosition = 4,
    ScrollThumbTrack = 5,
    ScrollToLeft = 6,
    ScrollToRight = 7,
    ScrollEnd = 8,
};
struct ScrollStep {
    int value;   // the working value after the step
    bool write;  // the movement has ended: write value now
};
// One scroll message for working value v. The moving codes set scrollActive;
// the end of the movement clears it and asks for the one write.
ScrollStep scrollThreshold(int value, int code, int thumbPosition, bool* scrollActive);

// The dialog's tick up to the refresh, by the row LevelSensorPoll: status,
// identity, ConfigA, and for generation 3 the Extended block with the level
// and the working values.
// False when skipped (a scroll bar moving or a list dropped down); then
// nothing else happens on that tick.
bool levelSensorPollTick();

// The factory button: ask a generation-3 controller for its factory
// thresholds (command 52), read them and write them back. They are written
// only when this press's Extended read was valid, so a controller that stops
// answering never gets zeros or stale thresholds.
void levelSensorFactoryPress();

#endif
