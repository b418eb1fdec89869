// A main window (shelltest::ShellTest) with one service dialog created
// modeless over its page, so a test can send it messages and read it back.
#ifndef ZUVELS_TESTS_WIN_SERVICE_FIXTURE_H
#define ZUVELS_TESTS_WIN_SERVICE_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "service/dialogs_win.h"
#include "shell_fixture.h"
#include "sim/sim.h"
#include "tests/sim_frames.h"

namespace servicetest {

class ServiceDialogTest : public shelltest::ShellTest {
protected:
    HWND dialog = nullptr;

    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
        dialog = nullptr;
        shelltest::ShellTest::TearDown();
    }

    // Created as the shell would run it, minus the modal loop; its own timer
    // is stopped so that the test sends the ticks.
    void openDialog(int templateId, DLGPROC proc, UINT_PTR timerId) {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                    currentPage, proc, 0);
        ASSERT_NE(dialog, nullptr);
        if (timerId) KillTimer(dialog, timerId);
    }

    void tick(UINT_PTR timerId = 2) { SendMessageA(dialog, WM_TIMER, timerId, 0); }
    void click(int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void notify(int id, int code) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    std::string text(int id) const { return shelltest::windowText(GetDlgItem(dialog, id)); }
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
    bool visible(int id) const {
        return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
    }

    int listCount(int id) const {
        return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
    }
    int listSelection(int id) const {
        return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
    }
    std::string listItem(int id, int index) const {
        char item[64] = "";
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item));
        return item;
    }
    // A selection as the user makes it: the list reports the change.
    void choose(int id, int index) {
        SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
        notify(id, CBN_SELCHANGE);
    }

    // Where the dialog should stand on the recorded screen.
    POINT centredOrigin() const {
        RECT r;
        GetWindowRect(dialog, &r);
        return {(lastScreenW - (r.right - r.left)) / 2, (lastScreenH - (r.bottom - r.top)) / 2};
    }
    POINT origin() const {
        RECT r;
        GetWindowRect(dialog, &r);
        return {r.left, r.top};
    }
};

using simframes::commandsReceived;
using simframes::framesReceived;
using simframes::writeFrame;

}  // namespace servicetest

#endif
