// The lambda emulation dialog's decisions: the two time lists, the caption,
// the plot's geometry and axis labels, and the square wave of the chosen H
// and L times. Portable.
#ifndef ZUVELS_CONFIG_LAMBDA_EMULATION_H
#define ZUVELS_CONFIG_LAMBDA_EMULATION_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/link.h"
#include "shell/language.h"

// Both lists hold 255 items, index k standing for k + 1 steps of 25 ms.
enum { EmulationTimeItems = 255, EmulationTimeTextSize = 16 };
// "0,025" .. "6,375" for index 0 .. 254.
void emulationTimeText(int index, char* out, size_t cap);
// Index a stored time is shown at: v - 1, and 0 for 0.
inline int emulationTimeIndex(uint8_t value) { return value ? value - 1 : 0; }

// The write for choosing index k in the H list (high) or the L list: k + 1
// steps. Nothing while the link is down or for a generation other than 1 and
// 3: the stores are zeroed then, and the wire address would follow a
// generation read from them.
struct EmulationTimeWrite {
    bool send;
    uint8_t address, value;
};
EmulationTimeWrite emulationTimeWrite(bool high, int index, LinkStateKind link, int generation);

// "<label>:   <item>" of two language entries, each up to 127 characters.
std::u16string emulationCaption(const char16_t* label, const char16_t* item);

// ---- the plot, in pixels of the dialog's client area ----

struct PlotPoint {
    int x, y;
};
struct PlotRect {
    int left, top, right, bottom;
};
const PlotRect PlotArea = {10, 10, 550, 165};
const PlotPoint VerticalAxis[2] = {{45, 20}, {45, 155}};
const PlotPoint VerticalArrow[3] = {{42, 28}, {45, 20}, {48, 29}};
const PlotPoint HorizontalAxis[2] = {{45, 155}, {540, 155}};
const PlotPoint HorizontalArrow[3] = {{532, 152}, {540, 155}, {531, 158}};
const PlotPoint AxisTitleAt = {15, 15};  // "[ V ]"
enum { TickCount = 6, TickLeft = 40, TickRight = 50 };
const int TickY[TickCount] = {145, 125, 105, 85, 65, 45};

enum { WaveLeft = 60, WaveHigh = 45, WaveLow = 145, WaveRightLimit = 540 };
// The start point and at most one point per pixel column up to the limit.
enum { WaveMaxPoints = 1 + (WaveRightLimit - WaveLeft) };

struct PlotText {
    int x, y;
    const char* text;
};
enum { MaxAxisLabels = 6 };
struct AxisLabels {
    int count;
    PlotText label[MaxAxisLabels];
};
// By probe type: 0 and 1 for the 0-1 V probe, 0.8 and 1.6 for type 5,
// 0 to 5 for the rest.
AxisLabels axisLabels(int probeType);

// Points of a state lasting v steps of 25 ms: one per 50 ms, plus two.
inline int waveSegmentPoints(int v) { return v / 2 + 2; }

// The square wave as a polyline from (WaveLeft, WaveHigh): high and low
// segments in turn, counted point by point. A segment's first point stands
// one pixel back, under the last point before it, and draws the vertical
// edge; the count stops before it would pass the limit, so nothing lies
// right of WaveRightLimit. Returns the number of points written (at most
// cap; WaveMaxPoints always suffice).
int wavePoints(int high, int low, PlotPoint* out, int cap);

// Program-wide: the times the wave is drawn for (1 and 1 at start) and
// whether a dialog just opened still waits for its first times.
struct LambdaEmulationState {
    int drawnHigh, drawnLow;
    bool redraw;
};
// Read-only view; the page writes through lambdaEmulationState().
extern const LambdaEmulationState& lambdaEmulation;
LambdaEmulationState& lambdaEmulationState();
void resetLambdaEmulationState();

// The dialog's tick up to the drawing: status, identity and ConfigA. False
// when a list is dropped down; then the tick does nothing at all.
bool lambdaEmulationPollTick();
// True when the wave must be drawn for these times (they changed, or the
// dialog just opened); remembers them and clears the opening mark.
bool lambdaWaveNeedsDrawing(int high, int low);

#endif
