#include "shell/language_win.h"

#include <cstdio>
#include <cstring>

#include "link/link.h"
#include "res/resource.h"
#include "shell/app_settings.h"
#include "shell/app_state.h"
#include "shell/dialog_win.h"
#include "shell/language.h"
#include "shell/pages_win.h"
#include "shell/shell_win.h"

char startDirectory[256];
int portMarkCode = 10;
int (*linkErrorMessageBox)(HWND, const char*, const char*, UINT) = systemMessageBox;

namespace {

// A language: its code, its menu, its item in every menu and the country
// flag bitmaps the item shows unchecked and checked.
struct Language {
    const char* code;
    int menu;
    int command;
    int flag, flagChecked;
};
enum { LanguageCount = 5 };
// The first entry doubles as the fallback for codes not in the table.
const Language Languages[LanguageCount] = {
    {"pol", IDM_MENU_POL, IDM_LANG_POL, IDB_FLAG_POL, IDB_FLAG_POL_ON},
    {"ang", IDM_MENU_ANG, IDM_LANG_ANG, IDB_FLAG_ANG, IDB_FLAG_ANG_ON},
    {"rus", IDM_MENU_RUS, IDM_LANG_RUS, IDB_FLAG_RUS, IDB_FLAG_RUS_ON},
    {"lit", IDM_MENU_LIT, IDM_LANG_LIT, IDB_FLAG_LIT, IDB_FLAG_LIT_ON},
    {"cs", IDM_MENU_CS, IDM_LANG_CS, IDB_FLAG_CS, IDB_FLAG_CS_ON},
};
// Menu item bitmaps outlive any menu they are put on, so the flags are
// loaded once and shared by every language menu instead of once per change.
HBITMAP flagBitmaps[LanguageCount][2];

HBITMAP flagBitmap(int language, bool checked) {
    HBITMAP& b = flagBitmaps[language][checked ? 1 : 0];
    const Language& l = Languages[language];
    if (!b) b = LoadBitmapA(appInstance, MAKEINTRESOURCEA(checked ? l.flagChecked : l.flag));
    return b;
}

// Puts the flag bitmaps on the five language items of the menu.
void setLanguageBitmaps() {
    DrawMenuBar(mainWindow);
    HMENU menu = GetMenu(mainWindow);
    for (int i = 0; i < LanguageCount; ++i)
        SetMenuItemBitmaps(menu, Languages[i].command, MF_BYCOMMAND, flagBitmap(i, false),
                           flagBitmap(i, true));
}

const Language& languageFor(const char* code) {
    for (const Language& l : Languages)
        if (strcmp(l.code, code) == 0) return l;
    return Languages[0];
}

// Port items in menu order, COM 1 .. COM 9.
const int PortCommands[9] = {IDM_COM1, IDM_COM2, IDM_COM3, IDM_COM4, IDM_COM5,
                             IDM_COM6, IDM_COM7, IDM_COM8, IDM_COM9};
const int AutoScanMarkCode = 20;

}  // namespace

void recordStartDirectory() {
    DWORD n = GetCurrentDirectoryA(sizeof startDirectory, startDirectory);
    // A path that doesn't fit comes back as a required length, not a path.
    if (n == 0 || n >= sizeof startDirectory) startDirectory[0] = '\0';
}

void loadLanguage() {
    if (startDirectory[0]) SetCurrentDirectoryA(startDirectory);
    char path[96];
    snprintf(path, sizeof path, "Lang\\ZuvelS_lang.%s", LanguageCode);
    loadLanguageFile(path);
}

int languageCommandFor(const char* code) { return languageFor(code).command; }
int languageMenuFor(const char* code) { return languageFor(code).menu; }

const char* languageCodeForCommand(int command) {
    for (const Language& l : Languages)
        if (l.command == command) return l.code;
    return nullptr;
}

void installLanguageMenu() {
    HMENU menu = LoadMenuA(appInstance, MAKEINTRESOURCEA(languageMenuFor(LanguageCode)));
    HMENU old = GetMenu(mainWindow);
    SetMenu(mainWindow, menu);
    DrawMenuBar(mainWindow);
    // The replaced menu is no longer attached to any window; free it.
    if (old && old != menu) DestroyMenu(old);
    menu = GetMenu(mainWindow);

    const int chosen = languageCommandFor(LanguageCode);
    for (const Language& l : Languages)
        CheckMenuItem(menu, l.command,
                      MF_BYCOMMAND | (l.command == chosen ? MF_CHECKED : MF_UNCHECKED));
    setLanguageBitmaps();
    enableSizes(largestEnabledSize);
    markPortMenu(portMarkCode);
    applySizeMarks();
}

void chooseLanguage(const char* code) {
    snprintf(LanguageCode, sizeof LanguageCode, "%s", code);
    writeAppSettings(AppSettingsFileName);
    loadLanguage();
    rebuildPageForLanguage();
    installLanguageMenu();
    highlightPage();
}

void markPortMenu(int code) {
    portMarkCode = code;
    HMENU menu = GetMenu(mainWindow);
    if (!menu) return;

    char label[40];
    if (code < AutoScanMarkCode)
        snprintf(label, sizeof label, "AUTO SCAN");
    else
        snprintf(label, sizeof label, "AUTO SCAN (COM%ld)", static_cast<long>(CommPort));
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = label;
    SetMenuItemInfoA(menu, IDM_AUTO_SCAN, FALSE, &info);

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
    selectPort(path, port);
    markPortMenu(10 + port);
    writeAppSettings(AppSettingsFileName);
}

void applyStartPort() {
    markPortMenu(static_cast<unsigned>(CommPort) <= 9 ? CommPort + 10 : AutoScanMarkCode);
}

void showLinkErrorBox() {
    char caption[LanguageTextSize + 16];
    snprintf(caption, sizeof caption, "%s %d", LanguageTable[EntryLinkErrorCaption], CommPort);
    linkErrorMessageBox(mainWindow, LanguageTable[EntryLinkErrorText], caption,
                        MB_OK | MB_ICONERROR);
}
