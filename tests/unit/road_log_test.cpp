// lpgctl log and plot: the CSV a road test is written as, the poll rhythm
// of the rows, and the picture drawn from them.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/test_files.h"

#include "cli/drive_status.h"
#include "shell/road_log.h"
#include "shell/road_plot.h"
#include "link/link.h"
#include "sim/sim.h"
#include "tests/sim_frames.h"
#include "tests/unit/sim_link_fixture.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

// Logs the simulated controller for seconds on the virtual clock.
Records logFor(uint32_t seconds, long* rows) {
    FILE* f = tmpfile();
    volatile std::sig_atomic_t stop = 0;
    bool failed = true;
    *rows = runRoadLog(RoadLogRun{f, nullptr, seconds, &stop, false}, &failed);
    EXPECT_FALSE(failed);
    Records records;
    EXPECT_TRUE(csvParse(streamText(f), &records));
    fclose(f);
    return records;
}

int column(const Records& r, const char* name) {
    for (size_t i = 0; i < r[0].size(); ++i)
        if (r[0][i] == name) return int(i);
    ADD_FAILURE() << "no column " << name;
    return 0;
}

}  // namespace

TEST(RoadCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"1520", "1520"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(csvField(c.in), c.out);
        Records r;
        ASSERT_TRUE(csvParse(csvField(c.in) + ",x\r\n", &r));
        ASSERT_EQ(r.size(), 1u) << c.in;
        EXPECT_EQ(r[0], (std::vector<std::string>{c.in, "x"}));
    }
    Records r;
    EXPECT_FALSE(csvParse("\"open", &r));
}

TEST(RoadCsv, IsoTimeHasMillisecondsAndAnOffset) {
    const std::string t = isoLocalTime(1765172703120);  // some afternoon in 2025
    ASSERT_EQ(t.size(), 29u) << t;
    EXPECT_EQ(t.substr(19, 4), ".120");
    EXPECT_TRUE(t[23] == '+' || t[23] == '-') << t;
    EXPECT_EQ(t[26], ':');
}

class RoadLogTest : public SimLinkTest {};

TEST_F(RoadLogTest, OneRowATickPolledAsTheReadingsPage) {
    start(3);
    simClearLog();
    long rows = 0;
    const Records r = logFor(3, &rows);
    ASSERT_EQ(r.size(), size_t(rows) + 1);
    EXPECT_EQ(r[0].size(), size_t(RoadColumnCount));
    // 50 ms ticks for three seconds, less the first tick's wait for an
    // echo that a controller never gives.
    EXPECT_GE(rows, 55);
    EXPECT_LE(rows, 61);
    int status = 0, live = 0, configA = 0;
    for (const simframes::Frame& f : simframes::requestsReceived()) {
        status += f[1] == 1;
        live += f[1] == 2;
        configA += f[1] == 3;
    }
    EXPECT_EQ(status, rows);
    EXPECT_EQ(live, rows);
    EXPECT_EQ(configA, rows / 4);

    const int ms = column(r, "ms"), rpm = column(r, "engine_speed_rpm"),
              temp = column(r, "reducer_temp_c"), up = column(r, "link_up");
    for (size_t i = 1; i < r.size(); ++i) {
        if (i > 2) {
            EXPECT_EQ(std::stol(r[i][ms]) - std::stol(r[i - 1][ms]), 50) << "row " << i;
        }
        EXPECT_EQ(r[i][up], "1");
        const int speed = std::stoi(r[i][rpm]);
        EXPECT_TRUE(speed >= 0 && speed <= 8000) << speed;
        const int t = std::stoi(r[i][temp]);
        EXPECT_TRUE(t >= -40 && t <= 130) << t;
    }
}

