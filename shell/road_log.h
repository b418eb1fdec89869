// lpgctl log: the readings page's poll cycle, one CSV row a tick, for a
// road test a fitter opens in a spreadsheet or draws with lpgctl plot.
// Portable.
#ifndef ZUVELS_SHELL_ROAD_LOG_H
#define ZUVELS_SHELL_ROAD_LOG_H

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One tick as logged. Values are taken only while the link is up and the
// live block holds a reply (hasValues); otherwise their cells stay empty, so
// a lost link never reads as an engine at 0 rpm.
struct RoadRow {
    std::string time;  // ISO 8601, local time with offset, milliseconds
    uint32_t ms;       // since the log started
    bool linkUp, hasValues;
    int engineSpeed;          // rpm, as the gauge shows it
    double lambdaVolts;       // as shown: 5 - V for the 5-0 V probes
    double throttleVolts;     // as shown: 5 - V for throttle sensor type 1
    int position, reference;  // the readings page's bar and its start-position marker
    int reducerTemperature;   // degrees C
    bool onGas, learn, cutOff, gasOff;
    // Not a column: a status reply came this tick (link_up stays 1 through
    // the misses before the link gives up).
    bool answered;
};

// Column names of the header row, in order; stable, documented in docs/lpgctl.md.
extern const char* const RoadColumns[];
extern const int RoadColumnCount;

// The row for the stores as they stand after a tick.
RoadRow roadRowFromStores(uint32_t ms, const std::string& time);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);
// Header and rows end with CR LF.
std::string csvHeader();
std::string csvRow(const RoadRow& row);

// Splits CSV into records as its bytes come in, so a file is read a piece
// at a time and only one record is held: quoted fields may hold the
// separator, doubled quotes and line breaks. A field keeps at most
// MaxCsvField bytes and a record MaxCsvFields fields (the rest is dropped),
// so a broken or hostile file can't grow one record without end.
enum : size_t { MaxCsvField = 1024, MaxCsvFields = 256 };
// Gets each record; returns false to stop the splitting.
using CsvTake = bool (*)(const std::vector<std::string>& fields, void* context);
struct CsvSplitter {
    char separator = ',';
    // False as soon as take returns false.
    bool feed(const char* data, size_t n, CsvTake take, void* context);
    // The last record when the text does not end with a line break; false
    // when take refuses it.
    bool finish(CsvTake take, void* context);
    bool quoteOpen() const { return quoted && !quoteSeen; }

    std::vector<std::string> fields = std::vector<std::string>(1);
    bool quoted = false, quoteSeen = false, afterCr = false, any = false, full = false;
};
// ';' when the first line holds more semicolons than commas outside quotes
// (as spreadsheets set to a decimal comma save CSV), else ','.
char csvSeparatorOf(const char* text, size_t n);
// Splits CSV text (comma separated) into records of fields; false on a
// quote left open. For small texts: every record is kept.
bool csvParse(const std::string& text, std::vector<std::vector<std::string>>* records);

// ISO 8601 local time of wall-clock milliseconds since 1970, e.g.
// "2026-12-08T05:45:03.120+01:00".
std::string isoLocalTime(int64_t epochMs);
int64_t wallClockMs();

struct RoadLog;
struct RoadLogRun {
    FILE* out;                               // nullptr: rows are only kept
    RoadLog* keep;                           // when not nullptr, each row is kept here too
    uint32_t seconds;                        // 0: until stop is set
    const volatile std::sig_atomic_t* stop;  // set by Ctrl+C
    // Waits between ticks on the machine's clock. The in-process backends
    // (demo, replay) skip their sleeps ahead instead of blocking, which a
    // log in real time must not do; the serial ports sleep either way.
    // Off only for the backends' virtual time in tests.
    bool realTimePacing;
    // Called after each row is written, with the rows so far (may be
    // nullptr): a command's status line.
    void (*afterRow)(const RoadRow& row, long rows, void* context) = nullptr;
    void* context = nullptr;
    // Why a row could not be written (errno), when one couldn't.
    int* writeError = nullptr;
};
// Polls through the link backend in use as the readings page does, at its
// rhythm (the link's poll interval, on the backend's clock), writing and
// flushing a row a tick. Returns the rows written; stops early when a row
// can't be written (*writeFailed set).
long runRoadLog(const RoadLogRun& run, bool* writeFailed);

#endif
