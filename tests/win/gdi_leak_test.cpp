// Every page and dialog, shown again and again, gives back the GDI objects
// it takes: a fitter leaves the program open all day.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/pages_win.h"
#include "shell_fixture.h"
#include "tools/win_run.h"

using namespace shelltest;

namespace {

class GdiLeak : public ShellTest {
public:
    void cmd(int id) { command(id); }
    // Shows what the action shows, eight times, after two showings that may
    // create what stays for good (fonts, shared bitmaps, the system's own).
    long growthOf(void (*action)(GdiLeak&)) {
        action(*this);
        action(*this);
        drainMessages();
        const long before = gdiObjectCount();
        for (int i = 0; i < 8; ++i) action(*this);
        drainMessages();
        return gdiObjectCount() - before;
    }
    // Opens a dialog and closes it from inside its own message loop.
    void dialog(int id) {
        EXPECT_TRUE(whileModal([&] { command(id); }, closeByMessage)) << "dialog " << id;
    }
    static void closeByMessage(HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }
    void pageControl(int page, int control, int code) {
        command(page);
        HWND c = GetDlgItem(currentPage, control);
        ASSERT_NE(c, nullptr);
        if (code == CBN_SELCHANGE) SendMessageA(c, CB_SETCURSEL, 0, 0);
        const bool shown = whileModal(
            [&] {
                SendMessageA(currentPage, WM_COMMAND, MAKEWPARAM(control, code),
                             reinterpret_cast<LPARAM>(c));
            },
            closeByMessage);
        EXPECT_TRUE(shown) << "dialog of control " << control;
    }
};

TEST_F(GdiLeak, PagesSizesLanguagesAndDialogsGiveBackWhatTheyTake) {
    start(1, "ang");
    pollStatus();  // the simulated controller answers: the dialogs read real blocks
    const struct {
        const char* name;
        void (*action)(GdiLeak&);
    } cases[] = {
        {"pages",
         [](GdiLeak& t) {
             // every page, ending on the readings page it started on
             for (int i = 1; i <= PageCount; ++i) t.cmd(AllPages[i % PageCount].command);
         }},
        {"sizes", [](GdiLeak& t) { t.cmd(IDM_SIZE_640), t.cmd(IDM_SIZE_800); }},
        {"languages", [](GdiLeak& t) { t.cmd(IDM_LANG_RUS), t.cmd(IDM_LANG_ANG); }},
        {"about", [](GdiLeak& t) { t.dialog(IDM_ABOUT); }},
        {"device information", [](GdiLeak& t) { t.dialog(IDM_DEVICE_INFO); }},
        {"port search", [](GdiLeak& t) { t.dialog(IDM_AUTO_SCAN); }},
        {"gas level sensor",
         [](GdiLeak& t) { t.pageControl(IDM_CONFIGURATION, IDC_CFG_LEVEL_SENSOR, BN_CLICKED); }},
        {"lambda emulation",
         [](GdiLeak& t) {
             t.pageControl(IDM_CONFIGURATION, IDC_CFG_EMULATION_TYPE, CBN_SELCHANGE);
         }},
        {"corrections",
         [](GdiLeak& t) { t.pageControl(IDM_OPTIONS, IDC_OPT_CORRECTIONS, BN_CLICKED); }},
    };
    for (const auto& c : cases) EXPECT_EQ(growthOf(c.action), 0) << c.name;
}

}  // namespace
