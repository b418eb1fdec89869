// A main window run in a scratch directory of its own, with a screen, a
// settings file and language files chosen by the test.
#ifndef ZUVELS_TESTS_WIN_SHELL_FIXTURE_H
#define ZUVELS_TESTS_WIN_SHELL_FIXTURE_H

#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/seams_win.h"
#include "link/link.h"
#include "link/wide_path_win.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/language_list.h"
#include "shell/language_win.h"
#include "shell/shell_win.h"
#include "sim/sim.h"

namespace shelltest {

inline RECT& fakeScreen() {
    static RECT r = {0, 0, 1400, 1050};
    return r;
}
inline void fakeDesktopRect(RECT* out) { *out = fakeScreen(); }

struct BoxCall {
    HWND owner;
    std::string text, caption;
    UINT type;
};
inline std::vector<BoxCall>& boxCalls() {
    static std::vector<BoxCall> calls;
    return calls;
}
// A wide text as UTF-8, for comparing with the test's own texts.
inline std::string utf8(const wchar_t* text) {
    char buf[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}
inline int recordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    boxCalls().push_back({owner, utf8(text), utf8(caption), type});
    return IDOK;
}

inline std::string readFileBytes(const std::string& path) {
    std::string bytes;
    FILE* f = openFile(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

inline void writeFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = openFile(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// Every line k carries "<code> <k>" after its "=". The files end where the
// first files ended, so the entries added later show their English texts,
// as they do for a fitter who keeps an older language file.
inline std::string languageFileText(const char* code) {
    std::string text;
    char line[64];
    for (int k = 0; k < FirstAppendedEntry; ++k) {
        snprintf(line, sizeof line, "T%d=%s %d\n", k, code, k);
        text += line;
    }
    return text;
}

inline std::string entryText(const char* code, int k) {
    return std::string(code) + " " + std::to_string(k);
}

// Removes WM_QUIT and whatever else is queued; returns the quit code or -1.
inline int drainMessages() {
    int quitCode = -1;
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT)
            quitCode = static_cast<int>(msg.wParam);
        else
            DispatchMessageA(&msg);
    }
    return quitCode;
}

inline std::string windowText(HWND w) {
    char buf[256] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

inline UINT menuState(int command) {
    return GetMenuState(GetMenu(mainWindow), command, MF_BYCOMMAND);
}
inline bool isChecked(int command) { return (menuState(command) & MF_CHECKED) != 0; }
inline bool isGreyed(int command) { return (menuState(command) & MF_GRAYED) != 0; }
inline bool isHilited(int command) { return (menuState(command) & MF_HILITE) != 0; }

// The folder the window runs in, named in the fitters' letters as a user's
// profile may be, whatever the system's code page: its ini and language
// files are reached through it.
const char FolderLetters[] =
    " J\xC5\xABrat\xC4\x97 \xC5\x81ukasz \xD0\x90\xD0\xBD\xD0\xB4\xD1\x80\xD0\xB5\xD0\xB9";

inline bool makeFolder(const std::string& path) {
    return CreateDirectoryW(widePath(path.c_str()).c_str(), nullptr) != FALSE;
}
inline void removeFile(const std::string& path) { DeleteFileW(widePath(path.c_str()).c_str()); }
inline void removeFolder(const std::string& path) {
    RemoveDirectoryW(widePath(path.c_str()).c_str());
}

class ShellTest : public testing::Test {
protected:
    std::string dir;
    std::string previousDir;

    void SetUp() override {
        previousDir = currentFolder();
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        static int made = 0;
        dir = utf8Path(temp) + "zsh-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++made);
        // Wine under a locale the machine lacks has no Unix names for these
        // letters (the foreign code page runs): the folder is then named
        // in ASCII.
        if (makeFolder(dir + FolderLetters))
            dir += FolderLetters;
        else
            ASSERT_TRUE(makeFolder(dir)) << dir;
        ASSERT_TRUE(makeFolder(dir + "\\Lang"));
        for (const LanguageRow& l : AllLanguages)
            writeFileBytes(dir + "\\Lang\\ZuvelS_lang." + l.code, languageFileText(l.code));
        ASSERT_TRUE(setCurrentFolder(dir.c_str()));

        fakeScreen() = {0, 0, 1400, 1050};
        shellSeams.desktopRectProvider = fakeDesktopRect;
        boxCalls().clear();
        shellSeams.linkErrorMessageBox = recordBox;
        resetLinkState();
        SimConfig config;
        simPortSetup(config);
        useLinkBackend(&simPortOps);
        setServiceDialogOpen(false);
    }

    void TearDown() override {
        if (mainWindow) DestroyWindow(mainWindow);
        drainMessages();
        resetLinkState();
        setCurrentFolder(previousDir.c_str());
        for (const LanguageRow& l : AllLanguages) removeFile(dir + "\\Lang\\ZuvelS_lang." + l.code);
        removeFolder(dir + "\\Lang");
        removeFile(dir + "\\ZuvelS.ini");
        removeFolder(dir);
    }

    std::string iniPath() const { return dir + "\\ZuvelS.ini"; }

    void writeIni(int port, const char* code) {
        writeFileBytes(iniPath(), "[Ustawienia]\nCommPort= " + std::to_string(port) +
                                      "\nLanguage= " + code + "\n");
    }

    void start(int port = 1, const char* code = "ang") {
        writeIni(port, code);
        ASSERT_NE(createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE), nullptr);
        drainMessages();
    }

    void command(int id) { SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    void repaintMain() {
        InvalidateRect(mainWindow, nullptr, TRUE);
        UpdateWindow(mainWindow);
    }
    // The system's word that the screen changed resolution.
    void displayChanged() {
        const RECT screen = fakeScreen();
        SendMessageW(mainWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(screen.right, screen.bottom));
    }
};

}  // namespace shelltest

#endif
