// The modal-dialog helper every test and tool uses, and the watchdog behind
// it: neither a dialog that never shows nor one that nobody closes can hang
// the run.
#include <windows.h>

#include <gtest/gtest.h>

#include "tools/win_run.h"

namespace {

// A modal dialog of our own that shows only once showAfterMs has passed
// (never, when 0), as a slow machine's dialog might.
struct LateDialog {
    DWORD showAfterMs;
    bool mayShow;
} late;

INT_PTR CALLBACK lateDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        late.mayShow = false;
        if (late.showAfterMs) SetTimer(dialog, 1, late.showAfterMs, nullptr);
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        if (!late.mayShow) reinterpret_cast<WINDOWPOS*>(lp)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
    case WM_TIMER:
        KillTimer(dialog, 1);
        late.mayShow = true;
        ShowWindow(dialog, SW_SHOW);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// Runs the late dialog modally over a hidden owner of its own.
void runLateDialog() {
    struct {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tpl = {{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 10, 10, 120, 60}, 0, 0, 0};
    HWND owner = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &tpl.t, owner, lateDialogProc, 0);
    DestroyWindow(owner);
}

// Run only by scripts/test's watchdog check (with a short limit): a modal
// dialog nobody closes is failed by name and its dialog cancelled...
TEST(Watchdog, DISABLED_DialogNobodyCloses) {
    late = LateDialog{1, false};
    runLateDialog();
}

// ...and a test that never returns ends the run, which scripts/test starts
// again after it: the tests below still run.
TEST(Watchdog, DISABLED_LoopThatNeverEnds) {
    for (;;) Sleep(50);
}

TEST(WinRun, WhileModalLooksAgainUntilALateDialogShows) {
    late = LateDialog{400, false};
    int handed = 0;
    const bool shown = whileModal(runLateDialog, [&](HWND d) {
        ++handed;
        cancelDialog(d);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(handed, 1);
}

TEST(WinRun, WhileModalCancelsADialogThatNeverShowsAndSaysSo) {
    late = LateDialog{0, false};
    int handed = 0;
    const DWORD t0 = GetTickCount();
    const bool shown = whileModal(
        runLateDialog, [&](HWND) { ++handed; }, 300);
    EXPECT_FALSE(shown);
    EXPECT_EQ(handed, 0);
    EXPECT_GE(GetTickCount() - t0, 300u);  // it did wait for the deadline
}

}  // namespace
