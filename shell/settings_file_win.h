// The "Open..." and "Save As..." commands: file dialogs and message boxes
// around shell/settings_file.h.
#ifndef ZUVELS_SHELL_SETTINGS_FILE_WIN_H
#define ZUVELS_SHELL_SETTINGS_FILE_WIN_H

#include <cstddef>
#include <windows.h>

#include "shell/seams_win.h"
#include "shell/settings_file.h"

// Both are owned by owner, the current page.
void loadSettingsFile(HWND owner);
void saveSettingsFile(HWND owner);

// Their file dialog and message box are shellSeams.settingsFileChooser and
// shellSeams.settingsMessageBox (shell/seams_win.h).

#endif
