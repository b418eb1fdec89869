// The main window: start-up size and place, pages, window sizes, shutdown.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/seams_win.h"
#include "shell/sizes.h"
#include "res/resource.h"
#include "shell/fonts_win.h"
#include "shell/pages_win.h"
#include "shell_fixture.h"

using namespace shelltest;

namespace {

const int SizeItems[5] = {IDM_SIZE_640, IDM_SIZE_800, IDM_SIZE_1024, IDM_SIZE_1280_960,
                          IDM_SIZE_1280_1024};

struct StartCase {
    long screenW, screenH;
    int sizeMode;
    long x, y;
};

// The window sizes, scales and font heights of the five sizes, written out
// rather than read from the layout table under test.
const int WindowW[5] = {640, 800, 1024, 1280, 1280};
const int WindowH[5] = {450, 570, 738, 930, 994};
const double ScaleX[5] = {0.8, 1.0, 1.28, 1.6, 1.6};
const double ScaleY[5] = {0.77, 1.0, 1.32, 1.69, 1.81};
const int FontLargeH[5] = {28, 36, 49, 62, 65};
const int FontSmallH[5] = {14, 18, 18, 24, 24};

TEST_F(ShellTest, StartsInTheLargestSizeThatFitsAndCentresWhenThereIsRoom) {
    const StartCase cases[] = {
        {1280, 1024, 5, 0, 0},  // 0 pixels to spare: not centred
        {1280, 1000, 4, 0, 0},  // too short for 1280x1024
        {1400, 1050, 5, 60, 28}, {1024, 768, 3, 0, 0},  {1100, 800, 3, 38, 31},
        {800, 600, 2, 0, 0},     {799, 600, 1, 79, 75}, {1280, 959, 3, 128, 110},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenW) + "x" + std::to_string(c.screenH));
        fakeScreen() = {0, 0, c.screenW, c.screenH};
        start();
        EXPECT_EQ(shownSize, c.sizeMode);
        RECT r;
        GetWindowRect(mainWindow, &r);
        EXPECT_EQ(r.left, c.x);
        EXPECT_EQ(r.top, c.y);
        EXPECT_EQ(r.right - r.left, WindowW[c.sizeMode - 1]);
        EXPECT_EQ(r.bottom - r.top, WindowH[c.sizeMode - 1]);
        for (int m = 1; m <= 5; ++m) {
            EXPECT_EQ(isGreyed(SizeItems[m - 1]), m > c.sizeMode) << "size item " << m;
            EXPECT_EQ(isChecked(SizeItems[m - 1]), m == c.sizeMode) << "size item " << m;
        }
        EXPECT_EQ(dashboardScale.sx, ScaleX[c.sizeMode - 1]);
        EXPECT_EQ(dashboardScale.sy, ScaleY[c.sizeMode - 1]);
        DestroyWindow(mainWindow);
        drainMessages();
    }
}

TEST_F(ShellTest, StartsOnTheReadingsPageWithTheMainWindowStyleAndTitle) {
    start(1, "ang");
    EXPECT_EQ(shownPage, PageReadings);
    EXPECT_EQ(currentPageTemplate, IDD_READINGS);
    EXPECT_EQ(GetParent(currentPage), mainWindow);
    EXPECT_EQ(windowText(mainWindow), entryText("ang", 175));
    EXPECT_TRUE(isHilited(IDM_READINGS));
    const LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    char name[64] = "";
    GetClassNameA(mainWindow, name, sizeof name);
    EXPECT_STREQ(name, "ZUVELMxx");
    // The readings page starts at (-5, -10) of the client area, main-window sized.
    RECT page;
    GetWindowRect(currentPage, &page);
    POINT origin = {0, 0};
    ClientToScreen(mainWindow, &origin);
    EXPECT_EQ(page.left - origin.x, -5);
    EXPECT_EQ(page.top - origin.y, -10);
    EXPECT_EQ(static_cast<unsigned>(page.right - page.left), winW);
}

