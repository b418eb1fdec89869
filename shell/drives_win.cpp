#include "shell/drives_win.h"

#include <cstdio>
#include <cstring>
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "link/link.h"
#include "link/port_backends.h"
#include "link/wide_path_win.h"
#include "res/resource.h"
#include "shell/dialog_win.h"
#include "shell/drive_recording.h"
#include "shell/language.h"
#include "shell/language_win.h"
#include "shell/network_choice.h"
#include "shell/pages_win.h"
#include "shell/road_picture.h"
#include "shell/shell_win.h"
#include "shell/start_options.h"
#include "shell/text_win.h"
#include "sim/replay.h"

namespace {

struct FileKind {
    DriveFile which;
    bool save;
    int title;
    const wchar_t* filter;  // pairs of description and pattern
    const wchar_t* defaultExt;
};
const FileKind FileKinds[] = {
    {DriveFile::RecordTarget, true, EntryRecordTitle,
     L"Recording (*.rec)\0*.rec\0Text (*.txt)\0*.txt\0", L"rec"},
    {DriveFile::ReplaySource, false, EntryReplayTitle,
     L"Recording (*.rec;*.txt;*.log)\0*.rec;*.txt;*.log\0*.*\0*.*\0", L"rec"},
    {DriveFile::PictureSource, false, EntryPictureSourceTitle,
     L"Recording, road test (*.rec;*.csv;*.txt)\0*.rec;*.csv;*.txt\0*.*\0*.*\0", L"rec"},
    {DriveFile::PictureTarget, true, EntryPictureSaveTitle, L"PNG (*.png)\0*.png\0", L"png"},
};

// The dialogs may move the current folder, and ZuvelS.ini is opened by its
// bare name: the folder is put back (as the settings file dialogs do).
bool systemChooseFile(HWND owner, DriveFile which, std::string* path) {
    const FileKind* kind = &FileKinds[0];
    for (const FileKind& k : FileKinds)
        if (k.which == which) kind = &k;
    const std::string folder = currentFolder();
    const bool ok =
        askFileName(owner, kind->save, entryText(kind->title), kind->filter, kind->defaultExt,
                    kind->save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST, path);
    if (!folder.empty()) setCurrentFolder(folder.c_str());
    return ok && !path->empty();
}

void systemOpenPicture(const std::string& path) {
    ShellExecuteW(mainWindow, L"open", widePath(path.c_str()).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

void box(HWND owner, int caption, const std::wstring& text, UINT icon = MB_ICONWARNING) {
    driveSeams.messageBox(owner, text.c_str(), entryText(caption), MB_OK | icon);
}

// The backend the link talks through, under a recording's wrapper.
const PortOps* portInUse() {
    return LinkPort == &recordingPortOps ? recordingInnerPort() : LinkPort;
}

std::string fileNameOf(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

// Chooses the backend text names through the port rows (as --port does)
// and selects its path, keeping CommPort; false with one line when it can't
// be used.
bool useBackend(const std::string& text, std::string* error) {
    endDriveRecording(mainWindow);
    if (!selectNamedPort(text.c_str(), error)) return false;
    markPortMenu(0);
    showTitle();
    return true;
}

}  // namespace

DriveSeams driveSeams = {systemChooseFile, showMessageBox, systemOpenPicture};

std::wstring portTitleSuffix() {
    std::wstring suffix;
    const PortOps* port = portInUse();
    if (port == &netPortOps) suffix = L" - " + utf8Text(SelectedPortPath);
    if (port == &replayPortOps)
        suffix = std::wstring(L" - ") + entryText(EntryReplayMark) + L" " +
                 utf8Text(fileNameOf(SelectedPortPath).c_str());
    if (driveRecording()) {
        const std::string word = recordingMark("", driveRecordingMs(), driveRecordingBytes());
        suffix +=
            std::wstring(L"  [") + entryText(EntryRecordingMark) + asciiWide(word.c_str()) + L"]";
    }
    return suffix;
}

void useNetworkPort(const std::string& portText) {
    std::string error;
    // The text passed the grammar in the dialog; a backend missing from this
    // build is the only failure left, and the link error box names it.
    if (!useBackend(portText, &error)) {
        selectPort(portText.c_str(), CommPort);
        markPortMenu(0);
        showTitle();
    }
    RecentAddresses recent = loadRecentAddresses(RecentAddressesFileName);
    rememberAddress(&recent, portText);
    saveRecentAddresses(RecentAddressesFileName, recent);
}

void endDriveRecording(HWND owner) {
    if (!driveRecording()) return;
    if (mainWindow) KillTimer(mainWindow, RecordingTimerId);
    std::string error;
    if (!stopDriveRecording(&error) && owner)
        box(owner, EntryRecordingStoppedCaption,
            std::wstring(entryText(EntryRecordingWriteFailed)) + L"\n\n" + utf8Text(error.c_str()));
    if (mainWindow) showTitle();
}

void onRecordingTimer(HWND window) {
    const RecordingStop stop = driveRecordingStop();
    if (stop == RecordingStop::FileFull) {
        std::string error;
        KillTimer(window, RecordingTimerId);
        stopDriveRecording(&error);
        showTitle();
        box(window, EntryRecordingStoppedCaption,
            std::wstring(entryText(EntryRecordingFull)) + L"\n\n" + utf8Text(error.c_str()));
        return;
    }
    if (stop == RecordingStop::WriteFailed) return endDriveRecording(window);
    showTitle();
}

void enableDriveItems(HMENU menu) {
    const bool recording = driveRecording();
    const bool replaying = portInUse() == &replayPortOps;
    auto enable = [menu](int command, bool on) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(IDM_RECORD_DRIVE, !recording && !replaying);
    enable(IDM_STOP_RECORDING, recording);
    enable(IDM_REPLAY_DRIVE, !recording);
    enable(IDM_STOP_REPLAY, replaying);
}

namespace {

// Local time as lpgctl record writes it in its header.
std::string localTimeText() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[40];
    snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

void recordDrive(HWND window) {
    if (driveRecording() || portInUse() == &replayPortOps) return;
    std::string path;
    if (!driveSeams.chooseFile(window, DriveFile::RecordTarget, &path)) return;
    std::string error;
    if (!startDriveRecording(path.c_str(), SelectedPortPath, localTimeText().c_str(), &error))
        return box(window, EntryRecordingStoppedCaption,
                   std::wstring(entryText(EntryRecordingCannotCreate)) + L"\n\n" +
                       utf8Text(error.c_str()));
    SetTimer(window, RecordingTimerId, 1000, nullptr);
    showTitle();
}

void replayDrive(HWND window) {
    if (driveRecording()) return;
    std::string path, error;
    if (!driveSeams.chooseFile(window, DriveFile::ReplaySource, &path)) return;
    if (!useBackend("replay:" + path, &error))
        box(window, EntryReplayTitle,
            std::wstring(entryText(EntryReplayCannotPlay)) + L"\n\n" + utf8Text(error.c_str()));
}

// Back to the controller on the serial port ZuvelS.ini names.
void stopReplay() {
    if (portInUse() != &replayPortOps) return;
    endDriveRecording(mainWindow);
    const int port = CommPort >= 1 && CommPort <= 256 ? CommPort : 1;
    selectMenuPort(portTablePath(port), port);
    markPortMenu(port <= 9 ? 10 + port : 20);
    showTitle();
}

// The picture of a recording or road-test CSV, saved where the fitter
// chooses and shown in the system's viewer. A recording is played through
// the link, so a recording in progress ends first and a replay in the
// window gets its own recording back afterwards.
void drawRoadPicture(HWND window) {
    std::string source, target, error;
    if (!driveSeams.chooseFile(window, DriveFile::PictureSource, &source)) return;
    if (!driveSeams.chooseFile(window, DriveFile::PictureTarget, &target)) return;
    endDriveRecording(window);
    const bool replaying = LinkPort == &replayPortOps;
    const std::string replayed = SelectedPortPath;
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    const bool drawn = writeRoadPicture(source.c_str(), target.c_str(), &error);
    std::string reloadError;
    if (replaying) loadRecording(replayed.c_str(), &reloadError);
    SetCursor(previous);
    if (!drawn)
        return box(window, EntryPictureCaption,
                   std::wstring(entryText(EntryPictureFailed)) + L"\n\n" + utf8Text(error.c_str()));
    driveSeams.openPicture(target);
}

}  // namespace

bool onDriveCommand(HWND window, int command) {
    switch (command) {
    case IDM_RECORD_DRIVE: recordDrive(window); return true;
    case IDM_STOP_RECORDING: endDriveRecording(window); return true;
    case IDM_REPLAY_DRIVE: replayDrive(window); return true;
    case IDM_STOP_REPLAY: stopReplay(); return true;
    case IDM_ROAD_PICTURE: drawRoadPicture(window); return true;
    }
    return false;
}
