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
#include "shell/app_state.h"
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
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

inline void writeFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// Every line k carries "<code> <k>" after its "=".
inline std::string languageFileText(const char* code) {
    std::string text;
    char line[64];
    for (int k = 0; k < 216; ++k) {
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

class ShellTest : public testing::Test {
protected:
    std::string dir;
    char previousDir[MAX_PATH] = "";

    void SetUp() override {
        GetCurrentDirectoryA(sizeof previousDir, previousDir);
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        char name[MAX_PATH];
        GetTempFileNameA(temp, "zsh", 0, name);
        DeleteFileA(name);
        dir = name;
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((dir + "\\Lang").c_str(), nullptr));
        for (const LanguageRow& l : AllLanguages)
            writeFileBytes(dir + "\\Lang\\ZuvelS_lang." + l.code, languageFileText(l.code));
        SetCurrentDirectoryA(dir.c_str());

        fakeScreen() = {0, 0, 1400, 1050};
        shellSeams.desktopRectProvider = fakeDesktopRect;
        boxCalls().clear();
        shellSeams.linkErrorMessageBox = recordBox;
        resetLinkState();
        SimConfig config;
        simPortSetup(config);
        LinkPort = &simPortOps;
        setServiceDialogOpen(false);
    }

    void TearDown() override {
        if (mainWindow) DestroyWindow(mainWindow);
        drainMessages();
        resetLinkState();
        SetCurrentDirectoryA(previousDir);
        for (const LanguageRow& l : AllLanguages)
            DeleteFileA((dir + "\\Lang\\ZuvelS_lang." + l.code).c_str());
        RemoveDirectoryA((dir + "\\Lang").c_str());
        DeleteFileA((dir + "\\ZuvelS.ini").c_str());
        RemoveDirectoryA(dir.c_str());
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