struct PageCase {
    int command;
    Page page;
    int titleEntry;
    const int* templateBySize;
};
// The page table's rows from its second, ending on the readings page the
// window starts with, so that each command changes the page.
std::vector<PageCase> pageCases() {
    std::vector<PageCase> cases;
    for (int i = 1; i <= PageCount; ++i) {
        const PageEntry& p = AllPages[i % PageCount];
        cases.push_back({p.command, p.kind, p.title, pageHooks(p.kind).templates});
    }
    return cases;
}
const std::vector<PageCase> PageCases = pageCases();

TEST_F(ShellTest, EachPageCommandCreatesItsTemplateForTheSizeWithItsTitle) {
    start(1, "ang");
    std::set<std::string> titles;  // each page has a title of its own
    for (int size : {1, 3, 5}) {
        command(SizeItems[size - 1]);
        for (const PageCase& c : PageCases) {
            SCOPED_TRACE("size " + std::to_string(size) + " page " + std::to_string(c.page));
            command(c.command);
            EXPECT_EQ(shownPage, c.page);
            EXPECT_EQ(currentPageTemplate, c.templateBySize[size - 1]);
            EXPECT_TRUE(IsWindow(currentPage));
            EXPECT_EQ(GetParent(currentPage), mainWindow);
            EXPECT_EQ(windowText(mainWindow), entryText("ang", c.titleEntry));
            titles.insert(windowText(mainWindow));
            for (const PageEntry& p : AllPages)
                EXPECT_EQ(isHilited(p.command), p.command == c.command)
                    << "page item " << p.command;
        }
    }
    EXPECT_EQ(titles.size(), static_cast<size_t>(PageCount));
}

TEST_F(ShellTest, ChoosingTheShownPageAgainKeepsIt) {
    start();
    for (const PageCase& c : PageCases) {
        command(c.command);
        HWND page = currentPage;
        HiliteMenuItem(mainWindow, GetMenu(mainWindow), c.command, MF_BYCOMMAND | MF_UNHILITE);
        command(c.command);
        EXPECT_EQ(currentPage, page) << "page " << c.page;
        EXPECT_TRUE(IsWindow(page));
        EXPECT_TRUE(isHilited(c.command)) << "page " << c.page;
    }
}

TEST_F(ShellTest, SizeChangeRecreatesEveryPageButTheFactoryResetPage) {
    start();
    for (const PageCase& c : PageCases) {
        SCOPED_TRACE("page " + std::to_string(c.page));
        command(c.command);
        const std::string title = windowText(mainWindow);
        HWND before = currentPage;
        command(IDM_SIZE_800);
        EXPECT_EQ(shownSize, 2);
        EXPECT_EQ(IsWindow(before) != FALSE, c.page == PageReset);
        EXPECT_EQ(currentPage == before, c.page == PageReset);
        EXPECT_EQ(currentPageTemplate, c.templateBySize[1]);
        EXPECT_EQ(shownPage, c.page);
        EXPECT_EQ(windowText(mainWindow), title);
        RECT r;
        GetWindowRect(mainWindow, &r);
        EXPECT_EQ(r.right - r.left, 800);
        EXPECT_EQ(r.bottom - r.top, 570);
        EXPECT_EQ(r.left, 300);  // (1400 - 800) / 2
        EXPECT_EQ(r.top, 240);   // (1050 - 570) / 2
        EXPECT_TRUE(isChecked(IDM_SIZE_800));
        EXPECT_FALSE(isChecked(IDM_SIZE_1280_1024));
        command(IDM_SIZE_1280_1024);
    }
}

TEST_F(ShellTest, ASizeChangePlacesTheFactoryResetPageForTheSize) {
    start();
    command(IDM_RESET);
    command(IDM_SIZE_1024);
    RECT page;
    GetWindowRect(currentPage, &page);
    EXPECT_EQ(page.right - page.left, 1024);
    EXPECT_EQ(page.bottom - page.top, 738);
    HWND button = GetDlgItem(currentPage, IDC_RESET_BUTTON);
    ASSERT_NE(button, nullptr);
    RECT b;
    GetWindowRect(button, &b);
    POINT at = {b.left, b.top};
    ScreenToClient(currentPage, &at);
    EXPECT_EQ(at.x, 150);
    EXPECT_EQ(at.y, 300);
    EXPECT_EQ(b.right - b.left, 700);
}