TEST_F(RoadLogTest, ALostLinkLeavesTheValuesEmptyAndTheLogGoesOn) {
    SimConfig c;
    c.fault = SimFault::Drop;
    c.dropAfter = 30;
    simPortSetup(c);
    long rows = 0;
    const Records r = logFor(6, &rows);
    const int up = column(r, "link_up"), rpm = column(r, "engine_speed_rpm");
    int upRows = 0, downRows = 0;
    for (size_t i = 1; i < r.size(); ++i) {
        if (r[i][up] == "1") {
            ++upRows;
            EXPECT_FALSE(r[i][rpm].empty());
        } else {
            ++downRows;
            EXPECT_TRUE(r[i][rpm].empty()) << "row " << i;
        }
    }
    EXPECT_GT(upRows, 0);
    // Down, the link polls once a second.
    EXPECT_GE(downRows, 3);
    EXPECT_LE(downRows, 8);
}

TEST_F(RoadLogTest, RowsKeptForThePlotAreTheRowsTheCsvReadsBackAs) {
    SimConfig c;
    c.fault = SimFault::Drop;
    c.dropAfter = 30;
    simPortSetup(c);
    FILE* f = tmpfile();
    volatile std::sig_atomic_t stop = 0;
    bool failed = true;
    RoadLog kept, read;
    runRoadLog(RoadLogRun{f, &kept, 4, &stop, false}, &failed);
    std::string error;
    ASSERT_TRUE(roadLogFromCsv(streamText(f), &read, &error)) << error;
    fclose(f);
    ASSERT_EQ(kept.samples.size(), read.samples.size());
    EXPECT_EQ(kept.startTime, read.startTime);
    for (size_t i = 0; i < kept.samples.size(); ++i) {
        const RoadSample &k = kept.samples[i], &r = read.samples[i];
        EXPECT_EQ(k.seconds, r.seconds) << i;
        EXPECT_EQ(k.hasValues, r.hasValues) << i;
        EXPECT_EQ(k.linkUp, r.linkUp) << i;
        EXPECT_EQ(k.onGas, r.onGas) << i;
        EXPECT_EQ(k.engineSpeed, r.engineSpeed) << i;
        EXPECT_NEAR(k.lambdaVolts, r.lambdaVolts, 0.0006) << i;
        EXPECT_EQ(k.temperature, r.temperature) << i;
    }
}

TEST(RoadPlot, LogReadsBackAndOnGasStretchesAreShaded) {
    std::string csv = csvHeader();
    for (uint32_t ms = 0; ms <= 20000; ms += 50) {
        RoadRow row = RoadRow();
        row.time = "2026-01-01T00:00:00.000+00:00";
        row.ms = ms;
        row.linkUp = ms < 15000;
        row.hasValues = row.linkUp;
        row.onGas = ms >= 5000 && ms < 10000;
        row.engineSpeed = 800 + int(ms / 10);
        row.reducerTemperature = 20;
        csv += csvRow(row);
    }
    RoadLog log;
    std::string error;
    ASSERT_TRUE(roadLogFromCsv(csv, &log, &error)) << error;
    ASSERT_EQ(log.samples.size(), 401u);
    EXPECT_EQ(log.samples[100].engineSpeed, 1300);
    EXPECT_FALSE(log.samples[400].hasValues);

    const Picture p = drawRoadPlot(log);
    // Pixels near the bottom of the throttle band (its value 0 V runs along
    // the bottom edge, so sample a little above it).
    auto pixel = [&](double seconds) {
        const int x = 92 + int(seconds / 20 * (1200 - 92 - 24 - 1)) + 5;
        const int y = 74 + 16 + 2 * 180 + 100;
        const uint8_t* px = &p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
        return (px[0] << 16) | (px[1] << 8) | px[2];
    };
    EXPECT_EQ(pixel(7), 0xC6ECC6) << "on gas";
    EXPECT_EQ(pixel(12), 0xFFFFFF) << "on petrol";
    EXPECT_EQ(pixel(17), 0xECECEC) << "link down";
}

