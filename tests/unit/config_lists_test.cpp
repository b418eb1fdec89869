// The items of every list of the configuration and options pages.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_page.h"
#include "config/options_page.h"
#include "config/page_view.h"
#include "res/resource.h"
#include "shell/language.h"

namespace {

class PageListContents : public testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k < LanguageEntries; ++k)
            setLanguageEntry(k, ("T" + std::to_string(k)).c_str());
    }
};

TEST_F(PageListContents, EveryListHoldsItsItemsInOrder) {
    struct Case {
        ListKind kind;
        size_t count;
        const char *first, *second, *last;
    };
    const Case cases[] = {
        {ListKind::ProbeType, 6, "0-1 V", "0-5 V -", "0,8-1,6 V"},
        {ListKind::NeutralPointLow, 11, "0,40", "0,42", "0,60"},
        {ListKind::NeutralPointHigh, 16, "1,00", "1,02", "1,30"},
        {ListKind::NeutralPointWide, 51, "2:00", "2:02", "3:00"},
        {ListKind::ReadingDelay, 255, "0:05", "0:10", "21:15"},
        {ListKind::EmulationType, 3, "T61", "T62", "T63"},
        {ListKind::EmulationTime, 255, "0,025", "0,050", "6,375"},
        {ListKind::IgnitionType, 18, "T64", "T65", "T81"},
        {ListKind::SwitchOverSpeed, 21, "1500", "1600", "3500"},
        {ListKind::SwitchOverDirection, 2, "T82", "T83", "T83"},
        {ListKind::TpsType, 6, "T84", "T85", "T89"},
        {ListKind::TpsInertia, 19, "0,04", "0,06", "0,40"},
        {ListKind::Tenths, 50, "0,1", "0,2", "5,0"},
        {ListKind::Plain256, 256, "0", "1", "255"},
        {ListKind::Minus256, 256, "-0", "-1", "-255"},
        {ListKind::Plus256, 256, "+0", "+1", "+255"},
        {ListKind::EvenPercent, 50, "2", "4", "100"},
        {ListKind::TpsJump, 51, "0,0", "0,1", "5,0"},
        {ListKind::CutOffSpeed, 16, "1000", "1100", "2500"},
        {ListKind::SwitchOffSpeed, 41, "4000", "4100", "8000"},
        {ListKind::Temperature, 26, "10", "12", "60"},
        {ListKind::Mode, 3, "T129", "T130", "T131"},
    };
    // A new list kind gets its items checked here, too.
    static_assert(sizeof cases / sizeof cases[0] == ListKindCount, "a case for every list kind");
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(c.kind), &c - cases) << "cases in the kinds' order";
        const std::vector<std::u16string> items = listItems(c.kind);
        SCOPED_TRACE(c.first);
        ASSERT_EQ(c.count, items.size());
        EXPECT_EQ(static_cast<int>(c.count), listCount(c.kind));
        EXPECT_TRUE(asciiText(c.first) == items.front());
        EXPECT_TRUE(asciiText(c.second) == items[1]);
        EXPECT_TRUE(asciiText(c.last) == items.back());
    }
}

TEST_F(PageListContents, OddItemsInsideTheGeneratedLists) {
    // The wide neutral-point list carries over at 100 with a colon; the
    // reading delay in minutes and seconds; times with three decimals.
    EXPECT_TRUE(u"2:98" == listItems(ListKind::NeutralPointWide)[49]);
    EXPECT_TRUE(u"2:54" == listItems(ListKind::NeutralPointWide)[27]);
    EXPECT_TRUE(u"1:00" == listItems(ListKind::ReadingDelay)[11]);
    EXPECT_TRUE(u"1,000" == listItems(ListKind::EmulationTime)[39]);
    EXPECT_TRUE(u"1,0" == listItems(ListKind::Tenths)[9]);
    EXPECT_TRUE(u"0,20" == listItems(ListKind::TpsInertia)[8]);
}

TEST_F(PageListContents, LanguageListsFollowTheLoadedTexts) {
    // Czech in its own code page: the items read as the language's letters.
    setLanguageEntry(EntryEmulationType1, "Konstruovan\xe1 \xe8\xed\xf8", CodePage::Central1250);
    EXPECT_TRUE(u"Konstruovan\u00e1 \u010d\u00ed\u0159" == listItems(ListKind::EmulationType)[0]);
}

TEST_F(PageListContents, NeutralPointListFollowsTheProbeType) {
    const struct {
        int type;
        ListKind kind;
        int base, preset;
    } cases[] = {
        {0, ListKind::NeutralPointLow, 20, 22},     {1, ListKind::NeutralPointWide, 100, 127},
        {4, ListKind::NeutralPointWide, 100, 127},  {5, ListKind::NeutralPointHigh, 50, 60},
        {15, ListKind::NeutralPointWide, 100, 127},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.kind, neutralPointKind(c.type)) << c.type;
        EXPECT_EQ(c.base, neutralPointBase(c.type)) << c.type;
        EXPECT_EQ(c.preset, neutralPointPreset(c.type)) << c.type;
    }
}

TEST_F(PageListContents, PagesSetUpTheirListsFromTheRightContents) {
    neutralListType = 5;
    for (const PageList& l : ConfigLists) {
        if (l.control == IDC_CFG_NEUTRAL_POINT) {
            EXPECT_EQ(ListKind::NeutralPointHigh, configSetUpKind(l));
        } else {
            EXPECT_EQ(l.kind, configSetUpKind(l));
        }
    }
    neutralListType = 0;
    EXPECT_EQ(ListKind::Plain256, jumpListKind(1));
    EXPECT_EQ(ListKind::EvenPercent, jumpListKind(3));
}

}  // namespace
