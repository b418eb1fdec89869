// The window's own ways to the features of lpgctl: the Network dialog, a
// drive recorded and replayed through the File menu, and the box of a load
// whose read-back differs. The decisions are tested natively; here what only
// the window shows: its dialog, title, marks, boxes and menu.
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/wide_path_win.h"
#include "res/resource.h"
#include "shell/dialog_win.h"
#include "shell/drives_win.h"
#include "shell/network_choice.h"
#include "shell/settings_file.h"
#include "shell/start_options.h"
#include "shell_fixture.h"
#include "sim/replay.h"
#include "sim/sim.h"
#include "tools/win_run.h"

namespace {

using shelltest::boxCalls;
using shelltest::isChecked;
using shelltest::isGreyed;
using shelltest::readFileBytes;
using shelltest::recordBox;
using shelltest::ShellTest;
using shelltest::windowText;

const int ComItems[] = {IDM_COM1, IDM_COM2, IDM_COM3, IDM_COM4, IDM_COM5,
                        IDM_COM6, IDM_COM7, IDM_COM8, IDM_COM9};

std::string& chosenFile() {
    static std::string path;
    return path;
}
std::string& chosenPicture() {
    static std::string path;
    return path;
}
bool chooseTestFile(HWND, DriveFile which, std::string* path) {
    *path = which == DriveFile::PictureTarget ? chosenPicture() : chosenFile();
    return true;
}
std::vector<std::string>& picturesOpened() {
    static std::vector<std::string> opened;
    return opened;
}
void openTestPicture(const std::string& path) { picturesOpened().push_back(path); }

class DrivesWindow : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        saved = driveSeams;
        driveSeams.chooseFile = chooseTestFile;
        driveSeams.messageBox = recordBox;
        driveSeams.openPicture = openTestPicture;
        picturesOpened().clear();
        // The simulated controller stands in for the serial ports.
        std::string error;
        ASSERT_TRUE(useStartBackend(readStartOptions(""), &simPortOps, &error)) << error;
    }
    void TearDown() override {
        std::string error;
        endDriveRecording(nullptr);
        ShellTest::TearDown();
        driveSeams = saved;
        replayUseRealTime(true);
        simPortUseRealTime(false);
        for (const char* name : {"\\drive.rec", "\\ZuvelS_network.txt", "\\car.zs2", "\\drive.png"})
            DeleteFileA((dir + name).c_str());
    }
    // Opens the Network dialog and lets act fill it; false when it never showed.
    bool withNetworkDialog(const std::function<void(HWND)>& act) {
        return whileModal([this] { command(IDM_NETWORK); }, act);
    }
    static void type(HWND dialog, const char* address, int kind) {
        SetDlgItemTextA(dialog, IDC_NET_ADDRESS, address);
        SendDlgItemMessageA(dialog, kind, BM_CLICK, 0, 0);
    }
    static void connect(HWND dialog) { SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0); }
    std::string title() const { return windowText(mainWindow); }
    void tickPage(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            SendMessageA(currentPage, WM_TIMER, PagePollTimerId, 0);
            simPortAdvanceClock(50);
        }
    }
    DriveSeams saved;
};

// lpgctl.exe beside the program (dist\), run on args with its standard
// output into a file of dir; its exit code, or -1 when it didn't end in 30 s.
int runLpgctl(const std::string& dir, const std::string& args, std::string* out) {
    // The fixture's folder is named in letters no ANSI code page holds all of.
    const std::string exe = moduleFolder() + "..\\dist\\lpgctl.exe";
    const std::string outPath = dir + "\\lpgctl.out";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(widePath(outPath.c_str()).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              &inherit, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -2;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = file;
    si.hStdError = file;
    PROCESS_INFORMATION child = {};
    std::wstring commandLine = utf8Text(("\"" + exe + "\" " + args).c_str());
    const bool started =
        CreateProcessW(widePath(exe.c_str()).c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                       nullptr, widePath(dir.c_str()).c_str(), &si, &child) != FALSE;
    CloseHandle(file);
    if (!started) return -3;
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(child.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.hProcess, &code);
    else
        TerminateProcess(child.hProcess, 99);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    *out = readFileBytes(outPath);
    shelltest::removeFile(outPath);
    return int(code);
}

}  // namespace

