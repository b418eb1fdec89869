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
#include "cli/road_log.h"
#include "cli/road_plot.h"
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