TEST_F(ShellTest, ADisplayChangeOffersOnlyTheSizesTheScreenFitsButKeepsTheSize) {
    start();
    ASSERT_EQ(shownSize, 5);
    fakeScreen() = {0, 0, 1024, 768};
    displayChanged();
    EXPECT_EQ(shownSize, 5);
    EXPECT_FALSE(isGreyed(IDM_SIZE_1024));
    EXPECT_TRUE(isGreyed(IDM_SIZE_1280_960));
    EXPECT_TRUE(isGreyed(IDM_SIZE_1280_1024));
    EXPECT_TRUE(isChecked(IDM_SIZE_1280_1024));
    // A new language menu carries the same enabled sizes.
    command(IDM_LANG_POL);
    EXPECT_TRUE(isGreyed(IDM_SIZE_1280_960));
    EXPECT_FALSE(isGreyed(IDM_SIZE_1024));
}

// Sends Alt+F4 through the accelerator table as the loop would, with the
// page as the key's target (it has the focus).
void pressAltF4() {
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE withAlt[256];
    memcpy(withAlt, keys, sizeof keys);
    withAlt[VK_MENU] |= 0x80;
    SetKeyboardState(withAlt);
    MSG msg = {};
    msg.hwnd = currentPage;
    msg.message = WM_SYSKEYDOWN;
    msg.wParam = VK_F4;
    msg.lParam = 0x20000001 | (MapVirtualKeyA(VK_F4, 0) << 16);
    const bool translated = translateShellAccelerator(&msg);
    SetKeyboardState(keys);
    EXPECT_TRUE(translated);
}

TEST_F(ShellTest, ExitAltF4AndCloseEndWithCodeZeroAndLeaveTheSettingsFile) {
    enum Way { Exit, AltF4, Close };
    for (Way way : {Exit, AltF4, Close}) {
        SCOPED_TRACE("way " + std::to_string(way));
        start(3, "ang");
        const std::string before = readFileBytes(iniPath());
        command(IDM_READINGS);
        HWND page = currentPage;
        switch (way) {
        case Exit: command(IDM_EXIT); break;
        case AltF4: pressAltF4(); break;
        case Close: SendMessageA(mainWindow, WM_CLOSE, 0, 0); break;
        }
        EXPECT_EQ(mainWindow, nullptr);
        EXPECT_FALSE(IsWindow(page));
        EXPECT_EQ(drainMessages(), 0);
        EXPECT_EQ(readFileBytes(iniPath()), before);
    }
}

TEST_F(ShellTest, ChoosingAPortForgetsWhatTheOldControllerSent) {
    start();
    pollStatus();
    readConfigABlock();
    ASSERT_TRUE(ConfigAValid);
    command(IDM_COM2);
    // A write built from ConfigA now waits for the new controller's bytes.
    EXPECT_FALSE(ConfigAValid);
    EXPECT_FALSE(StatusValid);
    EXPECT_STREQ(SelectedPortPath, "COM2:");
    EXPECT_EQ(CommPort, 2);
}

TEST_F(ShellTest, ClosingShutsTheOpenPort) {
    start();
    pollStatus();
    ASSERT_TRUE(PortOpen);
    command(IDM_EXIT);
    EXPECT_FALSE(PortOpen);
}

}  // namespace

namespace {

// Waits up to a second for the page's own poll timer to fire, dispatching
// whatever else arrives meanwhile.
bool pageTimerRuns(HWND page) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == page) return true;
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

TEST_F(ShellTest, ReadingsPageStartsPollingAfterStartSizeAndLanguageChanges) {
    start();
    EXPECT_TRUE(pageTimerRuns(currentPage)) << "after start";
    command(IDM_SIZE_1024);
    EXPECT_TRUE(pageTimerRuns(currentPage)) << "after a size change";
    command(IDM_LANG_POL);
    EXPECT_TRUE(pageTimerRuns(currentPage)) << "after a language change";
    command(IDM_SCOPE);
    command(IDM_READINGS);
    EXPECT_TRUE(pageTimerRuns(currentPage)) << "after a page change";
}

