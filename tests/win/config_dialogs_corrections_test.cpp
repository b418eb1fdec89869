// The actuator corrections dialog under Wine.
#include "config_dialogs_fixture.h"

#include "config/corrections.h"
#include "res/resource.h"

namespace dialogtest {
namespace {

const int Lists[4] = {IDC_CORRECTION_LIST1, IDC_CORRECTION_LIST2, IDC_CORRECTION_LIST3,
                      IDC_CORRECTION_LIST4};

class CorrectionsDialog : public ConfigDialog {};

TEST_F(CorrectionsDialog, TextsFromTheLanguageTableAndNoSelectionBeforeTheFirstTick) {
    open(IDD_CORRECTIONS, correctionsDialogProc, 1);
    EXPECT_EQ("T98", caption());
    EXPECT_EQ("T99", text(IDC_CORRECTION_LABEL1));
    EXPECT_EQ("T102", text(IDC_CORRECTION_LABEL4));
    EXPECT_EQ("T103", text(IDOK));
    for (int id : Lists) {
        EXPECT_EQ(16, SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(-1, selected(id));
    }
    char item[16] = "";
    SendDlgItemMessageA(dialog, IDC_CORRECTION_LIST2, CB_GETLBTEXT, 15,
                        reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ("+20", item);
}

TEST_F(CorrectionsDialog, GenerationOneShowsAndWritesTheConfigABytes) {
    open(IDD_CORRECTIONS, correctionsDialogProc, 1);
    simState().configA.emulDoTimeHi = 0x9F;
    tick();
    EXPECT_EQ(0, selected(IDC_CORRECTION_LIST1));
    EXPECT_EQ(6, selected(IDC_CORRECTION_LIST2));
    received();
    choose(IDC_CORRECTION_LIST1, 6);
    EXPECT_EQ(std::vector<Frame>{writeFrame(12, 0x99)}, received());
    EXPECT_EQ(0x99, simState().configA.emulDoTimeHi);
}

TEST_F(CorrectionsDialog, GenerationThreeUsesTheExtendedBytesOnWireAddresses13And14) {
    open(IDD_CORRECTIONS, correctionsDialogProc, 3);
    simState().extended.zamOtwBj = 0x9F;
    simState().extended.zamOtwDo = 0x3C;
    tick();
    EXPECT_EQ(std::vector<Frame>({readFrame(1), readFrame(5)}), received());
    EXPECT_EQ(3, selected(IDC_CORRECTION_LIST3));
    choose(IDC_CORRECTION_LIST1, 6);
    choose(IDC_CORRECTION_LIST4, 8);  // nibble 7, above the low nibble C
    EXPECT_EQ(std::vector<Frame>({writeFrame(13, 0x99), writeFrame(14, 0x7C)}), received());
    EXPECT_EQ(0x99, simState().extended.zamOtwBj);
    EXPECT_EQ(0x7C, simState().extended.zamOtwDo);
}

TEST_F(CorrectionsDialog, NothingIsWrittenOnceTheLinkIsLost) {
    open(IDD_CORRECTIONS, correctionsDialogProc, 1);
    tick();
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) tick();
    ASSERT_EQ(LinkStateKind::Down, LinkState);
    EXPECT_EQ(15, selected(IDC_CORRECTION_LIST1));  // zeroed store: nibble 0
    received();
    choose(IDC_CORRECTION_LIST1, 3);
    EXPECT_TRUE(received().empty());
}

}  // namespace
}  // namespace dialogtest