TEST(RoadPlot, BrokenLogsAreRefusedWithAReason) {
    const std::string header = csvHeader();
    struct Case {
        const char* csv;
        const char* error;
    } cases[] = {
        {"", "empty file"},
        {"time,ms\r\n", "no column \"engine_speed_rpm\" in the header row"},
        {header.c_str(), "no rows after the header"},
    };
    for (const Case& c : cases) {
        RoadLog log;
        std::string error;
        EXPECT_FALSE(roadLogFromCsv(c.csv, &log, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(DriveStatus, ElapsedTimeReadsAsAClock) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "0:00"}, {999, "0:00"}, {61000, "1:01"}, {3599999, "59:59"}, {3723000, "1:02:03"}};
    for (const auto& c : cases) EXPECT_EQ(elapsedText(c.first), c.second) << c.first;
}

// The status line over a drive that loses the link and gets it back: what
// goes to the terminal after each tick.
TEST(DriveStatus, TheLineIsRedrawnAFewTimesASecondAndTheLinkChangesAreLines) {
    DriveStatus s("recording to d.rec", "frames", true);
    const std::string up = "recording to d.rec, Ctrl+C to stop  0:00  4 frames  link up";
    const std::string down1 = "recording to d.rec, Ctrl+C to stop  0:01  90 frames  link down";
    const std::string drop = "link down at 0:01: the controller stopped answering";
    const std::string back = "link up again at 0:02";
    struct Step {
        DriveTick tick;
        std::string shows;
    } steps[] = {
        {{0, 4, true}, "\r" + up},
        {{50, 6, true}, ""},
        {{249, 10, true}, ""},
        {{250, 12, true}, "\rrecording to d.rec, Ctrl+C to stop  0:00  12 frames  link up"},
        {{1100, 90, false},
         "\r" + drop + std::string(up.size() + 1 - drop.size(), ' ') + "\n\r" + down1},
        {{1200, 91, false}, ""},
        {{2100, 92, true},
         "\r" + back + std::string(down1.size() - back.size(), ' ') +
             "\n\rrecording to d.rec, Ctrl+C to stop  0:02  92 frames  link up"},
    };
    for (const Step& step : steps) EXPECT_EQ(s.afterTick(step.tick), step.shows) << step.tick.ms;
    EXPECT_TRUE(s.linkEverUp());
    EXPECT_EQ(s.finish({2100, 92, true}, "recorded", "d.rec"),
              "\nrecorded 92 frames in 0:02 to d.rec; the link was down in 2 of 7 polls\n");
}

TEST(DriveStatus, WithoutATerminalOnlyTheNoticesAndTheSummaryAreLines) {
    DriveStatus s("logging to standard output", "rows", false);
    const std::pair<DriveTick, const char*> steps[] = {
        {{0, 1, false}, "link down at 0:00: no controller answers\n"},
        {{1000, 2, false}, ""},
        {{2000, 3, true}, "link up at 0:02\n"},
        {{2050, 4, true}, ""},
    };
    for (const auto& step : steps) EXPECT_EQ(s.afterTick(step.first), step.second);
    EXPECT_EQ(s.finish({2050, 4, true}, "logged", "standard output"),
              "logged 4 rows in 0:02 to standard output; the link was down in 2 of 4 polls\n");
    DriveStatus never("logging to x.csv", "rows", true);
    never.afterTick({0, 1, false});
    EXPECT_FALSE(never.linkEverUp());
    EXPECT_EQ(never.finish({0, 1, false}, "logged", "x.csv"), "\nlogged 1 row in 0:00 to x.csv\n");
}

namespace {

// A log of rows "ms,rpm,lambda,throttle,position,reference,temp,on_gas,link_up"
// in the columns' written order; values empty for a row without them.
std::string logOf(const std::vector<std::string>& rows) {
    std::string csv = csvHeader();
    for (const std::string& r : rows) {
        std::vector<std::string> c;
        size_t from = 0;
        for (size_t comma; (comma = r.find(',', from)) != std::string::npos; from = comma + 1)
            c.push_back(r.substr(from, comma - from));
        c.push_back(r.substr(from));
        csv += "2026-01-01T00:00:00.000+00:00," + c[0] + "," + c[1] + "," + c[2] + "," + c[3] +
               "," + c[4] + "," + c[5] + "," + c[6] + "," + c[7] + ",0,0,0," + c[8] + "\r\n";
    }
    return csv;
}

// Pixels of colour rgb in band b (0 at the top), over the plot's columns
// x0..x1 (whole picture columns).
int pixelsOf(const Picture& p, int band, uint32_t rgb, int x0 = 0, int x1 = 1200) {
    const int top = 74 + 16 + band * 180;
    int n = 0;
    for (int y = top - 2; y < top + 152; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* px = &p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
            n += uint32_t((px[0] << 16) | (px[1] << 8) | px[2]) == rgb;
        }
    return n;
}

const uint32_t RpmColour = 0xC80000, TempColour = 0x783C14;

Picture plotOf(const std::vector<std::string>& rows) {
    RoadLog log;
    std::string error;
    EXPECT_TRUE(roadLogFromCsv(logOf(rows), &log, &error)) << error;
    return drawRoadPlot(log);
}

}  // namespace

TEST(RoadPlot, TimeLabelsFitTheSpanAndNeverRepeatOrOverlap) {
    const double spans[][2] = {{0, 1},       {0, 5},         {12.5, 13.5},   {0, 59},
                               {0, 600},     {0, 3 * 3600.}, {0, 864000},    {0, 4294967.295},
                               {100, 100.3}, {1e300, 1e300}, {-1e300, 1e300}};
    for (const auto& s : spans) {
        const std::vector<TimeTick> ticks = roadTimeTicks(s[0], s[1]);
        const std::string span = std::to_string(s[0]) + ".." + std::to_string(s[1]);
        EXPECT_GE(ticks.size(), 3u) << span;
        EXPECT_LE(ticks.size(), 20u) << span;
        for (size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_GE(ticks[i].x, 92) << span;
            EXPECT_LT(ticks[i].x, 1200 - 24) << span;
            EXPECT_GE(ticks[i].labelLeft, 0) << span;
            EXPECT_LE(ticks[i].labelRight, 1200) << span;
            if (i == 0) continue;
            EXPECT_NE(ticks[i].label, ticks[i - 1].label) << span;
            EXPECT_GE(ticks[i].labelLeft, ticks[i - 1].labelRight + 8)
                << span << ": " << ticks[i - 1].label << " " << ticks[i].label;
        }
    }
}

TEST(RoadPlot, LoneRowsAndValuesOnTheBandsEdgeStayVisible) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
    } cases[] = {
        {"one row", {"0,800,0.5,1,100,90,0,0,1"}},
        {"one row between gaps", {"0,,,,,,,0,0", "5000,800,0.5,1,100,90,0,0,1", "10000,,,,,,,0,0"}},
        {"one row at the end", {"0,,,,,,,0,0", "10000,800,0.5,1,100,90,0,0,1"}},
    };
    for (const Case& c : cases) {
        const Picture p = plotOf(c.rows);
        // A dot, not a speck: at least 3 by 3.
        EXPECT_GE(pixelsOf(p, 0, RpmColour), 9) << c.what;
        EXPECT_GE(pixelsOf(p, 4, TempColour), 9) << c.what;
    }
    // A temperature of 0 all along, the scale's floor: the trace in full,
    // not under the frame's bottom line.
    std::vector<std::string> rows;
    for (int ms = 0; ms <= 10000; ms += 50)
        rows.push_back(std::to_string(ms) + ",800,0.5,1,100,90,0,0,1");
    const Picture p = plotOf(rows);
    EXPECT_GE(pixelsOf(p, 4, TempColour, 500, 600), 2 * 100);
}