TEST_F(DrivesWindow, NetworkDialogConnectsByAddressAndKindAndNeverTouchesTheIni) {
    start(3);
    KillTimer(currentPage, PagePollTimerId);
    const std::string ini = readFileBytes(iniPath());
    // A loopback port nobody listens on: refused at once.
    ASSERT_TRUE(withNetworkDialog([](HWND d) {
        type(d, " 127.0.0.1:1 ", IDC_NET_RAW_TCP);
        connect(d);
    }));
    EXPECT_EQ(LinkPort, &netPortOps);
    EXPECT_STREQ(SelectedPortPath, "socket://127.0.0.1:1");
    EXPECT_EQ(CommPort, 3);
    for (int item : ComItems) EXPECT_FALSE(isChecked(item)) << item;
    EXPECT_NE(title().find("socket://127.0.0.1:1"), std::string::npos) << title();
    EXPECT_NE(readFileBytes(dir + "\\ZuvelS_network.txt").find("Recent= socket://127.0.0.1:1"),
              std::string::npos);

    // The link's polls find it unreachable: one box, naming the address.
    for (DWORD t0 = GetTickCount(); boxCalls().empty() && GetTickCount() - t0 < 10000;) {
        pollStatus();
        pumpMessagesFor(20);
    }
    for (int i = 0; i < 5; ++i) pollStatus();
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_NE(boxCalls()[0].caption.find("socket://127.0.0.1:1"), std::string::npos);
    EXPECT_EQ(readFileBytes(iniPath()), ini);

    // A COM item returns to the serial ports, and the title loses the address.
    command(IDM_COM2);
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_TRUE(isChecked(IDM_COM2));
    EXPECT_EQ(title().find("socket://"), std::string::npos) << title();
}

TEST_F(DrivesWindow, NetworkDialogRefusesAnAddressItCantReadAndStaysOpen) {
    start(1);
    const PortOps* before = LinkPort;
    bool stillOpen = false;
    ASSERT_TRUE(withNetworkDialog([&](HWND d) {
        type(d, "workshop-pc", IDC_NET_RFC2217);
        connect(d);
        stillOpen = IsWindow(d) && IsWindowVisible(d);
        cancelDialog(d);
    }));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(boxCalls().size(), 1u);
    // The fixture's language files end before the new entries: English.
    EXPECT_NE(boxCalls()[0].text.find("HOST:PORT"), std::string::npos) << boxCalls()[0].text;
    EXPECT_EQ(LinkPort, before);
    EXPECT_TRUE(isChecked(IDM_COM1));
}

TEST_F(DrivesWindow, NetworkDialogOffersTheAddressesUsedLast) {
    shelltest::writeFileBytes(dir + "\\ZuvelS_network.txt",
                              "Recent= socket://10.0.0.2:4001\nRecent= rfc2217://bench:2217\n");
    start(1);
    std::string shownFirst, shownSecond;
    bool rawFirst = false, rawSecond = true;
    LRESULT items = 0;
    ASSERT_TRUE(withNetworkDialog([&](HWND d) {
        items = SendDlgItemMessageA(d, IDC_NET_RECENT, CB_GETCOUNT, 0, 0);
        shownFirst = windowText(GetDlgItem(d, IDC_NET_ADDRESS));
        rawFirst = IsDlgButtonChecked(d, IDC_NET_RAW_TCP) == BST_CHECKED;
        SendDlgItemMessageA(d, IDC_NET_RECENT, CB_SETCURSEL, 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_NET_RECENT, CBN_SELCHANGE),
                     LPARAM(GetDlgItem(d, IDC_NET_RECENT)));
        shownSecond = windowText(GetDlgItem(d, IDC_NET_ADDRESS));
        rawSecond = IsDlgButtonChecked(d, IDC_NET_RAW_TCP) == BST_CHECKED;
        connect(d);
    }));
    EXPECT_EQ(items, 2);
    EXPECT_EQ(shownFirst, "10.0.0.2:4001");
    EXPECT_TRUE(rawFirst);
    EXPECT_EQ(shownSecond, "bench:2217");
    EXPECT_FALSE(rawSecond);
    // Used again: first in the list.
    EXPECT_EQ(loadRecentAddresses((dir + "\\ZuvelS_network.txt").c_str()).ports,
              (std::vector<std::string>{"rfc2217://bench:2217", "socket://10.0.0.2:4001"}));
    command(IDM_COM1);
}

