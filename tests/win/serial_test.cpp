// The real serial path under Wine: Win32 calls on COM1, which the test
// script maps to a pty served by lpgsim. Skipped unless the script says where
// lpgsim writes its frame log.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/blocks.h"
#include "link/link.h"
#include "tools/win_run.h"

namespace {

struct LoggedFrame {
    char direction;
    std::vector<uint8_t> bytes;
};

std::vector<LoggedFrame> readFrameLog(const std::string& unixPath) {
    const std::string path = wineDrivePath(unixPath);
    std::vector<LoggedFrame> frames;
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return frames;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long ms;
        char dir;
        int used = 0;
        if (std::sscanf(line, "%lu %c%n", &ms, &dir, &used) != 2) continue;
        LoggedFrame fr{dir, {}};
        const char* p = line + used;
        unsigned byte;
        int n;
        while (std::sscanf(p, "%2x%n", &byte, &n) == 1) {
            fr.bytes.push_back(static_cast<uint8_t>(byte));
            p += n;
        }
        frames.push_back(fr);
    }
    std::fclose(f);
    return frames;
}

std::vector<uint8_t> bytesOf(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(static_cast<uint8_t>(b));
    return v;
}

template <typename Block>
std::vector<uint8_t> storeBytes(const Block& b) {
    return std::vector<uint8_t>(blockBytes(b), blockBytes(b) + sizeof(Block));
}

}  // namespace

TEST(SerialCom1, ReadsAllBlocksAndWritesThroughWin32Calls) {
    const char* log = std::getenv("ZUVELS_FRAME_LOG");
    if (!log || !*log) GTEST_SKIP() << "no lpgsim on COM1";

    const PortOps* saved = LinkPort;
    LinkPort = &win32PortOps;
    resetLinkState();
    selectPort(portTablePath(1), 1);

    pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Up);
    ASSERT_EQ(decodeIdentity(), 3);
    readLiveBlock();
    EXPECT_TRUE(LastBlockReadValid);
    readConfigABlock();
    EXPECT_TRUE(LastBlockReadValid);
    readConfigBBlock();
    EXPECT_TRUE(LastBlockReadValid);
    readExtendedBlock();
    EXPECT_TRUE(LastBlockReadValid);
    const uint8_t value = static_cast<uint8_t>(ConfigA.lambdaDelay ^ 0x05);
    writeParameter(Addr::LambdaDelay, value);
    EXPECT_EQ(BytesTransferred, 3u);
    EXPECT_EQ(WriteReply.value, value);
    closePort();
    LinkPort = saved;

    // The controller wrote its last reply before we read it; the log line
    // follows at once, but give the file a moment to show up complete.
    std::vector<LoggedFrame> frames;
    for (int i = 0; i < 200; ++i) {
        frames = readFrameLog(log);
        if (!frames.empty() && frames.back().direction == '<' && frames.back().bytes.size() == 3)
            break;
        Sleep(10);
    }

    std::vector<std::vector<uint8_t>> requests, replies;
    for (const LoggedFrame& f : frames)
        (f.direction == '>' ? requests : replies).push_back(f.bytes);

    // The echo probe goes out first, once per port selection; the
    // controller doesn't answer it.
    const std::vector<std::vector<uint8_t>> expectedRequests = {
        bytesOf({0x0B, 0x01, 0x01, 0x0D}),
        bytesOf({0x65, 0x01, 0x01, 0x67}),
        bytesOf({0x65, 0x02, 0x02, 0x69}),
        bytesOf({0x65, 0x03, 0x03, 0x6B}),
        bytesOf({0x65, 0x04, 0x04, 0x6D}),
        bytesOf({0x65, 0x05, 0x05, 0x6F}),
        // generation 3: address 8 goes out as 9
        bytesOf({0x65, 0x09, value, (0x65 + 0x09 + value) & 0xFF}),
    };
    EXPECT_EQ(requests, expectedRequests);

    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[0], storeBytes(Status));
    EXPECT_EQ(replies[1], storeBytes(Live));
    EXPECT_EQ(replies[2], storeBytes(ConfigA));
    EXPECT_EQ(replies[3], storeBytes(ConfigB));
    EXPECT_EQ(replies[4], storeBytes(Extended));
    EXPECT_EQ(replies[5], storeBytes(WriteReply));
}
