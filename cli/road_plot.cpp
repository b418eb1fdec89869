#include "cli/road_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/road_log.h"
#include "shell/text_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#include "stb_easy_font.h"

// ---- reading ----

namespace {

// Cell of the named column; "" when the row is short.
struct Columns {
    int index[16];
    const std::string& cell(const std::vector<std::string>& row, int column) const {
        static const std::string none;
        const int i = index[column];
        return i >= 0 && size_t(i) < row.size() ? row[size_t(i)] : none;
    }
};

enum Column {
    ColTime,
    ColMs,
    ColRpm,
    ColLambda,
    ColThrottle,
    ColPosition,
    ColReference,
    ColTemp,
    ColOnGas,
    ColLinkUp,
    ColumnCount
};
const char* const ColumnNames[ColumnCount] = {
    "time",       "ms",       "engine_speed_rpm",   "lambda_v",
    "throttle_v", "position", "reference_position", "reducer_temp_c",
    "on_gas",     "link_up"};

bool findColumns(const std::vector<std::string>& header, Columns* c, std::string* error) {
    for (int col = 0; col < ColumnCount; ++col) {
        auto it = std::find(header.begin(), header.end(), ColumnNames[col]);
        if (it == header.end()) {
            *error = std::string("no column \"") + ColumnNames[col] + "\" in the header row";
            return false;
        }
        c->index[col] = int(it - header.begin());
    }
    return true;
}

bool number(const std::string& text, double* v) {
    if (text.empty()) return false;
    char* end = nullptr;
    *v = strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(*v);
}

bool sampleFromRow(const std::vector<std::string>& row, const Columns& c, RoadSample* s) {
    double ms;
    if (!number(c.cell(row, ColMs), &ms)) return false;
    *s = RoadSample();
    s->seconds = ms / 1000;
    s->onGas = c.cell(row, ColOnGas) == "1";
    s->linkUp = c.cell(row, ColLinkUp) == "1";
    double* const values[] = {&s->engineSpeed, &s->lambdaVolts, &s->throttleVolts,
                              &s->position,    &s->reference,   &s->temperature};
    s->hasValues = true;
    for (int k = 0; k < 6; ++k) s->hasValues &= number(c.cell(row, ColRpm + k), values[k]);
    return true;
}

}  // namespace

bool roadLogFromCsv(const std::string& text, RoadLog* log, std::string* error) {
    std::vector<std::vector<std::string>> records;
    if (!csvParse(text, &records)) {
        *error = "a quoted field is never closed";
        return false;
    }
    Columns c;
    if (records.empty() || !findColumns(records[0], &c, error)) {
        if (records.empty()) *error = "empty file";
        return false;
    }
    log->samples.clear();
    for (size_t i = 1; i < records.size(); ++i) {
        if (records[i].size() == 1 && records[i][0].empty()) continue;  // blank line
        RoadSample s;
        if (!sampleFromRow(records[i], c, &s)) {
            *error = "row " + std::to_string(i + 1) + " has no time in ms";
            return false;
        }
        if (log->samples.empty()) log->startTime = c.cell(records[i], ColTime);
        log->samples.push_back(s);
    }
    if (log->samples.empty()) *error = "no rows after the header";
    return !log->samples.empty();
}

// Ten days of rows at the fast poll rate.
const long long MaxRoadLogBytes = 2LL << 30;

bool readRoadLog(const char* path, RoadLog* log, std::string* error) {
    std::string text;
    if (!readTextFile(path, MaxRoadLogBytes, &text, error)) return false;
    if (!roadLogFromCsv(text, log, error)) {
        *error = std::string(path) + ": " + *error;
        return false;
    }
    return true;
}

// ---- drawing ----