// Recorded while the fitter moves between pages, then played back in the
// window: the readings page shows the recorded values at the recorded times.
TEST_F(DrivesWindow, ARecordingMadeWhileSwitchingPagesReplaysInTheWindow) {
    chosenFile() = dir + "\\drive.rec";
    start(1);
    KillTimer(currentPage, PagePollTimerId);
    command(IDM_RECORD_DRIVE);
    ASSERT_EQ(LinkPort, &recordingPortOps);
    EXPECT_NE(title().find("[REC 0:00"), std::string::npos) << title();
    SendMessageA(mainWindow, WM_INITMENUPOPUP, 0, 0);
    EXPECT_TRUE(isGreyed(IDM_RECORD_DRIVE));
    EXPECT_FALSE(isGreyed(IDM_STOP_RECORDING));

    std::vector<std::string> shown;
    auto tickReadings = [&](int ticks) {
        KillTimer(currentPage, PagePollTimerId);
        for (int i = 0; i < ticks; ++i) {
            tickPage(1);
            shown.push_back(windowText(GetDlgItem(currentPage, IDC_TEMPERATURE_RAW)));
        }
    };
    tickReadings(200);
    command(IDM_CONFIGURATION);
    KillTimer(currentPage, PagePollTimerId);
    tickPage(40);
    command(IDM_READINGS);
    tickReadings(200);
    SendMessageA(mainWindow, WM_TIMER, RecordingTimerId, 0);
    EXPECT_NE(title().find("[REC 0:2"), std::string::npos) << title();
    command(IDM_STOP_RECORDING);
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_EQ(title().find("[REC"), std::string::npos) << title();
    EXPECT_TRUE(boxCalls().empty());

    replayUseRealTime(false);
    command(IDM_REPLAY_DRIVE);
    ASSERT_EQ(LinkPort, &replayPortOps);
    EXPECT_NE(title().find("Replay: drive.rec"), std::string::npos) << title();
    for (int item : ComItems) EXPECT_FALSE(isChecked(item)) << item;
    std::vector<std::string> replayed;
    auto replayReadings = [&](int ticks) {
        KillTimer(currentPage, PagePollTimerId);
        for (int i = 0; i < ticks; ++i) {
            SendMessageA(currentPage, WM_TIMER, PagePollTimerId, 0);
            replayed.push_back(windowText(GetDlgItem(currentPage, IDC_TEMPERATURE_RAW)));
            replayAdvanceClock(50);
        }
    };
    replayReadings(200);
    replayAdvanceClock(40 * 50);
    replayReadings(200);
    // Each tick shows what was recorded at its time; where the page changed,
    // the nearest recorded reply may be the next tick's.
    ASSERT_EQ(replayed.size(), shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        const bool nearTick = replayed[i] == shown[i] || (i > 0 && replayed[i] == shown[i - 1]) ||
                              (i + 1 < shown.size() && replayed[i] == shown[i + 1]);
        ASSERT_TRUE(nearTick) << "tick " << i << ": " << replayed[i] << " for " << shown[i];
    }
    EXPECT_NE(shown.front(), shown.back());

    command(IDM_STOP_REPLAY);
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_TRUE(isChecked(IDM_COM1));
    EXPECT_EQ(title().find("Replay"), std::string::npos) << title();
}

TEST_F(DrivesWindow, ARecordingEndsCleanlyWhenThePortChangesAndAtExit) {
    chosenFile() = dir + "\\drive.rec";
    start(1);
    command(IDM_RECORD_DRIVE);
    ASSERT_EQ(LinkPort, &recordingPortOps);
    command(IDM_COM2);
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_EQ(title().find("[REC"), std::string::npos);
    std::string error;
    EXPECT_TRUE(loadRecording(chosenFile().c_str(), &error)) << error;

    command(IDM_RECORD_DRIVE);
    ASSERT_EQ(LinkPort, &recordingPortOps);
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_TRUE(loadRecording(chosenFile().c_str(), &error)) << error;
    EXPECT_TRUE(boxCalls().empty());
}

TEST_F(DrivesWindow, AFileThatCantBeMadeOrPlayedIsSaidInABox) {
    start(1);
    chosenFile() = dir + "\\no such folder\\drive.rec";
    command(IDM_RECORD_DRIVE);
    EXPECT_EQ(LinkPort, &simPortOps);
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_NE(boxCalls()[0].text.find("no such folder"), std::string::npos) << boxCalls()[0].text;

    chosenFile() = dir + "\\ZuvelS.ini";  // not a recording
    command(IDM_REPLAY_DRIVE);
    EXPECT_EQ(LinkPort, &simPortOps);
    ASSERT_EQ(boxCalls().size(), 2u);
    EXPECT_NE(boxCalls()[1].text.find("cannot be played back"), std::string::npos)
        << boxCalls()[1].text;
    EXPECT_TRUE(isChecked(IDM_COM1));
}

// A full disk: the scripts mount a small file system in their private
// namespace and name it in ZUVELS_SMALL_DISK.
TEST_F(DrivesWindow, AFullDiskEndsTheRecordingWithABoxAndAReadableFile) {
    const char* disk = getenv("ZUVELS_SMALL_DISK");
    if (!disk || !*disk) GTEST_SKIP() << "no small disk (ZUVELS_SMALL_DISK) in this run";
    chosenFile() = std::string(disk) + "\\drive.rec";
    start(1);
    KillTimer(currentPage, PagePollTimerId);
    command(IDM_RECORD_DRIVE);
    ASSERT_EQ(LinkPort, &recordingPortOps);
    for (int i = 0; i < 20000 && LinkPort == &recordingPortOps; ++i) {
        tickPage(1);
        if (i % 20 == 0) SendMessageA(mainWindow, WM_TIMER, RecordingTimerId, 0);
    }
    EXPECT_EQ(LinkPort, &simPortOps);
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_NE(boxCalls()[0].text.find("drive.rec"), std::string::npos) << boxCalls()[0].text;
    const std::string text = readFileBytes(chosenFile());
    EXPECT_GT(text.size(), 1000u);
    EXPECT_EQ(text.back(), '\n');
    std::string error;
    EXPECT_TRUE(loadRecording(chosenFile().c_str(), &error)) << error;
    DeleteFileA(chosenFile().c_str());
}

