#include "shell/road_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/road_log.h"
#include "shell/text_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#include "stb_easy_font.h"

// ---- reading ----

namespace {

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

// The writer's ms is 32 bits; values beyond this are no reading of ours.
const double MaxMs = 4294967295.0, MaxValue = 1e6;
// Cells are echoed in errors and the heading only this long.
const size_t CellShown = 40;

// A log being read, one record at a time.
struct LogReader {
    RoadLog* log;
    std::string* error;
    char separator = ',';
    int index[ColumnCount] = {};
    long row = 0;  // of the file, the header is row 1
    bool header = true;

    const std::string& cell(const std::vector<std::string>& f, int column) const {
        static const std::string none;
        return size_t(index[column]) < f.size() ? f[size_t(index[column])] : none;
    }
    bool fail(const std::string& why) {
        *error = why;
        return false;
    }
};

// A name as a spreadsheet may have left it: a byte-order mark before the
// first, spaces around.
std::string headerName(const std::string& cell) {
    size_t from = cell.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0, to = cell.size();
    while (from < to && cell[from] == ' ') ++from;
    while (to > from && cell[to - 1] == ' ') --to;
    return cell.substr(from, to - from);
}

bool findColumns(LogReader& r, const std::vector<std::string>& header) {
    for (int col = 0; col < ColumnCount; ++col) {
        r.index[col] = -1;
        for (size_t i = 0; i < header.size() && r.index[col] < 0; ++i)
            if (headerName(header[i]) == ColumnNames[col]) r.index[col] = int(i);
        if (r.index[col] < 0)
            return r.fail(std::string("no column \"") + ColumnNames[col] + "\" in the header row" +
                          (r.separator == ';' ? " (fields separated by ';')" : ""));
    }
    return true;
}

// A finite number; with ';' between fields a decimal comma is taken too.
// A number too large for a double reads as infinite, for the range check
// to refuse.
bool number(const std::string& text, char separator, double* v) {
    char digits[64];
    if (text.empty() || text.size() >= sizeof digits) return false;
    for (size_t i = 0; i <= text.size(); ++i)
        digits[i] = separator == ';' && text[i] == ',' ? '.' : text.c_str()[i];
    char* end = nullptr;
    *v = strtod(digits, &end);
    return *end == '\0';
}

std::string shown(const std::string& cell) { return cell.substr(0, CellShown); }

bool readTime(LogReader& r, const std::vector<std::string>& f, RoadSample* s) {
    const std::string rowText = "row " + std::to_string(r.row);
    const std::string& text = r.cell(f, ColMs);
    double ms;
    if (!number(text, r.separator, &ms)) return r.fail(rowText + " has no time in ms");
    if (!(ms >= 0 && ms <= MaxMs))
        return r.fail(rowText + ": time " + shown(text) + " ms is out of range");
    s->seconds = ms / 1000;
    if (r.log->samples.empty() || s->seconds >= r.log->samples.back().seconds) return true;
    char before[32];
    snprintf(before, sizeof before, "%.0f", r.log->samples.back().seconds * 1000);
    return r.fail(rowText + ": time " + shown(text) + " ms is before the row above's (" + before +
                  " ms); the rows must stay in time order");
}

// Values are all there or the row is a gap; one out of range is an error.
bool readValues(LogReader& r, const std::vector<std::string>& f, RoadSample* s) {
    float* const values[] = {&s->engineSpeed, &s->lambdaVolts, &s->throttleVolts,
                             &s->position,    &s->reference,   &s->temperature};
    s->hasValues = true;
    for (int k = 0; k < 6; ++k) {
        const std::string& text = r.cell(f, ColRpm + k);
        double v = 0;
        const bool read = number(text, r.separator, &v);
        s->hasValues = s->hasValues && read;
        if (read && !(std::fabs(v) <= MaxValue))
            return r.fail("row " + std::to_string(r.row) + ": " + ColumnNames[ColRpm + k] + " " +
                          shown(text) + " is out of range");
        *values[k] = float(v);
    }
    return true;
}

bool takeRecord(const std::vector<std::string>& f, void* context) {
    LogReader& r = *static_cast<LogReader*>(context);
    ++r.row;
    if (r.header) {
        r.header = false;
        return findColumns(r, f);
    }
    if (f.size() == 1 && f[0].empty()) return true;  // a blank line
    RoadSample s = RoadSample();
    if (!readTime(r, f, &s) || !readValues(r, f, &s)) return false;
    s.onGas = r.cell(f, ColOnGas) == "1";
    s.linkUp = r.cell(f, ColLinkUp) == "1";
    if (r.log->samples.empty()) r.log->startTime = shown(r.cell(f, ColTime));
    r.log->samples.push_back(s);
    return true;
}

bool finishLog(CsvSplitter& split, LogReader& r) {
    if (split.quoteOpen()) return r.fail("a quoted field is never closed");
    if (!split.finish(takeRecord, &r)) return false;
    if (r.header) return r.fail("empty file");
    return !r.log->samples.empty() || r.fail("no rows after the header");
}

}  // namespace

