// The configuration dialogs under Wine: a dialog created modeless from its
// template over a parent window of the test's own, on the in-process
// simulated controller. Ticks are sent by hand; frames are read from the
// simulator's log and the drawing pixel by pixel.
#ifndef ZUVELS_TESTS_WIN_CONFIG_DIALOGS_FIXTURE_H
#define ZUVELS_TESTS_WIN_CONFIG_DIALOGS_FIXTURE_H

#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "config/config_dialogs_win.h"
#include "config/lambda_emulation.h"
#include "config/level_sensor.h"
#include "link/blocks.h"
#include "link/link.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/shell_win.h"
#include "sim/sim.h"
#include "test_window.h"
#include "tests/sim_frames.h"

namespace dialogtest {

using simframes::Frame;
using simframes::readFrame;
using simframes::writeFrame;
using wintest::pump;

inline HWND makeParent() { return wintest::makeParent(400, 300, true); }

class ConfigDialog : public testing::Test {
protected:
    HWND parent = nullptr, dialog = nullptr;

    void SetUp() override {
        resetLinkState();
        useLinkBackend(&simPortOps);
        resetLevelSensorState();
        resetLambdaEmulationState();
        clearPauseFlags();
        shellWindow().lastScreenW = 1400;
        shellWindow().lastScreenH = 1050;
        for (int k = 0; k < LanguageEntries; ++k)
            setLanguageEntry(k, ("T" + std::to_string(k)).c_str());
        parent = makeParent();
        ASSERT_NE(nullptr, parent);
    }

    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
        if (parent) DestroyWindow(parent);
        pump();
        clearPauseFlags();
        resetLevelSensorState();
        resetLambdaEmulationState();
        resetLinkState();
    }

    // The controller, then the dialog shown and painted once; its timer is
    // stopped so that every tick comes from the test.
    void open(int templateId, DLGPROC proc, int generation) {
        SimConfig c;
        c.generation = generation;
        simPortSetup(c);
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                                    proc, 0);
        ASSERT_NE(nullptr, dialog);
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog);
        pump(dialog);
        KillTimer(dialog, DialogTimerId);
        simClearLog();
    }

    void tick() { SendMessageA(dialog, WM_TIMER, DialogTimerId, 0); }

    void notify(int id, int code) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    void choose(int id, int index) {
        SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        notify(id, CBN_SELCHANGE);
    }
    int selected(int id) {
        return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
    }
    std::string text(int id) {
        char buf[300] = "";
        GetDlgItemTextA(dialog, id, buf, sizeof buf);
        return buf;
    }
    std::string caption() {
        char buf[300] = "";
        GetWindowTextA(dialog, buf, sizeof buf);
        return buf;
    }

    // Frames the controller received since the last call, but for the echo
    // probe of a newly opened port.
    std::vector<Frame> received() {
        const std::vector<Frame> frames = simframes::requestsReceived();
        simClearLog();
        return frames;
    }

    COLORREF pixel(int x, int y) { return wintest::pixelOf(dialog, x, y); }
    int countPixels(int x1, int y1, int x2, int y2, COLORREF colour) {
        HDC dc = GetDC(dialog);
        int n = 0;
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x) n += GetPixel(dc, x, y) == colour;
        ReleaseDC(dialog, dc);
        return n;
    }
};

}  // namespace dialogtest

#endif