TEST(RoadPlot, SemicolonLogsAndMovedColumnsRead) {
    struct Case {
        const char* what;
        const char* csv;
    } cases[] = {
        {"semicolons, decimal commas",
         "time;ms;engine_speed_rpm;lambda_v;throttle_v;position;reference_position;"
         "reducer_temp_c;on_gas;learn;cut_off;gas_off;link_up\r\n"
         "2026-01-01T00:00:00.000+00:00;0;1300;0,450;1,5;100;90;40;1;0;0;0;1\r\n"},
        {"a byte-order mark, columns moved",
         "\xEF\xBB\xBFms,link_up,on_gas,reducer_temp_c,reference_position,position,throttle_v,"
         "lambda_v,engine_speed_rpm,time\r\n"
         "0,1,1,40,90,100,1.5,0.450,1300,2026-01-01T00:00:00.000+00:00\r\n"},
        {"semicolons, quoted",
         "\"time\";\"ms\";\"engine_speed_rpm\";\"lambda_v\";\"throttle_v\";"
         "\"position\";\"reference_position\";\"reducer_temp_c\";\"on_gas\";"
         "\"link_up\"\n"
         "\"2026-01-01T00:00:00.000+00:00\";\"0\";\"1300\";\"0,45\";\"1,50\";"
         "\"100\";\"90\";\"40\";\"1\";\"1\"\n"},
    };
    for (const Case& c : cases) {
        RoadLog log;
        std::string error;
        ASSERT_TRUE(roadLogFromCsv(c.csv, &log, &error)) << c.what << ": " << error;
        ASSERT_EQ(log.samples.size(), 1u) << c.what;
        const RoadSample& s = log.samples[0];
        EXPECT_TRUE(s.hasValues && s.onGas && s.linkUp) << c.what;
        EXPECT_EQ(s.engineSpeed, 1300) << c.what;
        EXPECT_NEAR(s.lambdaVolts, 0.45, 1e-6) << c.what;
        EXPECT_NEAR(s.throttleVolts, 1.5, 1e-6) << c.what;
        EXPECT_EQ(s.temperature, 40) << c.what;
        EXPECT_EQ(log.startTime, "2026-01-01T00:00:00.000+00:00") << c.what;
    }
}