// Counts the paints the page gets on its own, passing each on.
WNDPROC pageProcBefore;
int pagePaints;
LRESULT CALLBACK countingPageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) ++pagePaints;
    return CallWindowProcA(pageProcBefore, w, msg, wp, lp);
}

TEST_F(ShellTest, MainWindowPaintsLeaveThePageAlone) {
    start();
    ASSERT_TRUE(pageTimerRuns(currentPage));
    pageProcBefore = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(currentPage, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingPageProc)));
    pagePaints = 0;
    for (int i = 0; i < 3; ++i) {
        repaintMain();
        drainMessages();
    }
    // The main window clips its children: its paint neither draws over the
    // page nor makes it draw itself again.
    EXPECT_EQ(pagePaints, 0);
    EXPECT_TRUE(pageTimerRuns(currentPage));
}

struct FontCase {
    int command;
    int sizeMode;
    BYTE charSet;
};

TEST_F(ShellTest, DashboardFontsFollowTheSizeAndTheLanguage) {
    start(1, "pol");
    const FontCase cases[] = {
        {0, 5, 238},
        {IDM_LANG_RUS, 5, 204},
        {IDM_SIZE_800, 2, 204},
        {IDM_LANG_ANG, 2, 238},
        {IDM_SIZE_640, 1, 238},
        {IDM_LANG_RUS, 1, 204},
    };
    for (const FontCase& c : cases) {
        SCOPED_TRACE("command " + std::to_string(c.command));
        if (c.command) command(c.command);
        drainMessages();
        LOGFONTA large = {}, small = {};
        ASSERT_TRUE(GetObjectA(fontLarge, sizeof large, &large));
        ASSERT_TRUE(GetObjectA(fontSmall, sizeof small, &small));
        EXPECT_EQ(large.lfCharSet, c.charSet);
        EXPECT_EQ(small.lfCharSet, c.charSet);
        EXPECT_EQ(large.lfHeight, FontLargeH[c.sizeMode - 1]);
        EXPECT_EQ(small.lfHeight, FontSmallH[c.sizeMode - 1]);
        EXPECT_STREQ(large.lfFaceName, "Arial");
    }
}

}  // namespace

#include "shell/settings_file_win.h"

namespace {

TEST_F(ShellTest, MenuLoopEndRestoresThePageHighlight) {
    start();
    command(IDM_OPTIONS);
    HiliteMenuItem(mainWindow, GetMenu(mainWindow), IDM_OPTIONS, MF_BYCOMMAND | MF_UNHILITE);
    HiliteMenuItem(mainWindow, GetMenu(mainWindow), IDM_READINGS, MF_BYCOMMAND | MF_HILITE);
    SendMessageA(mainWindow, WM_EXITMENULOOP, 0, 0);
    EXPECT_TRUE(isHilited(IDM_OPTIONS));
    EXPECT_FALSE(isHilited(IDM_READINGS));
}

struct ChooserCall {
    HWND owner;
    bool save;
};
std::vector<ChooserCall> chooserCalls;
bool cancelChooser(HWND owner, bool save, const SettingsFormat&, char*, size_t) {
    chooserCalls.push_back({owner, save});
    return false;
}
int answerOk(HWND, const wchar_t*, const wchar_t*, UINT) { return IDOK; }

TEST_F(ShellTest, FileCommandsOpenTheirDialogsOwnedByTheCurrentPage) {
    start();
    pollStatus();  // the controller's generation picks the format
    auto* chooser = shellSeams.settingsFileChooser;
    auto* box = shellSeams.settingsMessageBox;
    shellSeams.settingsFileChooser = cancelChooser;
    shellSeams.settingsMessageBox = answerOk;
    chooserCalls.clear();
    command(IDM_CONFIGURATION);
    command(IDM_OPEN);
    command(IDM_SAVE_AS);
    shellSeams.settingsFileChooser = chooser;
    shellSeams.settingsMessageBox = box;
    ASSERT_EQ(chooserCalls.size(), 2u);
    EXPECT_EQ(chooserCalls[0].owner, currentPage);
    EXPECT_FALSE(chooserCalls[0].save);
    EXPECT_EQ(chooserCalls[1].owner, currentPage);
    EXPECT_TRUE(chooserCalls[1].save);
}

}  // namespace
