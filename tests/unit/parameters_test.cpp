// What the parameter table promises beyond its single rows: every list
// scale maps its items and values both ways, every settings key names one
// row, every byte lies in its block and the pages' lists follow the rows.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "config/config_page.h"
#include "config/options_page.h"
#include "link/parameters.h"
#include "service/reset.h"
#include "shell/settings_file.h"

namespace {

size_t blockSize(BlockId id) {
    switch (id) {
    case BlockId::Status: return sizeof(StatusBlock);
    case BlockId::Live: return sizeof(LiveBlock);
    case BlockId::ConfigA: return sizeof(ConfigABlock);
    case BlockId::ConfigB: return sizeof(ConfigBBlock);
    case BlockId::Extended: return sizeof(ExtendedBlock);
    case BlockId::None: break;
    }
    return 0;
}

TEST(ListScales, EveryItemsValueLeadsBackToTheItem) {
    for (int k = 0; k < ListKindCount; ++k) {
        const ListKind kind = static_cast<ListKind>(k);
        const ListScale* s = listScale(kind);
        ASSERT_NE(s, nullptr) << int(kind);
        ASSERT_GT(s->count, 0) << int(kind);
        for (int k = 0; k < s->count; ++k) {
            EXPECT_EQ(scaleIndex(*s, scaleValue(*s, k)), k) << int(kind) << " item " << k;
            // A value between two items shows the lower one.
            if (s->step > 1) {
                EXPECT_EQ(scaleIndex(*s, scaleValue(*s, k) + s->step - 1), k) << int(kind);
            }
        }
        EXPECT_EQ(scaleIndex(*s, s->base - 1), 0) << int(kind);
    }
}

TEST(ListScales, StoredListsStayWithinAByte) {
    // Speeds and temperatures are converted before they are written; every
    // other scale of a row is written as it is.
    for (const Parameter& row : Parameters) {
        if (!row.scale || row.scale == &Temperatures || row.scale->base >= 1000) continue;
        const ListScale& s = *row.scale;
        EXPECT_GE(scaleValue(s, 0), 0) << row.name;
        EXPECT_LE(scaleValue(s, s.count - 1), 255) << row.name;
    }
}

TEST(ParameterTable, EverySettingsKeyNamesOneRowAtItsPosition) {
    for (int version : {1, 3}) {
        const int keys = settingsParameterCount(version);
        EXPECT_EQ(keys + (version == 3 ? 1 : 0), settingsFormatFor(version).keyCount) << version;
        std::set<std::string> seen;
        for (int k = 0; k < keys; ++k) {
            const Parameter* row = settingsParameter(version, k);
            ASSERT_NE(row, nullptr) << version << " key " << k;
            EXPECT_EQ(row->settingsPosition, k) << row->name;
            EXPECT_TRUE(seen.insert(row->settingsKey).second) << row->settingsKey;
            EXPECT_LT(strlen(row->settingsKey), size_t(SettingsWordSize)) << row->name;
            EXPECT_NE(parameterByte(*row, version).block, BlockId::None) << row->name;
            EXPECT_STREQ(settingsKeyWord(settingsFormatFor(version), 3 + k), row->settingsKey);
        }
    }
    // Rows outside every file have no position, and rows with a position a key.
    for (const Parameter& row : Parameters)
        EXPECT_EQ(row.settingsPosition == NoKey, row.formats == 0) << row.name;
}

TEST(ParameterTable, EveryByteLiesInItsBlockAndBelongsToOneAddress) {
    for (int generation : {1, 3}) {
        std::set<std::pair<int, int>> bytes;
        std::set<int> addresses;
        for (const Parameter& row : Parameters) {
            const FieldRef f = parameterByte(row, generation);
            if (f.block == BlockId::None) continue;
            EXPECT_LE(f.offset + row.span, blockSize(f.block) - 1) << row.name;  // not the sum
            EXPECT_GT(f.offset, 0) << row.name;                                  // nor the lead
            for (int i = 0; i < row.span; ++i) {
                EXPECT_TRUE(addresses.insert(row.address + i).second) << row.name;
                const FieldRef at = fieldForAddress(uint8_t(row.address + i), generation);
                EXPECT_EQ(at.offset, f.offset + i) << row.name;
                // Two addresses writing one byte would save it twice.
                EXPECT_TRUE(bytes.insert({int(f.block), f.offset + i}).second) << row.name;
            }
        }
    }
}

TEST(ParameterTable, FactoryValuesHaveABytePerGeneration) {
    for (const Parameter& row : Parameters)
        for (int generation : {1, 3}) {
            const int v = factoryValue(row, generation);
            if (v == NoFactory) continue;
            EXPECT_NE(parameterByte(row, generation).block, BlockId::None) << row.name;
            EXPECT_TRUE(v >= 0 && v <= 255) << row.name;
        }
}

TEST(ParameterTable, LpgctlNamesAreUnique) {
    std::set<std::string> seen;
    for (const Parameter& row : Parameters) {
        if (!row.cliKey) continue;
        EXPECT_TRUE(seen.insert(row.cliKey).second) << row.cliKey;
        EXPECT_TRUE(row.cliLabel && row.unit) << row.name;
    }
}

TEST(ParameterTable, TheRestoreIsEveryVersion3KeyAndTheMinutesOnGas) {
    EXPECT_EQ(RestoreCount, settingsParameterCount(3) + 1);
}

// A page list bound to a parameter fills its items from the scale the row
// reads and writes it with.
TEST(ParameterTable, PageListsHoldTheirParametersScale) {
    struct Page {
        const PageList* lists;
        int listCount;
        const ScaledList* scaled;
        int scaledCount;
    };
    const Page pages[] = {
        {ConfigLists, ConfigListCount, ConfigScaledLists, ConfigScaledCount},
        {OptionsLists, OptionsListCount, OptionsScaledLists, OptionsScaledCount},
    };
    for (const Page& p : pages)
        for (int i = 0; i < p.scaledCount; ++i) {
            const PageList* l = findList(p.lists, p.listCount, p.scaled[i].control);
            ASSERT_NE(l, nullptr) << p.scaled[i].control;
            EXPECT_EQ(listScale(l->kind), parameter(p.scaled[i].param).scale)
                << parameter(p.scaled[i].param).name;
        }
}

}  // namespace
