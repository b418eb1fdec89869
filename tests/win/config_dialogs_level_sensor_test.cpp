// The gas level sensor dialog under Wine.
#include "config_dialogs_fixture.h"

#include "res/resource.h"
#include "shell/palette_win.h"

namespace dialogtest {
namespace {

const COLORREF Green = RGB(0, 255, 0), Olive = RGB(128, 128, 0), Red = RGB(255, 0, 0),
               Brown = RGB(128, 84, 79);
const int Bars[4] = {IDC_LEVEL_BAR1, IDC_LEVEL_BAR2, IDC_LEVEL_BAR3, IDC_LEVEL_BAR4};
const int Edits[4] = {IDC_LEVEL_EDIT1, IDC_LEVEL_EDIT2, IDC_LEVEL_EDIT3, IDC_LEVEL_EDIT4};

class LevelSensorDialog : public ConfigDialog {
protected:
    // A generation-3 controller in the second mode, thresholds 10..40.
    void openInUse() {
        open(IDD_LEVEL_SENSOR, levelSensorDialogProc, 3);
        SimState& s = simState();
        s.configA.options = Options::LevelModeSecond;
        s.extended.prog1 = 10, s.extended.prog2 = 20, s.extended.prog3 = 30, s.extended.prog4 = 40;
        tick();
        received();
    }
    COLORREF lamp(const LampRect& r) {
        return pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    bool enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    int barPosition(int id) { return GetScrollPos(GetDlgItem(dialog, id), SB_CTL); }
    void scroll(int id, int code, int position = 0) {
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
};

TEST_F(LevelSensorDialog, TextsAndModeItemsFromTheLanguageTable) {
    open(IDD_LEVEL_SENSOR, levelSensorDialogProc, 3);
    EXPECT_EQ("T39", caption());
    EXPECT_EQ("T189", text(IDC_LEVEL_FACTORY));
    EXPECT_EQ("T52", text(IDC_LEVEL_MODE_LABEL));
    EXPECT_EQ("T160", text(IDOK));
    EXPECT_EQ(3, SendDlgItemMessageA(dialog, IDC_LEVEL_MODE, CB_GETCOUNT, 0, 0));
    for (int id : Edits) EXPECT_EQ("0", text(id));
}

TEST_F(LevelSensorDialog, ThresholdsAndLampsOfTheReportedLevel) {
    openInUse();
    simPortAdvanceClock(13000);  // the simulated tank is down to 3/4
    tick();
    EXPECT_EQ(1, selected(IDC_LEVEL_MODE));
    for (int t = 0; t < 4; ++t) {
        EXPECT_TRUE(enabled(Bars[t]));
        EXPECT_EQ(10 * (t + 1), barPosition(Bars[t]));
        EXPECT_EQ(std::to_string(10 * (t + 1)), text(Edits[t]));
    }
    EXPECT_EQ(Green, lamp(QuarterLamp[0]));
    EXPECT_EQ(Green, lamp(QuarterLamp[2]));
    EXPECT_EQ(Olive, lamp(QuarterLamp[3]));
    EXPECT_EQ(Brown, lamp(ReserveLamp));
    EXPECT_EQ(RGB(0, 0, 0), pixel(QuarterLamp[3].left, QuarterLamp[3].top));  // outline
    EXPECT_EQ(RGB(128, 128, 128), pixel(8, 30));                              // background

    simPortAdvanceClock(36000);  // down to the reserve
    tick();
    EXPECT_EQ(Red, lamp(ReserveLamp));
    EXPECT_EQ(Olive, lamp(QuarterLamp[0]));
}

TEST_F(LevelSensorDialog, FirstModeAndGenerationOneLeaveTheThresholdsOff) {
    openInUse();
    simState().configA.options = Options::LevelModeFirst;
    tick();
    EXPECT_EQ(0, selected(IDC_LEVEL_MODE));
    EXPECT_FALSE(enabled(IDC_LEVEL_BAR1));
    EXPECT_FALSE(enabled(IDC_LEVEL_EDIT4));
    EXPECT_FALSE(enabled(IDC_LEVEL_FACTORY));
    EXPECT_EQ("0", text(IDC_LEVEL_EDIT1));
    EXPECT_EQ(Olive, lamp(QuarterLamp[0]));

    simState().configA.options = 0;
    tick();
    EXPECT_EQ(2, selected(IDC_LEVEL_MODE));
    EXPECT_TRUE(enabled(IDC_LEVEL_FACTORY));
    EXPECT_EQ("10", text(IDC_LEVEL_EDIT1));

    DestroyWindow(dialog);
    open(IDD_LEVEL_SENSOR, levelSensorDialogProc, 1);
    simState().configA.options = 0;
    tick();
    EXPECT_FALSE(enabled(IDC_LEVEL_BAR4));
    EXPECT_EQ(std::vector<Frame>({readFrame(1), readFrame(3)}), received());
}

TEST_F(LevelSensorDialog, ThresholdControlsWaitForTheFirstRefreshAndPaintsKeepItsState) {
    const int thresholdControls[] = {IDC_LEVEL_BAR1,  IDC_LEVEL_BAR2,  IDC_LEVEL_BAR3,
                                     IDC_LEVEL_BAR4,  IDC_LEVEL_EDIT1, IDC_LEVEL_EDIT2,
                                     IDC_LEVEL_EDIT3, IDC_LEVEL_EDIT4, IDC_LEVEL_FACTORY};
    open(IDD_LEVEL_SENSOR, levelSensorDialogProc, 3);
    for (int id : thresholdControls) EXPECT_FALSE(enabled(id)) << id;
    DestroyWindow(dialog);
    openInUse();
    for (int id : thresholdControls) ASSERT_TRUE(enabled(id)) << id;  // the refresh turned them on
    const COLORREF lit = lamp(QuarterLamp[0]);
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
    KillTimer(dialog, DialogTimerId);
    for (int id : thresholdControls) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(lit, lamp(QuarterLamp[0]));
    EXPECT_TRUE(received().empty());
}

TEST_F(LevelSensorDialog, ThumbDragWritesOnceAtItsEnd) {
    openInUse();
    scroll(IDC_LEVEL_BAR1, SB_THUMBTRACK, 100);
    tick();  // no poll may pull the thumb back
    scroll(IDC_LEVEL_BAR1, SB_THUMBTRACK, 130);
    tick();
    scroll(IDC_LEVEL_BAR1, SB_THUMBPOSITION, 130);
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(130, barPosition(IDC_LEVEL_BAR1));
    EXPECT_EQ("10", text(IDC_LEVEL_EDIT1));
    scroll(IDC_LEVEL_BAR1, SB_ENDSCROLL);
    EXPECT_EQ(std::vector<Frame>{writeFrame(34, 130)}, received());  // address 33, shifted
    EXPECT_EQ("130", text(IDC_LEVEL_EDIT1));
    tick();
    EXPECT_EQ(130, barPosition(IDC_LEVEL_BAR1));  // as the controller now reports it
}

TEST_F(LevelSensorDialog, FactoryButtonMakesItsSevenExchangesInOrder) {
    openInUse();
    notify(IDC_LEVEL_FACTORY, BN_CLICKED);
    EXPECT_EQ(
        std::vector<Frame>({readFrame(1), writeFrame(31, 52), readFrame(5), writeFrame(34, 40),
                            writeFrame(35, 90), writeFrame(36, 140), writeFrame(37, 190)}),
        received());
}

TEST_F(LevelSensorDialog, FactoryThresholdsAreNotWrittenWhenTheirReadFails) {
    openInUse();
    simSetFault(SimFault::Drop, 2);  // answers the status poll and the command, then stops
    notify(IDC_LEVEL_FACTORY, BN_CLICKED);
    EXPECT_EQ(std::vector<Frame>({readFrame(1), writeFrame(31, 52), readFrame(5)}), received());
}

TEST_F(LevelSensorDialog, ModeListWritesTheOptionsByte) {
    open(IDD_LEVEL_SENSOR, levelSensorDialogProc, 1);
    simState().configA.options = 0x2B;
    tick();
    received();
    choose(IDC_LEVEL_MODE, 1);
    EXPECT_EQ(std::vector<Frame>{writeFrame(5, 0xAA)}, received());
}

}  // namespace
}  // namespace dialogtest
