// The factory reset's restore table, built from known blocks.
#include "link/block_stores.h"
#include "service/reset.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "scripted_port.h"

namespace {

// Every byte of every store a different value, so a value taken from the
// wrong field shows.
void fillStoresWithDistinctBytes() {
    for (size_t i = 0; i < sizeof blockStores().Live; ++i)
        blockBytes(blockStores().Live)[i] = uint8_t(100 + i);
    for (size_t i = 0; i < sizeof blockStores().ConfigA; ++i)
        blockBytes(blockStores().ConfigA)[i] = uint8_t(120 + i);
    for (size_t i = 0; i < sizeof blockStores().ConfigB; ++i)
        blockBytes(blockStores().ConfigB)[i] = uint8_t(140 + i);
    for (size_t i = 0; i < sizeof blockStores().Extended; ++i)
        blockBytes(blockStores().Extended)[i] = uint8_t(160 + i);
}

class RestoreTable : public testing::Test {
protected:
    void SetUp() override {
        resetLinkState();
        fillStoresWithDistinctBytes();
    }
    void TearDown() override { resetLinkState(); }
};

TEST_F(RestoreTable, TakesEveryValueFromItsFieldInSendingOrder) {
    const RestoreEntry expected[RestoreCount] = {
        {5, ConfigA.options},       {6, ConfigA.lambdaType},    {7, ConfigA.lambdaPoint},
        {8, ConfigA.lambdaDelay},   {9, ConfigA.emulType},      {10, ConfigA.emulBjTimeHi},
        {11, ConfigA.emulBjTimeLo}, {12, Extended.zamOtwBj},    {13, Extended.zamOtwDo},
        {14, ConfigA.injectDelay},  {15, ConfigA.lpgOnTemp},    {16, ConfigB.attMax},
        {17, ConfigB.attMin},       {18, Live.attInit},         {19, ConfigB.tpsJump},
        {20, ConfigB.attJump},      {21, ConfigB.lpgOnRpmLo},   {22, ConfigB.lpgOnRpmHi},
        {23, ConfigB.ignitionType}, {24, ConfigB.cutOffRpmLo},  {25, ConfigB.cutOffRpmHi},
        {26, ConfigB.cutOffSteps},  {27, ConfigB.lpgOffRpmLo},  {28, ConfigB.lpgOffRpmHi},
        {29, ConfigA.tpsInert},     {31, ConfigB.attMaxBj},     {32, ConfigB.attMinBj},
        {33, Extended.prog1},       {34, Extended.prog2},       {35, Extended.prog3},
        {36, Extended.prog4},       {37, ConfigA.emulDoTimeHi}, {49, Extended.gasMinutes},
    };
    RestoreEntry table[RestoreCount];
    buildRestoreTable(table);
    for (int k = 0; k < RestoreCount; ++k) {
        EXPECT_EQ(table[k].address, expected[k].address) << "entry " << k;
        EXPECT_EQ(table[k].value, expected[k].value) << "entry " << k;
    }
}

// The controller needs time before it answers the generation-1 reset: the
// frames are the same with or without the wait, only the port's calls show it.
class ResetReplyDelay : public testing::Test {
protected:
    scripted::LinkOnScriptedPort port;
    static std::vector<uint8_t> reply(std::vector<uint8_t> bytes) {
        bytes.front() = LeadByte;
        bytes.back() = byteSum(bytes.data(), bytes.size() - 1);
        return bytes;
    }
};

TEST_F(ResetReplyDelay, Generation1ResetWaits250msBeforeReadingItsReplyAndOnlyThen) {
    const std::vector<uint8_t> status = reply({0, 0, 0x00, 0});  // generation 1
    scripted::queueSilence();                                    // the echo probe
    scripted::queueReply(status);
    pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Up);
    scripted::clearLog();

    scripted::queueReply(status);
    scripted::queueReply(reply(std::vector<uint8_t>(sizeof Live, 0)));  // not running
    scripted::queueReply({LeadByte, ResetConfirmed, 0});
    ASSERT_EQ(runFactoryReset(nullptr), ResetOutcome::Done);

    const uint8_t command[3] = {LeadByte, Addr::Command, CmdFactoryReset};
    char frame[32];
    snprintf(frame, sizeof frame, "write 65 %02X %02X %02X", command[1], command[2],
             byteSum(command, 3));
    const std::vector<std::string> t = scripted::trace();
    const auto write = std::find(t.begin(), t.end(), frame);
    ASSERT_NE(write, t.end()) << frame;
    ASSERT_LT(write + 2, t.end());
    EXPECT_EQ(*(write + 1), "sleep 250");
    EXPECT_EQ(*(write + 2), "read 3 -> 65 33 00");

    // The delay belongs to the reset alone: the next write reads at once.
    EXPECT_EQ(WriteReplyDelay, 0);
    scripted::clearLog();
    writeParameter(5, 1);
    const std::vector<std::string> after = scripted::trace();
    EXPECT_NE(std::find(after.begin(), after.end(), "sleep 0"), after.end());
}

}  // namespace
