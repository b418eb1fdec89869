#include "shell/seams_win.h"
#include "shell/language_win.h"

#include <cstdio>

#include "link/link.h"
#include "link/port_backends.h"
#include "link/wide_path_win.h"
#include "res/resource.h"
#include "shell/app_settings.h"
#include "shell/app_state.h"
#include "shell/drives_win.h"
#include "shell/language.h"
#include "shell/language_list.h"
#include "shell/pages_win.h"
#include "shell/shell_win.h"
#include "shell/start_options.h"
#include "shell/text_win.h"

namespace {

// Menu item bitmaps outlive any menu they are put on, so the flags are
// loaded once and shared by every language menu instead of once per change.
HBITMAP flagBitmaps[LanguageCount][2];

HBITMAP flagBitmap(int language, bool checked) {
    HBITMAP& b = flagBitmaps[language][checked ? 1 : 0];
    const LanguageRow& l = AllLanguages[language];
    if (!b) b = LoadBitmapA(appInstance, MAKEINTRESOURCEA(checked ? l.flagChecked : l.flag));
    return b;
}

// Puts the flag bitmaps on the language items of the menu.
void setLanguageBitmaps() {
    DrawMenuBar(mainWindow);
    HMENU menu = GetMenu(mainWindow);
    for (int i = 0; i < LanguageCount; ++i)
        SetMenuItemBitmaps(menu, AllLanguages[i].command, MF_BYCOMMAND, flagBitmap(i, false),
                           flagBitmap(i, true));
}

// Port items in menu order, COM 1 .. COM 9.
const int PortCommands[9] = {IDM_COM1, IDM_COM2, IDM_COM3, IDM_COM4, IDM_COM5,
                             IDM_COM6, IDM_COM7, IDM_COM8, IDM_COM9};
const int AutoScanMarkCode = 20;

}  // namespace

void recordStartDirectory() { shellWindow().startDirectory = currentFolder(); }

void loadLanguage() {
    if (!startDirectory.empty()) setCurrentFolder(startDirectory.c_str());
    char path[96];
    snprintf(path, sizeof path, "Lang\\ZuvelS_lang.%s", activeLanguage);
    loadLanguageFile(path, codePageForLanguage(activeLanguage));
}

int languageCommandFor(const char* code) { return languageOrFallback(code).command; }
int languageMenuFor(const char* code) { return languageOrFallback(code).menu; }

const char* languageCodeForCommand(int command) {
    for (const LanguageRow& l : AllLanguages)
        if (l.command == command) return l.code;
    return nullptr;
}

void installLanguageMenu() {
    HMENU menu = LoadMenuA(appInstance, MAKEINTRESOURCEA(languageMenuFor(activeLanguage)));
    HMENU old = GetMenu(mainWindow);
    SetMenu(mainWindow, menu);
    DrawMenuBar(mainWindow);
    // The replaced menu is no longer attached to any window; free it.
    if (old && old != menu) DestroyMenu(old);
    menu = GetMenu(mainWindow);

    const int chosen = languageCommandFor(activeLanguage);
    for (const LanguageRow& l : AllLanguages)
        CheckMenuItem(menu, l.command,
                      MF_BYCOMMAND | (l.command == chosen ? MF_CHECKED : MF_UNCHECKED));
    setLanguageBitmaps();
    enableSizes(largestEnabledSize);
    markPortMenu(portMarkCode);
    applySizeMarks();
}

void chooseLanguage(const char* code) {
    snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", code);
    writeAppSettings(AppSettingsFileName);
    loadLanguage();
    rebuildPageForLanguage();
    installLanguageMenu();
    highlightPage();
}

void markPortMenu(int code) {
    shellWindow().portMarkCode = code;
    HMENU menu = GetMenu(mainWindow);
    if (!menu) return;

    char label[40];
    if (code < AutoScanMarkCode)
        snprintf(label, sizeof label, "AUTO SCAN");
    else
        snprintf(label, sizeof label, "AUTO SCAN (COM%ld)", static_cast<long>(CommPort));
    setMenuItemText(menu, IDM_AUTO_SCAN, label);

    for (int command : PortCommands) CheckMenuItem(menu, command, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, IDM_AUTO_SCAN, MF_BYCOMMAND | MF_UNCHECKED);
    if (code >= 11 && code <= 19)
        CheckMenuItem(menu, PortCommands[code - 11], MF_BYCOMMAND | MF_CHECKED);
    else if (code == AutoScanMarkCode)
        CheckMenuItem(menu, IDM_AUTO_SCAN, MF_BYCOMMAND | MF_CHECKED);
}

int portForCommand(int command) { return positionOf(PortCommands, 9, command); }

int portCommandFor(int port) { return port >= 1 && port <= 9 ? PortCommands[port - 1] : 0; }

void choosePort(int port) {
    // The short device names only reach COM1..COM9, which is all the menu
    // offers. selectPort also forgets which stores hold this controller's
    // replies: another port may reach another controller.
    char path[16];
    snprintf(path, sizeof path, "COM%d:", port);
    // A recording ends; from a network port or a replay the menu returns to
    // the serial ports (the row says which).
    endDriveRecording(mainWindow);
    selectMenuPort(path, port);
    markPortMenu(10 + port);
    showTitle();
    writeAppSettings(AppSettingsFileName);
}

void applyStartPort() {
    const std::string& named = startPortName();
    const int number = comPortNumber(named.c_str());
    if (portNamedWhole()) {
        // CommPort keeps ZuvelS.ini's number, so the file is written as it
        // was read; no COM item is checked while the network port is used.
        selectPort(named.c_str(), CommPort);
        return markPortMenu(0);
    }
    if (number > 0) selectPort(portTablePath(number), number);
    markPortMenu(static_cast<unsigned>(CommPort) <= 9 ? CommPort + 10 : AutoScanMarkCode);
}

namespace {

bool settingsUnwritableTold = false;
// The folder of the write that failed, taken at once: the current folder
// moves back to the start folder when a language is loaded.
std::wstring unwritableFolder;

// The box waits for the message loop, so that it reads in the language
// loaded by then: the new one after a language change.
void noteSettingsUnwritable(const char* path) {
    if (settingsUnwritableTold || !mainWindow) return;
    settingsUnwritableTold = true;
    unwritableFolder = fullFolderOf(path);
    PostMessageW(mainWindow, WM_SETTINGS_UNWRITABLE, 0, 0);
}

}  // namespace

void watchSettingsWrites() {
    settingsUnwritableTold = false;
    setAppSettingsUnwritableHandler(noteSettingsUnwritable);
}

void showSettingsUnwritableBox() {
    const std::wstring text = std::wstring(entryText(EntrySettingsUnwritable)) + L"\n\n" +
                              unwritableFolder + L"\n\n" + entryText(EntrySettingsSetupHint);
    shellSeams.linkErrorMessageBox(mainWindow, text.c_str(),
                                   entryText(EntrySettingsUnwritableCaption),
                                   MB_OK | MB_ICONWARNING);
}

void showLinkErrorBox() {
    char port[16];
    snprintf(port, sizeof port, " %d", CommPort);
    std::wstring caption = entryText(EntryLinkErrorCaption) + asciiWide(port);
    std::wstring text = entryText(EntryLinkErrorText);
    // A network port is named by its whole name, with the reason it can't
    // be reached.
    if (portNamedWhole()) {
        caption =
            std::wstring(entryText(EntryLinkErrorCaption)) + L" " + systemText(SelectedPortPath);
        text += L"\n\n" + systemText(linkPortProblem());
    }
    shellSeams.linkErrorMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}