// A controller that answers every write but keeps nothing: the load's box
// names the key, the value written and the value read back.
TEST_F(DrivesWindow, ALoadWhoseReadBackDiffersIsNamedInABox) {
    start(1);
    KillTimer(currentPage, PagePollTimerId);
    pollStatus();
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    const std::string path = dir + "\\car.zs2";
    ASSERT_EQ(saveSettingsTo(path.c_str(), fmt), SaveResult::Saved);
    std::string text = readFileBytes(path);
    const std::string key = settingsKeyWord(fmt, 3 + 2);
    const size_t at = text.find(key) + key.size();
    text.replace(at, text.find_first_of("\r\n", at) - at, " 3");
    shelltest::writeFileBytes(path, text);

    SimConfig forgetful;
    forgetful.fault = SimFault::Forget;
    simPortSetup(forgetful);
    pollStatus();
    static std::string chosen;
    chosen = path;
    auto* chooser = shellSeams.settingsFileChooser;
    auto* box = shellSeams.settingsMessageBox;
    shellSeams.settingsFileChooser = [](HWND, bool, const SettingsFormat&, char* out, size_t cap) {
        snprintf(out, cap, "%s", chosen.c_str());
        return true;
    };
    shellSeams.settingsMessageBox = recordBox;
    command(IDM_OPEN);
    shellSeams.settingsFileChooser = chooser;
    shellSeams.settingsMessageBox = box;

    ASSERT_EQ(boxCalls().size(), 1u);
    const std::string shown = boxCalls()[0].text;
    EXPECT_EQ(boxCalls()[0].caption, "Settings not confirmed");
    EXPECT_NE(shown.find("Key: " + key.substr(0, key.size() - 1)), std::string::npos) << shown;
    EXPECT_NE(shown.find("Written: 3"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Read back: "), std::string::npos) << shown;
}

// A recording made in the window, drawn: the PNG where the fitter chose it,
// handed to the system's viewer, and the window back on its port.
TEST_F(DrivesWindow, ARoadTestPictureIsSavedAndShownInTheViewer) {
    chosenFile() = dir + "\\drive.rec";
    chosenPicture() = dir + "\\drive.png";
    start(1);
    KillTimer(currentPage, PagePollTimerId);
    command(IDM_RECORD_DRIVE);
    tickPage(400);
    command(IDM_STOP_RECORDING);

    command(IDM_ROAD_PICTURE);
    EXPECT_TRUE(boxCalls().empty());
    ASSERT_EQ(picturesOpened(), std::vector<std::string>{chosenPicture()});
    EXPECT_EQ(readFileBytes(chosenPicture()).substr(0, 4), "\x89PNG");
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_STREQ(SelectedPortPath, portTablePath(1));

    // Not a recording nor a road test: a box, nothing opened.
    chosenFile() = iniPath();
    command(IDM_ROAD_PICTURE);
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_EQ(boxCalls()[0].caption, "Road-test picture");
    EXPECT_EQ(picturesOpened().size(), 1u);
}

// A recording the window made is lpgctl's format: lpgctl.exe --port
// replay:FILE dump answers with the recorded controller (a variant the
// built-in demo doesn't have) and its values as the window read them.
TEST_F(DrivesWindow, ARecordingMadeInTheWindowIsReadByLpgctl) {
    SimConfig variant9;
    variant9.variant = 9;
    simPortSetup(variant9);
    chosenFile() = dir + "\\drive.rec";
    start(1);
    KillTimer(currentPage, PagePollTimerId);
    command(IDM_RECORD_DRIVE);
    const int position = Live.position;
    tickPage(100);
    command(IDM_CONFIGURATION);
    KillTimer(currentPage, PagePollTimerId);
    tickPage(20);
    command(IDM_STOP_RECORDING);

    std::string out;
    ASSERT_EQ(runLpgctl(dir, "--port \"replay:" + chosenFile() + "\" dump --json", &out), 0) << out;
    EXPECT_NE(out.find("\"version\": \"3.09\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"position\": " + std::to_string(position) + ","), std::string::npos)
        << out;
}
