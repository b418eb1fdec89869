#include "shell/road_log.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "shell/road_plot.h"
#include "link/blocks.h"
#include "link/link.h"
#include "link/poll_plan.h"

const char* const RoadColumns[] = {
    "time",
    "ms",
    "engine_speed_rpm",
    "lambda_v",
    "throttle_v",
    "position",
    "reference_position",
    "reducer_temp_c",
    "on_gas",
    "learn",
    "cut_off",
    "gas_off",
    "link_up",
};
const int RoadColumnCount = int(sizeof RoadColumns / sizeof RoadColumns[0]);

RoadRow roadRowFromStores(uint32_t ms, const std::string& time) {
    RoadRow r = RoadRow();
    r.time = time;
    r.ms = ms;
    r.linkUp = LinkState == LinkStateKind::Up;
    r.answered = r.linkUp && FailureCount == 0;
    const int gen = ControllerGeneration;
    r.hasValues = r.linkUp && LiveValid && (gen == 1 || gen == 3);
    if (!r.hasValues) return r;
    r.engineSpeed = engineSpeedShown(Live);
    r.lambdaVolts = voltsFromRaw(Live.voltageB);
    if (probeInverted(ConfigA.lambdaType)) r.lambdaVolts = 5 - r.lambdaVolts;
    r.throttleVolts = voltsFromRaw(Live.voltageA);
    if (tpsType(ConfigA.lambdaType) == 1) r.throttleVolts = 5 - r.throttleVolts;
    r.position = Live.position;
    r.reference = Live.attInit;
    r.reducerTemperature = temperatureFromRaw(Live.temperatureRaw);
    r.onGas = (Live.flagsB & FlagsB::OnGas) != 0;
    r.learn = (Live.flagsB & FlagsB::LearnActive) != 0;
    r.cutOff = (Live.flagsB & FlagsB::CutOffActive) != 0;
    r.gasOff = (Live.flagsB & FlagsB::GasOff) != 0;
    return r;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string csvHeader() {
    std::string line;
    for (int i = 0; i < RoadColumnCount; ++i) line += (i ? "," : "") + csvField(RoadColumns[i]);
    return line + "\r\n";
}

namespace {

std::string number(const char* format, double v) {
    char text[32];
    snprintf(text, sizeof text, format, v);
    return text;
}

std::string flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string csvRow(const RoadRow& r) {
    std::vector<std::string> cells = {r.time, std::to_string(r.ms)};
    if (r.hasValues) {
        cells.insert(cells.end(),
                     {std::to_string(r.engineSpeed), number("%.3f", r.lambdaVolts),
                      number("%.3f", r.throttleVolts), std::to_string(r.position),
                      std::to_string(r.reference), std::to_string(r.reducerTemperature)});
    } else {
        cells.insert(cells.end(), 6, std::string());
    }
    cells.insert(cells.end(),
                 {flag(r.onGas), flag(r.learn), flag(r.cutOff), flag(r.gasOff), flag(r.linkUp)});
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i ? "," : "") + csvField(cells[i]);
    return line + "\r\n";
}

namespace {

// Ends the record at a line break: hands it on and starts the next.
bool endRecord(CsvSplitter& s, CsvTake take, void* context) {
    const bool go = take(s.fields, context);
    s.fields.resize(1);
    s.fields[0].clear();
    s.any = s.full = false;
    return go;
}

void addToField(CsvSplitter& s, char c) {
    std::string& f = s.fields.back();
    if (!s.full && f.size() < MaxCsvField) f += c;
}

void nextField(CsvSplitter& s) {
    if (s.fields.size() < MaxCsvFields)
        s.fields.emplace_back();
    else
        s.full = true;
}

}  // namespace

bool CsvSplitter::feed(const char* data, size_t n, CsvTake take, void* context) {
    for (size_t i = 0; i < n; ++i) {
        const char c = data[i];
        if (afterCr) {
            afterCr = false;
            if (c == '\n') continue;  // the CR ended the record
        }
        if (quoted) {
            if (quoteSeen) {
                quoteSeen = false;
                if (c == '"') {
                    addToField(*this, c);  // a doubled quote stands for itself
                    continue;
                }
                quoted = false;  // the quote closed the field; c is outside it
            } else {
                if (c == '"')
                    quoteSeen = true;
                else
                    addToField(*this, c);
                continue;
            }
        }
        any = true;
        if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            nextField(*this);
        } else if (c == '\n' || c == '\r') {
            afterCr = c == '\r';
            if (!endRecord(*this, take, context)) return false;
        } else {
            addToField(*this, c);
        }
    }
    return true;
}