TEST(RoadPlot, TimesAndValuesOutOfRangeAreRefusedNamingTheRow) {
    const std::string ok = ",800,0.5,1,100,90,20,0,1";
    struct Case {
        std::vector<std::string> rows;
        const char* error;  // "" when the log reads
    } cases[] = {
        {{"0" + ok, "50" + ok, "1e300" + ok, "150" + ok}, "row 4: time 1e300 ms is out of range"},
        {{"0" + ok, "-50" + ok}, "row 3: time -50 ms is out of range"},
        {{"0" + ok, "50" + ok, "1000000000" + ok, "150" + ok},
         "row 5: time 150 ms is before the row above's"},
        {{"0" + ok, "50,1e300,0.5,1,100,90,20,0,1"},
         "row 3: engine_speed_rpm 1e300 is out of range"},
        {{"0" + ok, "50,800,0.5,1,100,90,-9e9,0,1"}, "row 3: reducer_temp_c -9e9 is out of range"},
        {{"0" + ok, "50" + ok, "50" + ok, "1000000000" + ok}, ""},
        {{"4294967295" + ok}, ""},
    };
    for (const Case& c : cases) {
        RoadLog log;
        std::string error;
        const bool read = roadLogFromCsv(logOf(c.rows), &log, &error);
        EXPECT_EQ(read, !*c.error) << c.rows[2 % c.rows.size()] << ": " << error;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        if (read && !*c.error) {
            EXPECT_GE(pixelsOf(drawRoadPlot(log), 0, RpmColour), 9);
        }
    }
}
