// Port search dialog under Wine.
//
// PortSearchDialog: on the simulated controller with a port list of the
// test's own; no real port is named or opened.
//
// SerialPortSearch: the registry's list and the Win32 ports, COM1..COM3
// mapped to ptys served by lpgsim (echoing, silent, answering). Run only by
// tests/win/port_search.sh, inside a mount namespace in which the machine's
// own serial devices are /dev/null; skipped anywhere else.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "link/port_search.h"
#include "service_fixture.h"
#include "tools/win_run.h"

using namespace servicetest;
using shelltest::entryText;

namespace {

// ---- a port list of the test's own ----

std::vector<std::string> listedNames;
bool namesOpen(void*) { return true; }
bool nameValue(void*, uint32_t index, char* data, size_t cap) {
    if (index >= listedNames.size()) return false;
    snprintf(data, cap, "%s", listedNames[index].c_str());
    return true;
}
void namesClose(void*) {}
const PortNameSource TestNames = {namesOpen, nameValue, namesClose, nullptr};

// Presses the search button and lets the dialog's own timer run until the
// search stops or `most` ticks came, within 30 s; returns when each tick
// came, in ms from just before the press.
std::vector<DWORD> runSearchTimer(HWND dialog, size_t most) {
    const DWORD start = GetTickCount();
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PORT_SEARCH, BN_CLICKED), 0);
    std::vector<DWORD> ticks;
    MSG msg;
    while (portSearch.searchRunning && ticks.size() < most && GetTickCount() - start < 30000) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        if (msg.hwnd == dialog && msg.message == WM_TIMER && msg.wParam == PortSearchTimerId)
            ticks.push_back(GetTickCount() - start);
        DispatchMessageA(&msg);
    }
    return ticks;
}

std::string iniText(int port) {
    return "[Ustawienia]\r\nCommPort= " + std::to_string(port) + "\r\nLanguage= ang\r\n";
}

std::string autoScanLabel() {
    char buf[64] = "";
    GetMenuStringA(GetMenu(mainWindow), IDM_AUTO_SCAN, buf, sizeof buf, MF_BYCOMMAND);
    return buf;
}

class PortSearchDialog : public ServiceDialogTest {
protected:
    PortNameSource savedNames = {};

    void SetUp() override {
        ServiceDialogTest::SetUp();
        savedNames = portSearchNames;
        portSearchNames = TestNames;
        listedNames.clear();
        portSearchForTests().searchSize = 0;
    }
    void TearDown() override {
        portSearchNames = savedNames;
        ServiceDialogTest::TearDown();
    }

    void open(int port) {
        start(port, "ang");
        setServiceDialogOpen(true);  // as the menu command does
        openDialog(IDD_PORT_SEARCH, portSearchDialogProc, PortSearchTimerId);
        simClearLog();
    }
    // The search button; the timer it restarts is stopped again, the test ticks.
    void search() {
        click(IDC_PORT_SEARCH);
        KillTimer(dialog, PortSearchTimerId);
    }
    int progress() const {
        return static_cast<int>(SendDlgItemMessageA(dialog, IDC_PORT_PROGRESS, PBM_GETPOS, 0, 0));
    }
    int progressMax() const {
        return static_cast<int>(
            SendDlgItemMessageA(dialog, IDC_PORT_PROGRESS, PBM_GETRANGE, FALSE, 0));
    }
    std::string status() const { return text(IDC_PORT_STATUS); }
};

TEST_F(PortSearchDialog, StartsOnTheSelectedPortWithItsTextsAndPlace) {
    portSearchForTests().searchSize = 7;  // from a search in an earlier opening
    open(5);
    ASSERT_EQ(listCount(IDC_PORT_LIST), 256);
    EXPECT_EQ(listItem(IDC_PORT_LIST, 0), "COM 1");
    EXPECT_EQ(listItem(IDC_PORT_LIST, 255), "COM 256");
    EXPECT_EQ(listSelection(IDC_PORT_LIST), 4);
    EXPECT_EQ(text(IDC_PORT_SEARCH), entryText("ang", 205));
    EXPECT_EQ(text(IDC_PORT_MANUAL_GROUP), entryText("ang", 208));
    EXPECT_EQ(text(IDC_PORT_AUTO_GROUP), entryText("ang", 209));
    EXPECT_EQ(text(IDOK), "Ok");
    EXPECT_EQ(shelltest::windowText(dialog), "RS 232");
    EXPECT_FALSE(visible(IDC_PORT_STATUS));
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(visible(IDC_PORT_PROGRESS));
    EXPECT_EQ(progressMax(), 7);
    EXPECT_EQ(progress(), 0);
    const POINT at = origin(), centred = centredOrigin();
    EXPECT_EQ(at.x, centred.x);
    EXPECT_EQ(at.y, centred.y);

    tick();  // idle ticks do nothing
    EXPECT_TRUE(simFrameLog().empty());
    EXPECT_EQ(CommPort, 5);
}

