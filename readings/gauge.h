// The RPM gauge's dial: integer point tables computed once, and the mapping
// of an engine speed and a table point onto the page. Portable.
#ifndef ZUVELS_READINGS_GAUGE_H
#define ZUVELS_READINGS_GAUGE_H

struct ArcPoint {
    int x, y;
};

enum : int {
    ArcPointCount = 161,  // 1.5 degrees a step over the 240-degree dial
    MajorTickCount = 9,   // one a thousand rpm
    MinorTickCount = 41,  // one every 200 rpm
    GaugeMaxIndex = 160,
};

// Radii of the five tables, in the 260 x 260 gauge box centred on (130, 130).
enum : int {
    NeedleTipRadius = 115,
    TickOuterRadius = 124,
    MajorTickInnerRadius = 110,
    MinorTickInnerRadius = 115,
    NeedleBaseRadius = 20,
};

// Fills out[0..160] with the dial points of radius R (0 < R <= 130).
void buildArcTable(int radius, ArcPoint out[ArcPointCount]);

// The five program-wide tables: read-only views, filled once by
// buildGaugeTables.
extern const ArcPoint (&needleTip)[ArcPointCount];
extern const ArcPoint (&tickOuter)[ArcPointCount];
extern const ArcPoint (&majorTickInner)[MajorTickCount];
extern const ArcPoint (&minorTickInner)[MinorTickCount];
extern const ArcPoint (&needleBase)[ArcPointCount];

// Builds the five tables; later calls do nothing.
void buildGaugeTables();

// Dial index of an engine speed: 50 rpm a step, 8000 rpm full scale.
int gaugeIndex(int rpm);

// Pixel of a gauge-box point: the box sits at design (495, 40), and both
// axes use the horizontal scale so the dial stays round.
ArcPoint gaugePixel(ArcPoint p, double sx);
// Pixel of a design point of the gauge panel (hub, scale numbers).
ArcPoint gaugeDesignPixel(int x, int y, double sx);

#endif
