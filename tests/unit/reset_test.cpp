// The factory reset's restore table, built from known blocks.
#include "service/reset.h"

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"

namespace {

// Every byte of every store a different value, so a value taken from the
// wrong field shows.
void fillStoresWithDistinctBytes() {
    for (size_t i = 0; i < sizeof Live; ++i) blockBytes(Live)[i] = uint8_t(100 + i);
    for (size_t i = 0; i < sizeof ConfigA; ++i) blockBytes(ConfigA)[i] = uint8_t(120 + i);
    for (size_t i = 0; i < sizeof ConfigB; ++i) blockBytes(ConfigB)[i] = uint8_t(140 + i);
    for (size_t i = 0; i < sizeof Extended; ++i) blockBytes(Extended)[i] = uint8_t(160 + i);
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

}  // namespace
