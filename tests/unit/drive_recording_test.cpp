// The window's recording: when it must end, that a failed write leaves a
// file of whole frames that still replays, and that ending it gives the link
// its port back.
#include "shell/drive_recording.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "test_files.h"

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "readings/dashboard.h"
#include "sim/replay.h"
#include "sim/sim.h"

namespace {

struct StopCase {
    bool failed;
    long long bytes;
    RecordingStop stop;
};

TEST(DriveRecordingStop, EndsOnAFailedWriteOrShortOfTheReplaysLimit) {
    const long long limit = 1 << 20;
    const StopCase cases[] = {
        {false, 0, RecordingStop::None},
        {false, limit / 2, RecordingStop::None},
        {false, limit - 64 * 1024 - 1, RecordingStop::None},
        {false, limit - 64 * 1024, RecordingStop::FileFull},
        {false, limit + 5, RecordingStop::FileFull},
        {true, 10, RecordingStop::WriteFailed},
        {true, limit, RecordingStop::WriteFailed},
        // A pipe has no length: only its failures end it.
        {false, -1, RecordingStop::None},
    };
    for (const StopCase& c : cases)
        EXPECT_EQ(recordingStopFor(c.failed, c.bytes, limit), c.stop) << c.failed << " " << c.bytes;
}

TEST(DriveRecordingStop, MarkShowsTimeAndSize) {
    EXPECT_EQ(recordingMark("REC", 0, 0), "REC 0:00 0 KB");
    EXPECT_EQ(recordingMark("REC", 65999, 1), "REC 1:05 1 KB");
    EXPECT_EQ(recordingMark("NAGR", 3600 * 1000, 150 * 1024), "NAGR 60:00 150 KB");
    EXPECT_EQ(recordingMark("REC", 1000, 10LL * 1024 * 1024), "REC 0:01 10 MB");
}

class DriveRecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeScratchDir("zrec");
        ASSERT_FALSE(dir.empty());
        path = dir + "/drive.rec";
        resetLinkState();
        simPortUseRealTime(false);
        simPortSetup(SimConfig());
        useLinkBackend(&simPortOps);
    }
    void TearDown() override {
        std::string error;
        stopDriveRecording(&error);
        resetLinkState();
        simPortUseRealTime(true);
        removeScratchDir(dir);
    }
    void drive(int ticks) {
        for (int tick = 0; tick < ticks; ++tick) {
            readingsPollTick();
            simPortAdvanceClock(50);
        }
    }
    std::string dir, path;
};

TEST_F(DriveRecordingTest, AFullDiskStopsItAndTheFileKeepsOnlyWholeFrames) {
    std::string error;
    {
        FileSizeLimit limit(3000);  // mid-way through a line, whatever the lines
        ASSERT_TRUE(startDriveRecording(path.c_str(), "COM1", "now", &error)) << error;
        drive(100);
        EXPECT_EQ(driveRecordingStop(), RecordingStop::WriteFailed);
    }
    EXPECT_FALSE(stopDriveRecording(&error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_FALSE(driveRecording());

    const std::string text = readFileBytes(path);
    ASSERT_GT(text.size(), 1000u);
    EXPECT_LE(text.size(), 3000u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_TRUE(replayLoadText(text.c_str(), &error)) << error;
}

TEST_F(DriveRecordingTest, EndingItGivesThePortBackAndTheFileReplaysEveryBlock) {
    std::string error;
    ASSERT_TRUE(startDriveRecording(path.c_str(), "COM1", "now", &error)) << error;
    EXPECT_EQ(LinkPort, &recordingPortOps);
    // A second start keeps the recording running.
    EXPECT_TRUE(startDriveRecording((path + "2").c_str(), "COM1", "now", &error));
    drive(20);
    EXPECT_EQ(driveRecordingStop(), RecordingStop::None);
    EXPECT_GT(driveRecordingMs(), 900u);
    EXPECT_GT(driveRecordingBytes(), 500);
    const ConfigBBlock configB = ConfigB;
    ASSERT_TRUE(stopDriveRecording(&error)) << error;
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_EQ(readFileBytes(path + "2"), "<missing>");

    // The blocks the readings page never reads were read once at the start.
    ASSERT_TRUE(replayLoadText(readFileBytes(path).c_str(), &error)) << error;
    resetLinkState();
    useLinkBackend(&replayPortOps);
    pollStatus();
    readConfigBBlock();
    EXPECT_TRUE(LastBlockReadValid);
    EXPECT_EQ(memcmp(&ConfigB, &configB, sizeof configB), 0);
}

TEST_F(DriveRecordingTest, AFileThatCantBeMadeIsSaidAndChangesNothing) {
    std::string error;
    const std::string bad = dir + "/no/such/folder/drive.rec";
    EXPECT_FALSE(startDriveRecording(bad.c_str(), "COM1", "now", &error));
    EXPECT_NE(error.find(bad), std::string::npos) << error;
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_FALSE(driveRecording());
}

}  // namespace
