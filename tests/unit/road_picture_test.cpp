// The window's road-test picture: from a recording (played on its own
// clock, the link's port given back) or a road-test CSV; anything else is
// refused with both readings' reasons.
#include "shell/road_picture.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_files.h"

#include "link/link.h"
#include "link/link_testing.h"
#include "readings/dashboard.h"
#include "shell/road_log.h"
#include "shell/road_plot.h"
#include "sim/replay.h"
#include "sim/sim.h"

namespace {

class RoadPicture : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeScratchDir("zpicture");
        ASSERT_FALSE(dir.empty());
        resetLinkState();
        simPortUseRealTime(false);
        simPortSetup(SimConfig());
        useLinkBackend(&simPortOps);
    }
    void TearDown() override {
        resetLinkState();
        simPortUseRealTime(true);
        removeScratchDir(dir);
    }
    // A minute of the readings page's ticks, recorded.
    std::string recordMinute() {
        const std::string path = dir + "/drive.rec";
        FILE* f = fopen(path.c_str(), "wb");
        recordingStart(&simPortOps, f, "demo", "test");
        useLinkBackend(&recordingPortOps);
        for (int tick = 0; tick < 1200; ++tick) {
            readingsPollTick();
            simPortAdvanceClock(50);
        }
        fclose(f);
        useLinkBackend(&simPortOps);
        return path;
    }
    std::string dir;
};

TEST_F(RoadPicture, ARecordingIsDrawnOverItsWholeLengthAndThePortIsGivenBack) {
    const std::string recording = recordMinute();
    selectPort("COM4:", 4);
    RoadLog log;
    std::string error;
    ASSERT_TRUE(roadLogFromFile(recording.c_str(), &log, &error)) << error;
    ASSERT_GT(log.samples.size(), 900u);
    EXPECT_GE(log.samples.back().seconds, 58.0);
    EXPECT_TRUE(log.samples.back().linkUp);
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_STREQ(SelectedPortPath, "COM4:");
    EXPECT_EQ(CommPort, 4);

    const std::string png = dir + "/drive.png";
    ASSERT_TRUE(writeRoadPicture(recording.c_str(), png.c_str(), &error)) << error;
    EXPECT_EQ(readFileBytes(png).substr(1, 3), "PNG");
}

TEST_F(RoadPicture, ARoadTestCsvIsDrawnAsLpgctlPlotDrawsIt) {
    const std::string csv = dir + "/road.csv";
    std::string text = csvHeader();
    for (uint32_t ms = 0; ms < 5000; ms += 50) {
        readingsPollTick();
        simPortAdvanceClock(50);
        text += csvRow(roadRowFromStores(ms, "2026-12-08T10:00:00.000+01:00"));
    }
    writeFileBytes(csv, text);
    RoadLog fromWindow, fromPlot;
    std::string error;
    ASSERT_TRUE(roadLogFromFile(csv.c_str(), &fromWindow, &error)) << error;
    ASSERT_TRUE(readRoadLog(csv.c_str(), &fromPlot, &error)) << error;
    EXPECT_EQ(drawRoadPlot(fromWindow).rgb, drawRoadPlot(fromPlot).rgb);
}

TEST_F(RoadPicture, AFileThatIsNeitherIsRefusedWithBothReasons) {
    const std::string path = dir + "/notes.txt";
    writeFileBytes(path, "shopping list\nmilk\n");
    const std::string png = dir + "/none.png";
    std::string error;
    EXPECT_FALSE(writeRoadPicture(path.c_str(), png.c_str(), &error));
    EXPECT_NE(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(readFileBytes(png), "<missing>");
    EXPECT_EQ(LinkPort, &simPortOps);
}

}  // namespace