namespace {

struct Rgb {
    uint8_t r, g, b;
};
const Rgb White = {255, 255, 255}, Black = {0, 0, 0}, Frame = {150, 150, 150},
          Grid = {222, 222, 222}, GasShade = {198, 236, 198}, DownShade = {236, 236, 236},
          TextGrey = {90, 90, 90};

enum : int { Width = 1200, Left = 92, Right = 24, Top = 74, BandHeight = 150, BandGap = 30 };
const int PlotWidth = Width - Left - Right;

struct Canvas {
    Picture& p;
    void put(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= p.width || y >= p.height) return;
        uint8_t* px = &p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
        px[0] = c.r, px[1] = c.g, px[2] = c.b;
    }
    void fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) put(x, y, c);
    }
    // Two pixels thick, so a trace stays visible when the picture is shrunk.
    void line(int x0, int y0, int x1, int y1, Rgb c) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        for (int err = dx + dy;;) {
            fill(x0, y0, x0 + 2, y0 + 2, c);
            if (x0 == x1 && y0 == y1) return;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    // stb's segment font, each unit `scale` pixels; returns the text's width.
    int text(int x, int y, const std::string& s, Rgb c, int scale = 2) {
        std::string ascii = s;
        for (char& ch : ascii)
            if (ch < 32 || ch > 126) ch = '?';
        static float quads[4 * 4 * 2000];
        const int n = stb_easy_font_print(0, 0, &ascii[0], nullptr, quads, sizeof quads);
        for (int q = 0; q < n; ++q) {
            const float* v = &quads[q * 16];  // four vertices of x, y, z, colour
            fill(x + int(v[0] * scale), y + int(v[1] * scale), x + int(v[8] * scale),
                 y + int(v[9] * scale), c);
        }
        return stb_easy_font_width(&ascii[0]) * scale;
    }
};

struct Trace {
    const char* name;
    double RoadSample::*value;
    Rgb colour;
};
struct Band {
    const char* title;
    Trace traces[2];
    int traceCount;
    double floor, minSpan;  // lowest top of the scale
};
const Band Bands[] = {
    {"Engine speed, rpm", {{"", &RoadSample::engineSpeed, {200, 0, 0}}}, 1, 0, 1000},
    {"Lambda, V", {{"", &RoadSample::lambdaVolts, {205, 120, 0}}}, 1, 0, 1},
    {"Throttle, V", {{"", &RoadSample::throttleVolts, {0, 90, 200}}}, 1, 0, 5},
    {"Position",
     {{"position", &RoadSample::position, {0, 0, 128}},
      {"reference", &RoadSample::reference, {200, 0, 170}}},
     2,
     0,
     255},
    {"Reducer temperature, C", {{"", &RoadSample::temperature, {120, 60, 20}}}, 1, 0, 20},
};
const int BandCount = int(sizeof Bands / sizeof Bands[0]);

