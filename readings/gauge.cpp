#include "readings/gauge.h"

#include <cmath>

#include "link/blocks.h"

namespace {
struct GaugeTables {
    ArcPoint needleTip[ArcPointCount];
    ArcPoint tickOuter[ArcPointCount];
    ArcPoint majorTickInner[MajorTickCount];
    ArcPoint minorTickInner[MinorTickCount];
    ArcPoint needleBase[ArcPointCount];
};
GaugeTables G;
}  // namespace

const ArcPoint (&needleTip)[ArcPointCount] = G.needleTip;
const ArcPoint (&tickOuter)[ArcPointCount] = G.tickOuter;
const ArcPoint (&majorTickInner)[MajorTickCount] = G.majorTickInner;
const ArcPoint (&minorTickInner)[MinorTickCount] = G.minorTickInner;
const ArcPoint (&needleBase)[ArcPointCount] = G.needleBase;

namespace {

const int Centre = 130;
const int GaugeOriginX = 495, GaugeOriginY = 40;

// The dial was laid out with pi to five decimals; the tables keep that so
// every point lands on the same pixel as it always has.
double theta(int k) { return k * 1.5 * 3.14159 / 180; }

int q(double v) { return roundUpAboveHalf(v); }

// Offset along the other axis from the circle equation.
double circleOffset(int radius, int c) {
    const int d = Centre - c;
    const int radicand = radius * radius - d * d;
    return std::sqrt(static_cast<double>(radicand < 0 ? 0 : radicand));
}

bool tablesBuilt = false;

}  // namespace

void buildArcTable(int radius, ArcPoint out[ArcPointCount]) {
    const int R = radius;
    int n = 0;
    // Within 45 degrees of the horizontal the sine gives y and the circle x;
    // nearer the vertical the cosine gives x and the circle y, so both
    // offsets stay well conditioned.
    for (int m = 20; m >= 0; --m) {  // lower left, indices 0..20
        const int y = q(R * std::sin(theta(m))) + Centre;
        out[n++] = {Centre - q(circleOffset(R, y)), y};
    }
    for (int j = 1; j <= 60; ++j) {  // upper left, 21..80
        if (j < 30) {
            const int y = Centre - q(R * std::sin(theta(j)));
            out[n++] = {Centre - q(circleOffset(R, y)), y};
        } else {
            const int x = Centre - q(R * std::cos(theta(j)));
            out[n++] = {x, Centre - q(circleOffset(R, x))};
        }
    }
    for (int k = 1; k <= 60; ++k) {  // upper right, 81..140
        const int m = 60 - k;
        if (k <= 30) {
            const int x = q(R * std::cos(theta(m))) + Centre;
            out[n++] = {x, Centre - q(circleOffset(R, x))};
        } else {
            const int y = Centre - q(R * std::sin(theta(m)));
            out[n++] = {q(circleOffset(R, y)) + Centre, y};
        }
    }
    for (int j = 1; j <= 20; ++j) {  // lower right, 141..160
        const int y = q(R * std::sin(theta(j))) + Centre;
        out[n++] = {q(circleOffset(R, y)) + Centre, y};
    }
}

void buildGaugeTables() {
    if (tablesBuilt) return;
    ArcPoint work[ArcPointCount];
    buildArcTable(NeedleTipRadius, G.needleTip);
    buildArcTable(TickOuterRadius, G.tickOuter);
    buildArcTable(MajorTickInnerRadius, work);
    for (int i = 0; i < MajorTickCount; ++i) G.majorTickInner[i] = work[20 * i];
    buildArcTable(MinorTickInnerRadius, work);
    for (int i = 0; i < MinorTickCount; ++i) G.minorTickInner[i] = work[4 * i];
    buildArcTable(NeedleBaseRadius, G.needleBase);
    tablesBuilt = true;
}

int gaugeIndex(int rpm) {
    if (rpm < 0) return 0;
    const int index = rpm / 50;
    return index > GaugeMaxIndex ? GaugeMaxIndex : index;
}

ArcPoint gaugePixel(ArcPoint p, double sx) {
    return {static_cast<int>(sx * GaugeOriginX + sx * p.x),
            static_cast<int>(sx * GaugeOriginY + sx * p.y)};
}

ArcPoint gaugeDesignPixel(int x, int y, double sx) {
    return {static_cast<int>(x * sx), static_cast<int>(y * sx)};
}
