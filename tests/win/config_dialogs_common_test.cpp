// What the three configuration dialogs share: their place on the screen,
// their timer, the open-list pause and how they give their page back.
#include "shell/shell_win.h"
#include "config_dialogs_fixture.h"

#include "config/config_dialogs.h"
#include "res/resource.h"
#include "link/link_testing.h"

namespace dialogtest {
namespace {

const struct {
    const char* name;
    int templateId;
    DLGPROC proc;
    void (*open)(HWND);
    const bool* pageFlag;
    void (*setPageFlag)(bool);
    bool rearmsWhileAListIsOpen;  // only the corrections follow the link's rate then
} dialogs[] = {
    {"corrections", IDD_CORRECTIONS, correctionsDialogProc, openCorrectionsDialog,
     &optionsDialogOpen, setOptionsDialogOpen, true},
    {"level sensor", IDD_LEVEL_SENSOR, levelSensorDialogProc, openLevelSensorDialog,
     &configDialogOpen, setConfigDialogOpen, false},
    {"lambda emulation", IDD_LAMBDA_EMULATION, lambdaEmulationDialogProc, openLambdaEmulationDialog,
     &configDialogOpen, setConfigDialogOpen, false},
};

class ConfigDialogs : public ConfigDialog {
protected:
    void close() {
        DestroyWindow(dialog);
        dialog = nullptr;
    }
};

TEST_F(ConfigDialogs, CentredOnTheRecordedScreen) {
    shellWindow().lastScreenW = 1280;
    shellWindow().lastScreenH = 1000;
    for (const auto& d : dialogs) {
        open(d.templateId, d.proc, 3);
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ((1280 - (r.right - r.left)) / 2, r.left) << d.name;
        EXPECT_EQ((1000 - (r.bottom - r.top)) / 2, r.top) << d.name;
        close();
    }
}

TEST_F(ConfigDialogs, OpeningArmsTheTimerWithThePollIntervalAndPaintsDoNot) {
    for (const auto& d : dialogs) {
        setArmedInterval(0);
        linkForTests().PollInterval = 1000;
        open(d.templateId, d.proc, 3);
        EXPECT_EQ(1000, armedInterval) << d.name;
        setArmedInterval(0);
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        EXPECT_EQ(0, armedInterval) << d.name;
        KillTimer(dialog, DialogTimerId);
        linkForTests().PollInterval = 50;
        close();
    }
}

TEST_F(ConfigDialogs, DroppedDownListStopsThePolling) {
    for (const auto& d : dialogs) {
        open(d.templateId, d.proc, 3);
        tick();
        EXPECT_FALSE(received().empty()) << d.name;
        // Each dialog has a list with this id: the first one.
        notify(IDC_CORRECTION_LIST1, CBN_DROPDOWN);
        EXPECT_TRUE(dropDownOpen);
        tick();
        tick();
        EXPECT_TRUE(received().empty()) << d.name;
        notify(IDC_CORRECTION_LIST1, CBN_CLOSEUP);
        EXPECT_FALSE(dropDownOpen);
        tick();
        EXPECT_FALSE(received().empty()) << d.name;
        close();
    }
}

TEST_F(ConfigDialogs, IntervalCheckWhileAListIsOpen) {
    for (const auto& d : dialogs) {
        open(d.templateId, d.proc, 3);
        tick();
        received();
        notify(IDC_CORRECTION_LIST1, CBN_DROPDOWN);
        setArmedInterval(50);
        linkForTests().PollInterval = 1000;  // as when the link went down meanwhile
        tick();
        KillTimer(dialog, DialogTimerId);
        EXPECT_EQ(d.rearmsWhileAListIsOpen ? 1000 : 50, armedInterval) << d.name;
        EXPECT_TRUE(received().empty()) << d.name;
        notify(IDC_CORRECTION_LIST1, CBN_CLOSEUP);
        linkForTests().PollInterval = 50;
        close();
    }
}

// Closes the modal dialog of the running test from inside its message loop.
struct ModalProbe {
    const bool* pageFlag;
    bool flagWhileOpen, seen;
} probe;

void closeOpenDialog(HWND d) {
    probe.seen = true;
    probe.flagWhileOpen = *probe.pageFlag;
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
}

TEST_F(ConfigDialogs, ModalRunHoldsThePageFlagUntilItCloses) {
    SimConfig c;
    simPortSetup(c);
    for (const auto& d : dialogs) {
        probe = ModalProbe{d.pageFlag, false, false};
        d.setPageFlag(false);  // the open sets it
        whileModal([&] { d.open(parent); }, closeOpenDialog);
        EXPECT_TRUE(probe.seen) << d.name;
        EXPECT_TRUE(probe.flagWhileOpen) << d.name;
        EXPECT_FALSE(*d.pageFlag) << d.name;
    }
}

}  // namespace
}  // namespace dialogtest
