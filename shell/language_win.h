// Language and port commands of the main window, the language menus, the
// port marks and the link error box.
#ifndef ZUVELS_SHELL_LANGUAGE_WIN_H
#define ZUVELS_SHELL_LANGUAGE_WIN_H

#include <string>
#include <windows.h>

#include "shell/seams_win.h"

// The process's current directory at start-up; language files are found
// relative to it.
extern const std::string& startDirectory;
void recordStartDirectory();

// The code the port menu was last marked with (10..20).
extern const int& portMarkCode;

// Reads "Lang\ZuvelS_lang.<code>" of the start directory over the table.
void loadLanguage();
// Loads and installs the menu of activeLanguage, checks its language item and
// re-applies flag bitmaps, enabled sizes, port marks and size marks.
void installLanguageMenu();
// Language item and menu resource for a code; unknown codes give Polish.
int languageCommandFor(const char* code);
int languageMenuFor(const char* code);
// Code for a language command; null when not one.
const char* languageCodeForCommand(int command);
void chooseLanguage(const char* code);

// Port check marks and the label of the AUTO SCAN item.
void markPortMenu(int code);
// Port number 1..9 of a port command; 0 when not one.
int portForCommand(int command);
int portCommandFor(int port);
void choosePort(int port);
// Creation: the port path from the port table and the matching marks.
void applyStartPort();

// The first failed write of ZuvelS.ini in a run (a folder the user may not
// write) posts this to the main window, which then says so in a box naming
// the folder and the setup. createMainWindow starts the run's count.
enum { WM_SETTINGS_UNWRITABLE = WM_APP + 1 };
void watchSettingsWrites();
void showSettingsUnwritableBox();

// Shown by the link when the port takes too long to open or echoes.
void showLinkErrorBox();
// Its message box is shellSeams.linkErrorMessageBox (shell/seams_win.h).

#endif
