// Language and port commands of the main window, and the link error box.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/app_settings.h"
#include "shell/language.h"
#include "shell/language_list.h"
#include "shell/pages_win.h"
#include "shell_fixture.h"
#include "link/link_testing.h"
#include "tools/win_run.h"

using namespace shelltest;

namespace {

const int PortItems[10] = {IDM_COM1, IDM_COM2, IDM_COM3, IDM_COM4, IDM_COM5,
                           IDM_COM6, IDM_COM7, IDM_COM8, IDM_COM9, IDM_AUTO_SCAN};

// The settings file as written in text mode, with the system's line ends.
std::string iniText(int port, const char* code) {
    return "[Ustawienia]\r\nCommPort= " + std::to_string(port) + "\r\nLanguage= " + code + "\r\n";
}

std::string autoScanLabel() {
    char buf[64] = "";
    GetMenuStringA(GetMenu(mainWindow), IDM_AUTO_SCAN, buf, sizeof buf, MF_BYCOMMAND);
    return buf;
}

// Index into PortItems of the one checked port item, -1 for none, -2 for more.
int checkedPortItem() {
    int found = -1;
    for (int i = 0; i < 10; ++i)
        if (isChecked(PortItems[i])) found = found == -1 ? i : -2;
    return found;
}

TEST_F(ShellTest, LanguageChangeSwapsTheMenuTextsAndFlags) {
    start(1, "pol");
    ASSERT_EQ(windowText(mainWindow), entryText("pol", 175));
    HMENU before = GetMenu(mainWindow);
    HWND page = currentPage;
    command(IDM_SIZE_1024);
    command(IDM_CONFIGURATION);
    page = currentPage;

    command(IDM_LANG_ANG);

    EXPECT_NE(GetMenu(mainWindow), before);
    EXPECT_STREQ(activeLanguage, "ang");
    for (const LanguageRow& l : AllLanguages) {
        const int item = l.command;
        EXPECT_EQ(isChecked(item), item == IDM_LANG_ANG) << item;
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_CHECKMARKS;
        ASSERT_TRUE(GetMenuItemInfoA(GetMenu(mainWindow), item, FALSE, &info));
        EXPECT_NE(info.hbmpChecked, nullptr) << item;
        EXPECT_NE(info.hbmpUnchecked, nullptr) << item;
    }
    // The page is rebuilt with the new texts; size and page marks carry over.
    EXPECT_NE(currentPage, page);
    EXPECT_EQ(currentPageTemplate, IDD_CONFIG_3);
    EXPECT_EQ(windowText(mainWindow), entryText("ang", 176));
    EXPECT_TRUE(isChecked(IDM_SIZE_1024));
    EXPECT_TRUE(isHilited(IDM_CONFIGURATION));
    EXPECT_TRUE(isChecked(IDM_COM1));
    char label[64] = "";
    GetMenuStringA(GetMenu(mainWindow), IDM_EXIT, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Exit");
    EXPECT_EQ(readFileBytes(iniPath()), iniText(1, "ang"));
}

TEST_F(ShellTest, LanguageChangeOnTheResetPageReplacesItsTextsButNotTheTitle) {
    start(1, "pol");
    command(IDM_RESET);
    HWND page = currentPage;
    ASSERT_EQ(windowText(mainWindow), entryText("pol", 179));
    command(IDM_LANG_LIT);
    EXPECT_EQ(currentPage, page);
    EXPECT_EQ(windowText(mainWindow), entryText("pol", 179));
    EXPECT_EQ(windowText(GetDlgItem(page, IDC_RESET_LABEL1)), entryText("lit", 134));
    EXPECT_EQ(windowText(GetDlgItem(page, IDC_RESET_LABEL2)), entryText("lit", 135));
    EXPECT_EQ(windowText(GetDlgItem(page, IDC_RESET_BUTTON)), entryText("lit", 136));
    command(IDM_SCOPE);
    EXPECT_EQ(windowText(mainWindow), entryText("lit", 180));
}

TEST_F(ShellTest, LanguageFilesAreFoundFromTheStartDirectory) {
    start(1, "pol");
    // A file dialog may leave another current directory behind.
    char elsewhere[MAX_PATH];
    GetTempPathA(sizeof elsewhere, elsewhere);
    SetCurrentDirectoryA(elsewhere);
    command(IDM_LANG_CS);
    EXPECT_EQ(windowText(mainWindow), entryText("cs", 175));
}

TEST_F(ShellTest, UnknownLanguageCodeInstallsThePolishMenu) {
    start(1, "xx");
    EXPECT_TRUE(isChecked(IDM_LANG_POL));
    char label[64] = "";
    GetMenuStringA(GetMenu(mainWindow), IDM_EXIT, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Wyjscie");
}

struct StartPortCase {
    int port;
    const char* label;
    int checked;  // index into PortItems, -1 for none
    const char* path;
};

TEST_F(ShellTest, StartMarksThePortFromTheSettingsFile) {
    const StartPortCase cases[] = {
        {1, "AUTO SCAN", 0, "\\\\.\\COM1"},
        {9, "AUTO SCAN", 8, "\\\\.\\COM9"},
        {12, "AUTO SCAN (COM12)", 9, "\\\\.\\COM12"},
        {0, "AUTO SCAN", -1, "\\\\.\\COM1"},
    };
    for (const StartPortCase& c : cases) {
        SCOPED_TRACE("port " + std::to_string(c.port));
        start(c.port, "ang");
        EXPECT_EQ(CommPort, c.port);
        EXPECT_EQ(autoScanLabel(), c.label);
        EXPECT_EQ(checkedPortItem(), c.checked);
        EXPECT_STREQ(SelectedPortPath, c.path);
        // The marks survive a menu change.
        command(IDM_LANG_RUS);
        EXPECT_EQ(autoScanLabel(), c.label);
        EXPECT_EQ(checkedPortItem(), c.checked);
        DestroyWindow(mainWindow);
        drainMessages();
    }
}

TEST_F(ShellTest, PortCommandRewritesTheSettingsFileAtOnceAndChecksItsItem) {
    start(12, "ang");
    for (int n = 1; n <= 9; ++n) {
        SCOPED_TRACE("COM " + std::to_string(n));
        pollStatus();
        ASSERT_TRUE(PortOpen);
        linkForTests().LinkFailed = true;
        linkForTests().EchoChecked = true;
        command(PortItems[n - 1]);
        EXPECT_EQ(readFileBytes(iniPath()), iniText(n, "ang"));
        EXPECT_EQ(checkedPortItem(), n - 1);
        EXPECT_EQ(autoScanLabel(), "AUTO SCAN");
        EXPECT_EQ(CommPort, n);
        EXPECT_EQ(SelectedPortPath, "COM" + std::to_string(n) + ":");
        EXPECT_FALSE(PortOpen);
        EXPECT_FALSE(LinkFailed);
        EXPECT_FALSE(EchoChecked);
        EXPECT_EQ(portMarkCode, 10 + n);
    }
}

TEST_F(ShellTest, EchoingPortRaisesOneLinkErrorBoxUntilAPortIsChosen) {
    // Echoing from the start: a page tick that comes while the window starts
    // on a busy machine meets the echo too, not a controller.
    simSetFault(SimFault::Echo);
    start(4, "ang");
    for (int tick = 0; tick < 6; ++tick) pollStatus();
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_EQ(boxCalls()[0].owner, mainWindow);
    EXPECT_EQ(boxCalls()[0].text, entryText("ang", 212));
    EXPECT_EQ(boxCalls()[0].caption, entryText("ang", 211) + " 4");
    EXPECT_EQ(boxCalls()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));

    command(IDM_COM2);
    for (int tick = 0; tick < 3; ++tick) pollStatus();
    ASSERT_EQ(boxCalls().size(), 2u);
    EXPECT_EQ(boxCalls()[1].caption, entryText("ang", 211) + " 2");
}

// Records serviceDialogOpen while a modal dialog runs, then cancels it.
bool flagWhileOpen;
void closeActiveDialog(HWND dialog) {
    flagWhileOpen = serviceDialogOpen;
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(ShellTest, ServiceDialogsSuspendThePagesWhileOpen) {
    start();
    for (int item : {IDM_ABOUT, IDM_DEVICE_INFO, IDM_AUTO_SCAN}) {
        SCOPED_TRACE(item);
        flagWhileOpen = false;
        EXPECT_TRUE(whileModal([&] { command(item); }, closeActiveDialog));
        EXPECT_TRUE(flagWhileOpen);
        EXPECT_FALSE(serviceDialogOpen);
    }
}

}  // namespace