void roadLogAdd(RoadLog* log, const RoadRow& row) {
    RoadSample s = RoadSample();
    s.seconds = row.ms / 1000.0;
    s.hasValues = row.hasValues;
    s.onGas = row.onGas;
    s.linkUp = row.linkUp;
    s.engineSpeed = float(row.engineSpeed);
    s.lambdaVolts = float(row.lambdaVolts);
    s.throttleVolts = float(row.throttleVolts);
    s.position = float(row.position);
    s.reference = float(row.reference);
    s.temperature = float(row.reducerTemperature);
    if (log->samples.empty()) log->startTime = row.time;
    log->samples.push_back(s);
}

bool roadLogFromCsv(const std::string& text, RoadLog* log, std::string* error) {
    *log = RoadLog();
    LogReader r{log, error};
    CsvSplitter split;
    split.separator = r.separator = csvSeparatorOf(text.data(), text.size());
    return split.feed(text.data(), text.size(), takeRecord, &r) && finishLog(split, r);
}

// Ten days of rows at the fast poll rate.
const long long MaxRoadLogBytes = 2LL << 30;

namespace {

// The file a piece at a time; the separator from the first piece, which
// holds the header row (or as much of it as tells).
bool readLogFile(FILE* f, RoadLog* log, std::string* error) {
    LogReader r{log, error};
    CsvSplitter split;
    std::vector<char> buffer(1 << 16);
    char* const chunk = buffer.data();
    long long total = 0;
    for (size_t n; (n = fread(chunk, 1, buffer.size(), f)) > 0;) {
        if (total == 0) split.separator = r.separator = csvSeparatorOf(chunk, n);
        if ((total += n) > MaxRoadLogBytes) return r.fail("too large for a file of this kind");
        if (memchr(chunk, '\0', n)) return r.fail("not a text file");
        if (!split.feed(chunk, n, takeRecord, &r)) return false;
    }
    return ferror(f) ? r.fail("could not be read") : finishLog(split, r);
}

}  // namespace

bool readRoadLog(const char* path, RoadLog* log, std::string* error) {
    *log = RoadLog();
    FILE* f = openInputFile(path, MaxRoadLogBytes, error);
    if (!f) return false;
    const bool ok = readLogFile(f, log, error);
    fclose(f);
    if (!ok) *error = std::string(path) + ": " + *error;
    return ok;
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
// Room between the frame and the traces, so a value on the scale's edge or
// a row at the log's start or end is drawn in full, not under the frame.
const int Inset = 5;
const int PlotLeft = Left + Inset, PlotSpan = PlotWidth - 2 * Inset - 2;
const int LabelScale = 2, LabelGap = 28;  // pixels between two time labels at least

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
    float RoadSample::*value;
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
    int top;  // the band's
    // Two-pixel traces from the inset below the top to the inset above the bottom.
    int y(double v) const {
        return top + BandHeight - 3 - Inset -
               int((v - lo) / (hi - lo) * (BandHeight - 4 - 2 * Inset));
    }
};
Scale bandScale(const RoadLog& log, const Band& band, int top) {
    double lo = band.floor, hi = band.floor + band.minSpan;
    for (const RoadSample& s : log.samples) {
        if (!s.hasValues) continue;
        for (int t = 0; t < band.traceCount; ++t) {
            lo = std::min(lo, double(s.*band.traces[t].value));
            hi = std::max(hi, double(s.*band.traces[t].value));
        }
    }
    const double step = niceStep((hi - lo) / 5);
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step, top};
}

