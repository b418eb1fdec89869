// lpgctl plot: a road-test log drawn as one picture, engine speed, lambda,
// throttle, position and reducer temperature over time, one band each, with
// the stretches on gas shaded. Portable; the PNG is written by stb.
#ifndef ZUVELS_SHELL_ROAD_PLOT_H
#define ZUVELS_SHELL_ROAD_PLOT_H

#include <cstdint>
#include <string>
#include <vector>

struct RoadRow;

// One row as drawn, small enough to keep days of rows: floats hold every
// value a log has to well within a pixel.
struct RoadSample {
    double seconds;  // since the log started
    float engineSpeed, lambdaVolts, throttleVolts, position, reference, temperature;
    bool hasValues, onGas, linkUp;
};

struct RoadLog {
    std::string startTime;  // the first row's time cell
    std::vector<RoadSample> samples;
};

// Adds a row as lpgctl log takes it (for log --plot).
void roadLogAdd(RoadLog* log, const RoadRow& row);

// Reads a log as lpgctl log writes it; columns are found by their header
// names, so a log edited in a spreadsheet (columns moved) still reads, and
// one saved with ';' between the fields (decimal commas then allowed) too.
// Times are milliseconds from 0 to 2^32 - 1 in time order and values within
// +-1e6; a row beyond those is refused by its number. False with a one-line
// reason in *error.
bool roadLogFromCsv(const std::string& text, RoadLog* log, std::string* error);
// The file is read a piece at a time; only the samples are kept.
bool readRoadLog(const char* path, RoadLog* log, std::string* error);

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
};
Picture drawRoadPlot(const RoadLog& log);

// The time axis of a plot from t0 to t1 seconds: each tick's x in the
// picture and its label's extent there.
struct TimeTick {
    int x, labelLeft, labelRight;
    std::string label;
};
std::vector<TimeTick> roadTimeTicks(double t0, double t1);
// False with the reason in *error.
bool writePng(const char* path, const Picture& picture, std::string* error);

#endif