bool CsvSplitter::finish(CsvTake take, void* context) {
    return !(any || quoted) || endRecord(*this, take, context);
}

char csvSeparatorOf(const char* text, size_t n) {
    long commas = 0, semicolons = 0;
    bool quoted = false;
    for (size_t i = 0; i < n && (quoted || (text[i] != '\n' && text[i] != '\r')); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (!quoted) commas += text[i] == ',', semicolons += text[i] == ';';
    }
    return semicolons > commas ? ';' : ',';
}

bool csvParse(const std::string& text, std::vector<std::vector<std::string>>* records) {
    records->clear();
    CsvSplitter s;
    const CsvTake keep = [](const std::vector<std::string>& fields, void* to) {
        static_cast<std::vector<std::vector<std::string>>*>(to)->push_back(fields);
        return true;
    };
    s.feed(text.data(), text.size(), keep, records);
    const bool closed = !s.quoteOpen();
    s.finish(keep, records);
    return closed;
}

int64_t wallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoLocalTime(int64_t epochMs) {
    const time_t t = time_t(epochMs / 1000);
    const std::tm local = *std::localtime(&t);
    const std::tm utc = *std::gmtime(&t);
    // The offset from the two broken-down times: portable, unlike %z.
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
    const int offset = days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
    char text[48];
    const size_t n = strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    snprintf(text + n, sizeof text - n, ".%03d%c%02d:%02d", int(epochMs % 1000),
             offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
    return text;
}

namespace {

// Flushed line by line, so an interrupted log keeps every row it wrote.
bool emit(const RoadLogRun& run, const std::string& line) {
    errno = 0;
    if (!run.out || (fputs(line.c_str(), run.out) >= 0 && fflush(run.out) == 0)) return true;
    if (run.writeError) *run.writeError = errno;
    return false;
}

// Until the backend's clock reaches due, or Ctrl+C.
void waitUntil(uint32_t due, const RoadLogRun& run) {
    for (int32_t left; !*run.stop && (left = int32_t(due - LinkPort->tickCount())) > 0;) {
        if (!run.realTimePacing) return LinkPort->sleepMs(uint32_t(left));
        std::this_thread::sleep_for(std::chrono::milliseconds(left < 20 ? left : 20));
    }
}

}  // namespace

long runRoadLog(const RoadLogRun& run, bool* writeFailed) {
    *writeFailed = false;
    const int64_t wallStart = wallClockMs();
    const uint32_t start = LinkPort->tickCount();
    uint32_t due = start;  // when the current tick was due
    long rows = 0;
    unsigned slowTicks = 0;  // towards the configuration blocks, as on the readings page
    if (!emit(run, csvHeader())) {
        *writeFailed = true;
        return 0;
    }
    while (!*run.stop) {
        const uint32_t ms = LinkPort->tickCount() - start;
        if (run.seconds && ms >= run.seconds * 1000u) break;
        runPollPlan(ReadingsPoll, PauseNone, &slowTicks);
        const RoadRow row = roadRowFromStores(ms, isoLocalTime(wallStart + ms));
        if (run.keep) roadLogAdd(run.keep, row);
        if (!emit(run, csvRow(row))) {
            *writeFailed = true;
            break;
        }
        ++rows;
        if (run.afterRow) run.afterRow(row, rows, run.context);
        // As a window timer: the next tick an interval after this one was
        // due, or at once when the exchanges took longer than that.
        due += uint32_t(PollInterval);
        if (int32_t(due - LinkPort->tickCount()) <= 0) due = LinkPort->tickCount();
        waitUntil(due, run);
    }
    return rows;
}