// Times as read are within 0..2^32 ms, so x stays an int.
struct TimeAxis {
    double t0, t1;
    int x(double t) const { return PlotLeft + int((t - t0) / (t1 - t0) * PlotSpan); }
};
// At least a second, so a lone row or a few have room; within the times a
// log can hold, so every x and every tick count fits an int.
TimeAxis timeAxisOf(double t0, double t1) {
    const double end = MaxMs / 1000;
    t0 = std::isfinite(t0) ? std::min(std::max(t0, 0.0), end) : 0;
    t1 = std::isfinite(t1) ? std::min(std::max(t1, t0 + 1), end + 1) : t0 + 1;
    return {t0, t1};
}

std::string valueText(double v, double step) {
    char text[32];
    snprintf(text, sizeof text, step < 1 ? "%.1f" : "%.0f", v);
    return text;
}

// A tick's time, as fine as the step between ticks needs: m:ss with
// hours in front on a log of an hour or more, tenths to thousandths for a
// step under a second.
std::string tickText(long long ms, double step, bool hours) {
    const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
    const long s = long(ms / 1000);  // times as read stay within 50 days
    char text[48];
    const int n =
        hours ? snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60)
              : snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    if (decimals) {
        char fraction[8];
        snprintf(fraction, sizeof fraction, "%03d", int(ms % 1000));
        snprintf(text + n, sizeof text - size_t(n), ".%.*s", decimals, fraction);
    }
    return text;
}

int labelWidth(const std::string& text) {
    std::string s = text;
    return stb_easy_font_width(&s[0]) * LabelScale;
}

// Steps a tick may take, in seconds, fine to coarse; beyond the last, whole
// multiples of it.
const double TickSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05,  0.1,   0.2,   0.5,
                            1,     2,     5,     10,   15,   30,    60,    120,   300,
                            600,   900,   1800,  3600, 7200, 10800, 21600, 43200, 86400};

// The finest step whose labels leave LabelGap between them.
double tickStep(const TimeAxis& ax, bool hours) {
    const double pixelsPerSecond = PlotSpan / (ax.t1 - ax.t0);
    const long long endMs = (long long)(ax.t1 * 1000);
    for (int i = 0;; ++i) {
        const int last = int(sizeof TickSteps / sizeof TickSteps[0]) - 1;
        const double step = i <= last ? TickSteps[i] : TickSteps[last] * (i - last + 1);
        if (step * pixelsPerSecond >= labelWidth(tickText(endMs, step, hours)) + LabelGap)
            return step;
    }
}

// Shades each sample's stretch (up to the next sample) by its state: a
// state a column at a time, a lost link over gas over none, so the work
// stays with the picture's width however many rows there are.
void shadeStates(Canvas& c, const RoadLog& log, const TimeAxis& ax, int top, int bottom) {
    std::vector<uint8_t> state(size_t(PlotWidth), 0);
    const size_t n = log.samples.size();
    for (size_t i = 0; i < n; ++i) {
        const RoadSample& s = log.samples[i];
        const int from = i == 0 ? Left : ax.x(s.seconds);
        const int to = i + 1 < n ? ax.x(log.samples[i + 1].seconds) : Left + PlotWidth;
        const uint8_t mark = !s.linkUp ? 2 : s.onGas ? 1 : 0;
        for (int x = from; x < std::max(to, from + 1); ++x)
            state[size_t(x - Left)] = std::max(state[size_t(x - Left)], mark);
    }
    for (int x = 0; x < PlotWidth; ++x)
        if (state[size_t(x)])
            c.fill(Left + x, top, Left + x + 1, bottom,
                   state[size_t(x)] == 2 ? DownShade : GasShade);
}