// 1, 2 or 5 times a power of ten, at least x.
double niceStep(double x) {
    const double p = std::pow(10, std::floor(std::log10(x)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= x) return m * p;
    return 10 * p;
}

struct Scale {
    double lo, hi, step;
};
Scale bandScale(const RoadLog& log, const Band& band) {
    double lo = band.floor, hi = band.floor + band.minSpan;
    for (const RoadSample& s : log.samples) {
        if (!s.hasValues) continue;
        for (int t = 0; t < band.traceCount; ++t) {
            lo = std::min(lo, s.*band.traces[t].value);
            hi = std::max(hi, s.*band.traces[t].value);
        }
    }
    const double step = niceStep((hi - lo) / 5);
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

struct TimeAxis {
    double t0, t1;
    int x(double t) const { return Left + int((t - t0) / (t1 - t0) * (PlotWidth - 1)); }
};

std::string clockText(double seconds) {
    char text[32];
    const long s = long(seconds);
    snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string valueText(double v, double step) {
    char text[32];
    snprintf(text, sizeof text, step < 1 ? "%.1f" : "%.0f", v);
    return text;
}

// Shades each sample's stretch (up to the next sample) by its state.
void shadeStates(Canvas& c, const RoadLog& log, const TimeAxis& ax, int top, int bottom) {
    for (size_t i = 0; i < log.samples.size(); ++i) {
        const RoadSample& s = log.samples[i];
        const double next = i + 1 < log.samples.size() ? log.samples[i + 1].seconds : ax.t1;
        if (!s.linkUp || s.onGas)
            c.fill(ax.x(s.seconds), top, ax.x(next) + 1, bottom, s.linkUp ? GasShade : DownShade);
    }
}

void drawTimeGrid(Canvas& c, const TimeAxis& ax, int top, int bottom, bool labels) {
    for (const TimeTick& t : roadTimeTicks(ax.t0, ax.t1)) {
        c.fill(t.x, top, t.x + 1, bottom, Grid);
        if (labels) c.text(t.labelLeft, bottom + 6, t.label, TextGrey);
    }
}

void drawTrace(Canvas& c, const RoadLog& log, const TimeAxis& ax, const Trace& tr, const Scale& sc,
               int top) {
    auto y = [&](double v) {
        return top + BandHeight - 2 - int((v - sc.lo) / (sc.hi - sc.lo) * (BandHeight - 3));
    };
    const RoadSample* prev = nullptr;
    for (const RoadSample& s : log.samples) {
        if (!s.hasValues) {
            prev = nullptr;  // a gap, not a line across the lost link
            continue;
        }
        if (prev)
            c.line(ax.x(prev->seconds), y(prev->*tr.value), ax.x(s.seconds), y(s.*tr.value),
                   tr.colour);
        else
            c.fill(ax.x(s.seconds), y(s.*tr.value), ax.x(s.seconds) + 2, y(s.*tr.value) + 2,
                   tr.colour);
        prev = &s;
    }
}

void drawBand(Canvas& c, const RoadLog& log, const TimeAxis& ax, const Band& band, int top,
              bool last) {
    const int bottom = top + BandHeight;
    c.fill(Left, top, Left + PlotWidth, bottom, White);
    shadeStates(c, log, ax, top, bottom);
    drawTimeGrid(c, ax, top, bottom, last);
    const Scale sc = bandScale(log, band);
    for (double v = sc.lo; v <= sc.hi + sc.step / 2; v += sc.step) {
        const int y = top + BandHeight - 2 - int((v - sc.lo) / (sc.hi - sc.lo) * (BandHeight - 3));
        c.fill(Left, y, Left + PlotWidth, y + 1, Grid);
        const std::string label = valueText(v, sc.step);
        c.text(Left - 8 - 10 * int(label.size()), y - 6, label, TextGrey);
    }
    // The first trace on top: position over its reference.
    for (int t = band.traceCount - 1; t >= 0; --t) drawTrace(c, log, ax, band.traces[t], sc, top);
    // Frame and title.
    c.fill(Left, top, Left + PlotWidth, top + 1, Frame);
    c.fill(Left, bottom - 1, Left + PlotWidth, bottom, Frame);
    c.fill(Left, top, Left + 1, bottom, Frame);
    c.fill(Left + PlotWidth - 1, top, Left + PlotWidth, bottom, Frame);
    int x = Left + c.text(Left, top - 20, band.title, Black) + 24;
    for (int t = 0; band.traceCount > 1 && t < band.traceCount; ++t) {
        c.fill(x, top - 14, x + 20, top - 10, band.traces[t].colour);
        x += 28 + c.text(x + 28, top - 20, band.traces[t].name, band.traces[t].colour) + 20;
    }
}

void drawHeading(Canvas& c, const RoadLog& log, const TimeAxis& ax) {
    const std::string title = "Road test " + log.startTime + ", " + clockText(ax.t1 - ax.t0) +
                              " (m:ss), " + std::to_string(log.samples.size()) + " readings";
    c.text(Left, 14, title, Black);
    int x = Left;
    c.fill(x, 42, x + 28, 56, GasShade);
    x += 36 + c.text(x + 36, 42, "on gas", Black) + 30;
    c.fill(x, 42, x + 28, 56, DownShade);
    c.text(x + 36, 42, "link down", Black);
}

}  // namespace

std::vector<TimeTick> roadTimeTicks(double t0, double t1) {
    const TimeAxis ax{t0, t1};
    std::vector<TimeTick> ticks;
    const double step = niceStep((ax.t1 - ax.t0) / 10);
    for (double t = std::ceil(ax.t0 / step) * step; t <= ax.t1; t += step) {
        const std::string label = clockText(t);
        ticks.push_back({ax.x(t), ax.x(t) - 12, ax.x(t) - 12 + stb_easy_font_width(&std::string(label)[0]) * 2, label});
    }
    return ticks;
}

Picture drawRoadPlot(const RoadLog& log) {
    Picture p;
    p.width = Width;
    p.height = Top + BandCount * (BandHeight + BandGap) + 10;
    p.rgb.assign(size_t(p.width) * size_t(p.height) * 3, 0xF6);
    Canvas c{p};
    TimeAxis ax{0, 1};
    if (!log.samples.empty()) {
        ax.t0 = log.samples.front().seconds;
        ax.t1 = std::max(log.samples.back().seconds, ax.t0 + 1);
    }
    drawHeading(c, log, ax);
    for (int b = 0; b < BandCount; ++b)
        drawBand(c, log, ax, Bands[b], Top + 16 + b * (BandHeight + BandGap), b == BandCount - 1);
    return p;
}

bool writePng(const char* path, const Picture& picture, std::string* error) {
    if (stbi_write_png(path, picture.width, picture.height, 3, picture.rgb.data(),
                       picture.width * 3))
        return true;
    *error = std::string(path) + ": could not write the picture";
    return false;
}