TEST_F(PortSearchDialog, ListChoiceSwitchesAtOnceAndCancelGoesBackAndSaves) {
    open(5);
    linkForTests().LinkFailed = linkForTests().EchoChecked = true;
    notify(IDC_PORT_LIST, CBN_DROPDOWN);
    EXPECT_TRUE(serviceDialogOpen);
    SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_SETCURSEL, 1, 0);
    notify(IDC_PORT_LIST, CBN_CLOSEUP);
    EXPECT_EQ(CommPort, 2);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM2");
    EXPECT_FALSE(serviceDialogOpen);  // the page polls the new port meanwhile
    EXPECT_FALSE(LinkFailed);
    EXPECT_FALSE(EchoChecked);
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), "[Ustawienia]\nCommPort= 5\nLanguage= ang\n");

    click(IDCANCEL);
    EXPECT_EQ(CommPort, 5);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM5");
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), iniText(5));
    EXPECT_TRUE(shelltest::isChecked(IDM_COM5));
    EXPECT_FALSE(serviceDialogOpen);
}

TEST_F(PortSearchDialog, OkKeepsTheListsPortAndSavesIt) {
    open(5);
    SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_SETCURSEL, 11, 0);
    click(IDOK);
    EXPECT_EQ(CommPort, 12);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM12");
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), iniText(12));
    EXPECT_EQ(autoScanLabel(), "AUTO SCAN (COM12)");
    EXPECT_TRUE(shelltest::isChecked(IDM_AUTO_SCAN));
    EXPECT_FALSE(serviceDialogOpen);
}

TEST_F(PortSearchDialog, NoListedPortsShowEntry207AndStartNothing) {
    open(5);
    search();
    EXPECT_EQ(status(), entryText("ang", 207));
    EXPECT_TRUE(visible(IDC_PORT_STATUS));
    EXPECT_EQ(progress(), 0);
    EXPECT_TRUE(enabled(IDC_PORT_LIST));
    EXPECT_TRUE(enabled(IDC_PORT_SEARCH));
    EXPECT_FALSE(portSearch.searchRunning);
    tick();
    EXPECT_TRUE(simFrameLog().empty());
}

TEST_F(PortSearchDialog, AFindOfTenOrAboveIsShownOnTheAutoScanItem) {
    open(5);
    listedNames = {"COM12"};
    search();
    EXPECT_FALSE(enabled(IDC_PORT_LIST));
    EXPECT_FALSE(enabled(IDC_PORT_SEARCH));
    EXPECT_EQ(progressMax(), 1);
    tick();
    EXPECT_EQ(status(), entryText("ang", 206) + "12");
    EXPECT_TRUE(visible(IDC_PORT_STATUS));
    EXPECT_EQ(listSelection(IDC_PORT_LIST), 11);
    EXPECT_EQ(progress(), 0);
    EXPECT_TRUE(enabled(IDC_PORT_LIST));
    EXPECT_TRUE(enabled(IDC_PORT_SEARCH));
    EXPECT_EQ(autoScanLabel(), "AUTO SCAN (COM12)");
    EXPECT_TRUE(shelltest::isChecked(IDM_AUTO_SCAN));
    EXPECT_EQ(generationOf(Status.identity), 3);  // the found controller's status is in place
    EXPECT_FALSE(serviceDialogOpen);

    click(IDOK);
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), iniText(12));
}

TEST_F(PortSearchDialog, ThePortsRunOutWithEntry204) {
    open(5);
    listedNames = {"COM2", "COM1"};
    simSetFault(SimFault::Silent);
    search();
    tick();
    EXPECT_EQ(status(), entryText("ang", 203) + "1");
    EXPECT_EQ(progress(), 1);
    tick();
    EXPECT_EQ(status(), entryText("ang", 203) + "2");
    EXPECT_EQ(progress(), 2);
    EXPECT_FALSE(enabled(IDC_PORT_SEARCH));
    tick();
    EXPECT_EQ(status(), entryText("ang", 204));
    EXPECT_EQ(progress(), 0);
    EXPECT_TRUE(enabled(IDC_PORT_LIST));
    EXPECT_TRUE(enabled(IDC_PORT_SEARCH));
    EXPECT_EQ(CommPort, 5);
    EXPECT_TRUE(serviceDialogOpen);  // until the dialog closes

    click(IDCANCEL);
    EXPECT_FALSE(serviceDialogOpen);
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), iniText(5));
}

// A port every 500 ms of the clock, however the ticks are delivered: the
// k-th try never comes before k x 500 ms after the press.
TEST_F(PortSearchDialog, TriesOnePortEvery500ms) {
    open(5);
    listedNames = {"COM1", "COM2", "COM3"};
    simSetFault(SimFault::Silent);
    const std::vector<DWORD> tries = runSearchTimer(dialog, 3);
    ASSERT_EQ(tries.size(), 3u) << "three tries of the search's own timer within 30 s";
    EXPECT_EQ(status(), entryText("ang", 203) + "3");
    const DWORD timerSlackMs = 20;  // the tick count's own steps
    for (size_t k = 0; k < tries.size(); ++k)
        EXPECT_GE(tries[k] + timerSlackMs, (k + 1) * 500) << "try " << k + 1;
    KillTimer(dialog, PortSearchTimerId);
}