void drawTimeGrid(Canvas& c, const TimeAxis& ax, int top, int bottom, bool labels) {
    for (const TimeTick& t : roadTimeTicks(ax.t0, ax.t1)) {
        c.fill(t.x, top, t.x + 1, bottom, Grid);
        if (labels) c.text(t.labelLeft, bottom + 6, t.label, TextGrey, LabelScale);
    }
}

// One pixel column of a trace: the values of its rows from lowest to
// highest, the last of them, and whether a line joins it to a neighbour.
struct Stroke {
    int x, lo, hi, last;
    bool joined;
};

// A column's rows as one vertical stroke, or a lone row as a dot.
void drawStroke(Canvas& c, const Stroke& s, Rgb colour) {
    if (s.joined || s.lo != s.hi)
        c.fill(s.x, s.lo, s.x + 2, s.hi + 2, colour);
    else
        c.fill(s.x - 2, s.lo - 2, s.x + 4, s.hi + 4, colour);
}

// Rows that fall into one pixel column reduce to that column's stroke, so
// the drawing is bounded by the picture, not by the number of rows.
void drawTrace(Canvas& c, const RoadLog& log, const TimeAxis& ax, const Trace& tr,
               const Scale& sc) {
    Stroke cur = {0, 0, 0, 0, false};
    bool started = false, gap = true;
    for (const RoadSample& s : log.samples) {
        if (!s.hasValues) {
            gap = true;  // a gap, not a line across the lost link
            continue;
        }
        const int x = ax.x(s.seconds), y = sc.y(s.*tr.value);
        if (started && x == cur.x) {
            cur.lo = std::min(cur.lo, y), cur.hi = std::max(cur.hi, y);
            cur.joined = cur.joined || (!gap && y != cur.last);
            cur.last = y;
            gap = false;
            continue;
        }
        if (started && !gap) c.line(cur.x, cur.last, x, y, tr.colour), cur.joined = true;
        if (started) drawStroke(c, cur, tr.colour);
        cur = Stroke{x, y, y, y, started && !gap};
        started = true, gap = false;
    }
    if (started) drawStroke(c, cur, tr.colour);
}

void drawFrame(Canvas& c, int top, int bottom) {
    c.fill(Left, top, Left + PlotWidth, top + 1, Frame);
    c.fill(Left, bottom - 1, Left + PlotWidth, bottom, Frame);
    c.fill(Left, top, Left + 1, bottom, Frame);
    c.fill(Left + PlotWidth - 1, top, Left + PlotWidth, bottom, Frame);
}

void drawBand(Canvas& c, const RoadLog& log, const TimeAxis& ax, const Band& band, int top,
              bool last) {
    const int bottom = top + BandHeight;
    c.fill(Left, top, Left + PlotWidth, bottom, White);
    shadeStates(c, log, ax, top, bottom);
    drawTimeGrid(c, ax, top, bottom, last);
    const Scale sc = bandScale(log, band, top);
    for (double v = sc.lo; v <= sc.hi + sc.step / 2; v += sc.step) {
        const int y = sc.y(v);
        c.fill(Left, y, Left + PlotWidth, y + 1, Grid);
        const std::string label = valueText(v, sc.step);
        c.text(Left - 8 - 10 * int(label.size()), y - 6, label, TextGrey);
    }
    drawFrame(c, top, bottom);
    // The first trace on top: position over its reference.
    for (int t = band.traceCount - 1; t >= 0; --t) drawTrace(c, log, ax, band.traces[t], sc);
    int x = Left + c.text(Left, top - 20, band.title, Black) + 24;
    for (int t = 0; band.traceCount > 1 && t < band.traceCount; ++t) {
        c.fill(x, top - 14, x + 20, top - 10, band.traces[t].colour);
        x += 28 + c.text(x + 28, top - 20, band.traces[t].name, band.traces[t].colour) + 20;
    }
}

