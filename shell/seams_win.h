// The shell's test seams: the calls tests under Wine replace, in one struct.
// Each starts out as the system's own.
#ifndef ZUVELS_SHELL_SEAMS_WIN_H
#define ZUVELS_SHELL_SEAMS_WIN_H

#include <windows.h>

#include <cstddef>

struct SettingsFormat;

struct ShellSeams {
    // The message box the link error box goes through.
    int (*linkErrorMessageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    // The settings file dialog (true with a path, false when cancelled) and
    // message box (returns IDOK, IDYES or IDNO).
    bool (*settingsFileChooser)(HWND owner, bool save, const SettingsFormat& fmt, char* path,
                                size_t cap);
    int (*settingsMessageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    // Where the desktop window's rectangle comes from (tests give their own
    // screen); GetWindowRect of the desktop window.
    void (*desktopRectProvider)(RECT* out);
};
// Test seam: the system's calls unless a test replaced one.
extern ShellSeams shellSeams;

// The system's file dialog, as settingsFileChooser starts out.
bool systemSettingsFileChooser(HWND owner, bool save, const SettingsFormat& fmt, char* path,
                               size_t cap);

#endif
