// The "Open..." and "Save As..." commands: file dialogs and message boxes
// around shell/settings_file.h.
#ifndef ZUVELS_SHELL_SETTINGS_FILE_WIN_H
#define ZUVELS_SHELL_SETTINGS_FILE_WIN_H

#include <cstddef>
#include <windows.h>

#include "shell/settings_file.h"

// Both are owned by owner, the current page.
void loadSettingsFile(HWND owner);
void saveSettingsFile(HWND owner);

// Seams for tests under Wine: the file dialog (true with a path, false when
// cancelled) and the message box (returns IDOK, IDYES or IDNO). They start
// out as the system's dialogs.
extern bool (*settingsFileChooser)(HWND owner, bool save, const SettingsFormat& fmt, char* path,
                                   size_t cap);
extern int (*settingsMessageBox)(HWND owner, const wchar_t* text, const wchar_t* caption,
                                 UINT type);

#endif