void drawHeading(Canvas& c, const RoadLog& log) {
    const double span =
        log.samples.empty() ? 0 : log.samples.back().seconds - log.samples[0].seconds;
    const bool hours = span >= 3600;
    const std::string title =
        "Road test " + log.startTime + ", " + tickText((long long)(span * 1000), 1, hours) +
        (hours ? " (h:mm:ss), " : " (m:ss), ") + std::to_string(log.samples.size()) + " readings";
    c.text(Left, 14, title, Black);
    int x = Left;
    c.fill(x, 42, x + 28, 56, GasShade);
    x += 36 + c.text(x + 36, 42, "on gas", Black) + 30;
    c.fill(x, 42, x + 28, 56, DownShade);
    c.text(x + 36, 42, "link down", Black);
}

}  // namespace

std::vector<TimeTick> roadTimeTicks(double t0, double t1) {
    const TimeAxis ax = timeAxisOf(t0, t1);
    const bool hours = ax.t1 >= 3600;
    const double step = tickStep(ax, hours);
    // Whole steps, counted, so neither rounding nor a huge time can make
    // the loop run on: the step leaves room for only so many labels.
    const long long first = (long long)std::ceil(ax.t0 / step - 1e-9);
    const long long last = (long long)std::floor(ax.t1 / step + 1e-9);
    std::vector<TimeTick> ticks;
    for (long long k = first; k <= last; ++k) {
        const double t = double(k) * step;
        TimeTick tick;
        tick.x = ax.x(std::min(std::max(t, ax.t0), ax.t1));
        tick.label = tickText(std::llround(t * 1000), step, hours);
        const int w = labelWidth(tick.label);
        tick.labelLeft = std::min(std::max(tick.x - w / 2, 0), Width - w);
        tick.labelRight = tick.labelLeft + w;
        ticks.push_back(tick);
    }
    return ticks;
}

Picture drawRoadPlot(const RoadLog& log) {
    Picture p;
    p.width = Width;
    p.height = Top + BandCount * (BandHeight + BandGap) + 10;
    p.rgb.assign(size_t(p.width) * size_t(p.height) * 3, 0xF6);
    Canvas c{p};
    const TimeAxis ax = log.samples.empty()
                            ? timeAxisOf(0, 1)
                            : timeAxisOf(log.samples.front().seconds, log.samples.back().seconds);
    drawHeading(c, log);
    for (int b = 0; b < BandCount; ++b)
        drawBand(c, log, ax, Bands[b], Top + 16 + b * (BandHeight + BandGap), b == BandCount - 1);
    return p;
}

namespace {

void appendBytes(void* context, void* data, int size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    static_cast<std::vector<uint8_t>*>(context)->insert(
        static_cast<std::vector<uint8_t>*>(context)->end(), bytes, bytes + size);
}

bool writeBytes(FILE* f, const void* context) {
    const std::vector<uint8_t>& png = *static_cast<const std::vector<uint8_t>*>(context);
    return fwrite(png.data(), 1, png.size(), f) == png.size();
}

}  // namespace

// Encoded in memory first, then written as the settings files are: a full
// disk leaves the old picture (or none), never a cut one, and a symlink
// stays a symlink.
bool writePng(const char* path, const Picture& picture, std::string* error) {
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, picture.width, picture.height, 3,
                                picture.rgb.data(), picture.width * 3)) {
        *error = std::string(path) + ": the picture could not be encoded";
        return false;
    }
    // "-": the picture on standard output, whose failure lpgctl names at its end.
    if (strcmp(path, "-") == 0) return fwrite(png.data(), 1, png.size(), stdout), true;
    return writeBinaryFileReplacing(path, writeBytes, &png, error);
}
