#include "shell/settings_file_win.h"

#include <cstdio>
#include <cstring>
#include <windows.h>
#include <commdlg.h>

#include "link/link.h"
#include "shell/dialog_win.h"
#include "shell/language.h"

namespace {

const char* const IoErrorCaption = "I/O Error";
const size_t PathSize = 260;

bool systemFileDialog(HWND owner, bool save, const SettingsFormat& fmt, char* path, size_t cap) {
    // Filter: description, pattern, then the double terminator.
    char filter[96];
    memset(filter, 0, sizeof filter);
    size_t nameLength = strlen(fmt.filterName);
    size_t patternLength = strlen(fmt.filterPattern);
    if (nameLength + patternLength + 3 > sizeof filter) return false;
    memcpy(filter, fmt.filterName, nameLength);
    memcpy(filter + nameLength + 1, fmt.filterPattern, patternLength);

    path[0] = '\0';
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(cap);
    ofn.lpstrTitle = LanguageTable[save ? EntrySaveTitle : EntryOpenTitle];
    ofn.lpstrDefExt = fmt.defaultExt;
    ofn.Flags = OFN_EXPLORER;
    return save ? GetSaveFileNameA(&ofn) != 0 : GetOpenFileNameA(&ofn) != 0;
}

void showIoError(HWND owner) {
    settingsMessageBox(owner, LanguageTable[EntryCannotOpen], IoErrorCaption,
                       MB_OK | MB_ICONWARNING);
}

// The file dialogs may leave the process in the folder the user browsed to,
// and ZuvelS.ini is opened by its bare name: without this the next port or
// language choice would be written there and be lost at the next start.
bool chooseFile(HWND owner, bool save, const SettingsFormat& fmt, char* path, size_t cap) {
    char folder[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    const bool known = n > 0 && n < sizeof folder;
    bool chosen = settingsFileChooser(owner, save, fmt, path, cap);
    if (known) SetCurrentDirectoryA(folder);
    return chosen;
}

bool fileExists(const char* path) {
    FILE* f = fopen(path, "r");
    if (!f) return false;
    fclose(f);
    return true;
}

}  // namespace

bool (*settingsFileChooser)(HWND, bool, const SettingsFormat&, char*, size_t) = systemFileDialog;
int (*settingsMessageBox)(HWND, const char*, const char*, UINT) = systemMessageBox;

void loadSettingsFile(HWND owner) {
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    char path[PathSize] = "";
    if (!chooseFile(owner, false, fmt, path, sizeof path)) return;
    switch (loadSettingsFrom(path, fmt, nullptr)) {
    case LoadResult::Sent: break;  // no message confirms a load
    case LoadResult::CannotOpen: showIoError(owner); break;
    case LoadResult::WrongFormat:
        settingsMessageBox(owner, LanguageTable[EntryWrongFormat],
                           LanguageTable[EntryWrongFormatCaption], MB_OK | MB_ICONWARNING);
        break;
    case LoadResult::WriteFailed:
        settingsMessageBox(owner, LanguageTable[EntryWriteFailed],
                           LanguageTable[EntryWriteFailedCaption], MB_OK | MB_ICONWARNING);
        break;
    }
}

void saveSettingsFile(HWND owner) {
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    char path[PathSize];
    for (;;) {
        path[0] = '\0';
        if (!chooseFile(owner, true, fmt, path, sizeof path)) return;
        if (!fileExists(path)) break;
        int answer =
            settingsMessageBox(owner, LanguageTable[EntryOverwrite],
                               LanguageTable[EntryOverwriteCaption], MB_YESNO | MB_ICONINFORMATION);
        if (answer == IDYES) break;
        // No: offer the dialog again.
    }
    if (saveSettingsTo(path, fmt) != SaveResult::Saved) showIoError(owner);
}
