// The lambda emulation dialog under Wine.
#include "config_dialogs_fixture.h"

#include "res/resource.h"

namespace dialogtest {
namespace {

const COLORREF Yellow = RGB(255, 255, 0), Black = RGB(0, 0, 0), Grey = RGB(128, 128, 128),
               White = RGB(255, 255, 255);

class LambdaEmulationDialog : public ConfigDialog {
protected:
    // H = 40 and L = 100: a high segment of 22 points from x 59 to 81, then
    // a low one of 52 points from 81 to 133.
    void openWithTimes(int generation, int probe = 0) {
        open(IDD_LAMBDA_EMULATION, lambdaEmulationDialogProc, generation);
        SimState& s = simState();
        s.configA.emulBjTimeHi = 40;
        s.configA.emulBjTimeLo = 100;
        s.configA.lambdaType = static_cast<uint8_t>(probe << 4);
        tick();
        received();
    }
    void stain(int x1, int y1, int x2, int y2) {
        HDC dc = GetDC(dialog);
        RECT r = {x1, y1, x2, y2};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ReleaseDC(dialog, dc);
    }
};

TEST_F(LambdaEmulationDialog, CaptionJoinsTheTypeLabelAndItsFirstItem) {
    open(IDD_LAMBDA_EMULATION, lambdaEmulationDialogProc, 1);
    EXPECT_EQ("T43:   T61", caption());
    EXPECT_EQ("T44", text(IDC_EMULATION_HIGH_LABEL));
    EXPECT_EQ("T45", text(IDC_EMULATION_LOW_LABEL));
    EXPECT_EQ("T55", text(IDC_EMULATION_HIGH_UNIT));
    EXPECT_EQ("T56", text(IDC_EMULATION_LOW_UNIT));
    EXPECT_EQ("T160", text(IDOK));
    EXPECT_EQ(255, SendDlgItemMessageA(dialog, IDC_EMULATION_LOW, CB_GETCOUNT, 0, 0));
}

TEST_F(LambdaEmulationDialog, ListsShowTheStoredTimesAndWriteAChoiceAtOnce) {
    openWithTimes(1);
    EXPECT_EQ(39, selected(IDC_EMULATION_HIGH));
    EXPECT_EQ(99, selected(IDC_EMULATION_LOW));
    choose(IDC_EMULATION_HIGH, 9);
    choose(IDC_EMULATION_LOW, 254);
    EXPECT_EQ(std::vector<Frame>({writeFrame(10, 10), writeFrame(11, 255)}), received());

    DestroyWindow(dialog);
    openWithTimes(3);
    choose(IDC_EMULATION_HIGH, 0);
    EXPECT_EQ(std::vector<Frame>{writeFrame(11, 1)}, received());
}

TEST_F(LambdaEmulationDialog, WaveFollowsThePointCounterRule) {
    openWithTimes(1);
    EXPECT_EQ(Yellow, pixel(70, 45));  // high
    EXPECT_EQ(Black, pixel(70, 145));
    EXPECT_EQ(Yellow, pixel(81, 100));  // falling edge
    EXPECT_EQ(Black, pixel(82, 100));
    EXPECT_EQ(Yellow, pixel(100, 145));  // low
    EXPECT_EQ(Yellow, pixel(133, 100));  // rising edge
    EXPECT_EQ(0, countPixels(541, 11, 549, 164, Yellow));
    EXPECT_EQ(Grey, pixel(45, 100));   // vertical axis
    EXPECT_EQ(Grey, pixel(300, 155));  // horizontal axis
    EXPECT_EQ(Grey, pixel(41, 125));   // tick
    EXPECT_EQ(Black, pixel(20, 160));  // plot area
}

TEST_F(LambdaEmulationDialog, AxisLabelsFollowTheProbeType) {
    const struct {
        int probe;
        bool fourShown, decimalShown;
    } cases[] = {{0, false, false}, {5, false, true}, {2, true, false}};
    for (const auto& c : cases) {
        openWithTimes(1, c.probe);
        // "4" at (23, 55) and the decimal part of "0.8" right of x 23 at y 135.
        EXPECT_EQ(c.fourShown, countPixels(23, 55, 33, 70, White) > 0) << c.probe;
        EXPECT_EQ(c.decimalShown, countPixels(30, 135, 38, 150, White) > 0) << c.probe;
        DestroyWindow(dialog);
        dialog = nullptr;
    }
}

TEST_F(LambdaEmulationDialog, WaveIsDrawnAgainForNewTimesAndByEveryPaint) {
    openWithTimes(1);
    stain(65, 40, 75, 50);
    tick();
    EXPECT_EQ(White, pixel(70, 45));  // same times: left alone

    simState().configA.emulBjTimeHi = 60;
    tick();
    EXPECT_EQ(Yellow, pixel(70, 45));

    stain(65, 40, 75, 50);
    InvalidateRect(dialog, nullptr, TRUE);  // erased, then the plot drawn again
    UpdateWindow(dialog);
    KillTimer(dialog, DialogTimerId);
    EXPECT_EQ(Yellow, pixel(70, 45));
    EXPECT_EQ(Black, pixel(300, 100));
}

}  // namespace
}  // namespace dialogtest