// ---- the registry and real ports (tests/win/port_search.sh) ----

std::vector<std::vector<uint8_t>> requestsSince(const std::string& log, size_t skip) {
    std::vector<std::vector<uint8_t>> requests;
    const std::vector<LoggedFrame> frames = readFrameLog(log);
    for (size_t i = skip; i < frames.size(); ++i)
        if (frames[i].direction == '>') requests.push_back(frames[i].bytes);
    return requests;
}

const std::vector<uint8_t> Probe = {0x0B, 0x01, 0x01, 0x0D};
const std::vector<uint8_t> StatusRequest = {0x65, 0x01, 0x01, 0x67};

class SerialPortSearch : public ServiceDialogTest {
protected:
    std::string logs[3];  // lpgsim's frame logs of COM1..COM3
    size_t logStart[3] = {};

    void SetUp() override {
        const char* isolated = std::getenv("ZUVELS_PORT_ISOLATION");
        const char* dir = std::getenv("ZUVELS_SEARCH_LOGS");
        // Outside the namespace the registry may list the machine's own ports.
        if (!isolated || std::string(isolated) != "1" || !dir || !*dir)
            GTEST_SKIP() << "needs tests/win/port_search.sh (serial devices isolated)";
        ServiceDialogTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            logs[i] = std::string(dir) + "/port" + std::to_string(i + 1) + ".log";
            logStart[i] = readFrameLog(logs[i]).size();
        }
    }
    void TearDown() override {
        if (IsSkipped()) return;
        ServiceDialogTest::TearDown();
    }

    void open(int port) {
        start(port, "ang");
        useLinkBackend(&win32PortOps);
        setServiceDialogOpen(true);
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PORT_SEARCH),
                                    currentPage, portSearchDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }

    // Lets the dialog's own timer run the search; returns the ticks it took.
    int runSearch() { return static_cast<int>(runSearchTimer(dialog, SIZE_MAX).size()); }
};

TEST_F(SerialPortSearch, PassesOverTheEchoingAndTheSilentPortAndFindsTheThird) {
    open(5);
    EXPECT_EQ(runSearch(), 3);
    EXPECT_EQ(text(IDC_PORT_STATUS), entryText("ang", 206) + "3");
    EXPECT_EQ(listSelection(IDC_PORT_LIST), 2);
    EXPECT_EQ(CommPort, 3);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM3");
    EXPECT_TRUE(shelltest::isChecked(IDM_COM3));
    EXPECT_EQ(generationOf(Status.identity), 3);
    EXPECT_FALSE(PortOpen);

    // COM1 handed the probe back and got nothing more; COM2 was asked for
    // its status twice; COM3 answered the first time.
    EXPECT_EQ(requestsSince(logs[0], logStart[0]), (std::vector<std::vector<uint8_t>>{Probe}));
    EXPECT_EQ(requestsSince(logs[1], logStart[1]),
              (std::vector<std::vector<uint8_t>>{Probe, StatusRequest, StatusRequest}));
    EXPECT_EQ(requestsSince(logs[2], logStart[2]),
              (std::vector<std::vector<uint8_t>>{Probe, StatusRequest}));

    click(IDOK);
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), iniText(3));
}

TEST_F(SerialPortSearch, CancelAfterAFindGoesBackToTheOldPort) {
    open(5);
    runSearch();
    ASSERT_EQ(CommPort, 3);
    click(IDCANCEL);
    EXPECT_EQ(CommPort, 5);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM5");
    EXPECT_EQ(shelltest::readFileBytes(iniPath()), iniText(5));
    EXPECT_TRUE(shelltest::isChecked(IDM_COM5));
}

// The registry's list emptied for the test and put back after it.
struct SavedValue {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

TEST_F(SerialPortSearch, AnEmptyRegistryListShowsEntry207) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                            KEY_READ | KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    std::vector<SavedValue> saved;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[256];
        DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) !=
            ERROR_SUCCESS)
            break;
        saved.push_back({name, type, std::vector<BYTE>(data, data + dataLength)});
    }
    ASSERT_GE(saved.size(), 3u);
    for (const SavedValue& v : saved) RegDeleteValueA(key, v.name.c_str());

    open(5);
    click(IDC_PORT_SEARCH);
    EXPECT_EQ(text(IDC_PORT_STATUS), entryText("ang", 207));
    EXPECT_FALSE(portSearch.searchRunning);

    for (const SavedValue& v : saved)
        RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.data(),
                       static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(requestsSince(logs[i], logStart[i]).empty()) << i;
}

}  // namespace
