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
#include "link/parameters.h"
#include "tools/win_run.h"

namespace {

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
    // Other tests on COM1 may have run first: only this test's frames count.
    const size_t earlier = readFrameLog(log).size();

    const PortOps* saved = LinkPort;
    useLinkBackend(&win32PortOps);
    resetLinkState();
    selectPort(portTablePath(1), 1);

    pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Up);
    ASSERT_EQ(ControllerGeneration, 3);
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
    useLinkBackend(saved);

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
    for (size_t i = earlier; i < frames.size(); ++i)
        (frames[i].direction == '>' ? requests : replies).push_back(frames[i].bytes);

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

// What the port driver holds after the link opened COM1: the settings and
// time-outs read back field by field, so a slip in unpacking the flag word
// shows up as the one field that differs.
TEST(SerialCom1, OpensWithTheLinkSettings) {
    const char* log = std::getenv("ZUVELS_FRAME_LOG");
    if (!log || !*log) GTEST_SKIP() << "no lpgsim on COM1";

    const PortOps* saved = LinkPort;
    useLinkBackend(&win32PortOps);
    resetLinkState();
    selectPort(portTablePath(1), 1);
    openPort();
    ASSERT_NE(PortHandle, InvalidPort);
    HANDLE h = reinterpret_cast<HANDLE>(PortHandle);
    DCB dcb;
    FillMemory(&dcb, sizeof dcb, 0xFF);
    dcb.DCBlength = sizeof dcb;
    const bool gotState = GetCommState(h, &dcb) != 0;
    COMMTIMEOUTS t;
    FillMemory(&t, sizeof t, 0xFF);
    const bool gotTimeouts = GetCommTimeouts(h, &t) != 0;
    // A device without modem lines (a pty under Wine) can't tell DTR and RTS;
    // its driver then reports both as on.
    DWORD modem = 0;
    const bool hasModemLines = GetCommModemStatus(h, &modem) != 0;
    closePort();
    resetLinkState();
    useLinkBackend(saved);
    ASSERT_TRUE(gotState);
    ASSERT_TRUE(gotTimeouts);

    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    const struct {
        const char* name;
        unsigned got, want;
    } flags[] = {
        // The system knows only binary mode and reports it whatever was asked.
        {"fBinary", dcb.fBinary, 1},
        {"fParity", dcb.fParity, 0},
        {"fOutxCtsFlow", dcb.fOutxCtsFlow, 0},
        {"fOutxDsrFlow", dcb.fOutxDsrFlow, 0},
        {"fDsrSensitivity", dcb.fDsrSensitivity, 0},
        {"fTXContinueOnXoff", dcb.fTXContinueOnXoff, 0},
        {"fOutX", dcb.fOutX, 0},
        {"fInX", dcb.fInX, 1},
        {"fErrorChar", dcb.fErrorChar, 0},
        {"fNull", dcb.fNull, 0},
        {"fAbortOnError", dcb.fAbortOnError, 0},
    };
    for (const auto& f : flags) EXPECT_EQ(f.got, f.want) << f.name;
    if (hasModemLines) {
        EXPECT_EQ(dcb.fDtrControl, unsigned(DTR_CONTROL_DISABLE));
        EXPECT_EQ(dcb.fRtsControl, unsigned(RTS_CONTROL_DISABLE));
    }

    EXPECT_EQ(t.ReadIntervalTimeout, 200u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 40u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 100u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 40u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 100u);
}
