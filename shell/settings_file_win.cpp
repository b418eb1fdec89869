#include "shell/seams_win.h"
#include "shell/settings_file_win.h"

#include <cstdio>
#include <cstring>
#include <windows.h>
#include <commdlg.h>

#include "link/link.h"
#include "link/wide_path_win.h"
#include "shell/dialog_win.h"
#include "shell/language.h"
#include "shell/text_win.h"

namespace {

const wchar_t* const IoErrorCaption = L"I/O Error";
// A name the file dialog gives (MAX_PATH UTF-16 units) as UTF-8: up to
// three bytes a unit.
const size_t PathSize = 3 * MAX_PATH + 1;

// A name with no UTF-8 form comes back empty, so it is reported as any file
// that can't be opened.
bool systemFileDialog(HWND owner, bool save, const SettingsFormat& fmt, char* path, size_t cap) {
    // Filter: description, pattern, then the double terminator.
    const std::wstring filter =
        asciiWide(fmt.filterName) + L'\0' + asciiWide(fmt.filterPattern) + L'\0';
    const std::wstring defaultExt = asciiWide(fmt.defaultExt);
    path[0] = '\0';
    std::string name;
    if (!askFileName(owner, save, entryText(save ? EntrySaveTitle : EntryOpenTitle), filter.c_str(),
                     defaultExt.c_str(), 0, &name))
        return false;
    // An empty path: reading and writing fail, and the user is told.
    if (name.size() < cap) memcpy(path, name.c_str(), name.size() + 1);
    return true;
}

void showIoError(HWND owner) {
    shellSeams.settingsMessageBox(owner, entryText(EntryCannotOpen), IoErrorCaption,
                                  MB_OK | MB_ICONWARNING);
}

// A save refused because the controller didn't answer: the file was never
// the problem, so the fitter is told what the readings page tells him.
void showNoAnswer(HWND owner) {
    const std::wstring text =
        std::wstring(entryText(EntryLinkLost)) + L"\n" + entryText(EntryLinkLostHint);
    shellSeams.settingsMessageBox(owner, text.c_str(), entryText(EntrySaveTitle),
                                  MB_OK | MB_ICONWARNING);
}

// The file dialogs may leave the process in the folder the user browsed to,
// and ZuvelS.ini is opened by its bare name: without this the next port or
// language choice would be written there and be lost at the next start.
bool chooseFile(HWND owner, bool save, const SettingsFormat& fmt, char* path, size_t cap) {
    const std::string folder = currentFolder();
    bool chosen = shellSeams.settingsFileChooser(owner, save, fmt, path, cap);
    if (!folder.empty()) setCurrentFolder(folder.c_str());
    return chosen;
}

bool fileExists(const char* path) {
    FILE* f = openFile(path, "r");
    if (!f) return false;
    fclose(f);
    return true;
}

// The first value the controller reads back otherwise than written: its
// key, the value written and the value read back.
void showReadBackDiffers(HWND owner, const SettingsFormat& fmt, const ReadBackCheck& check) {
    char key[SettingsWordSize + 4], written[16], readBack[16];
    snprintf(key, sizeof key, "%s", settingsKeyWord(fmt, 3 + check.key));
    const size_t n = strlen(key);
    if (n > 0 && key[n - 1] == '=') key[n - 1] = '\0';
    snprintf(written, sizeof written, "%d", check.written);
    snprintf(readBack, sizeof readBack, "%d", check.readBack);
    const std::wstring text = std::wstring(entryText(EntryReadBackDiffers)) + L"\n\n" +
                              entryText(EntryReadBackKey) + L" " + asciiWide(key) + L"\n" +
                              entryText(EntryReadBackWritten) + L" " + asciiWide(written) + L"\n" +
                              entryText(EntryReadBackRead) + L" " + asciiWide(readBack);
    shellSeams.settingsMessageBox(owner, text.c_str(), entryText(EntryReadBackCaption),
                                  MB_OK | MB_ICONWARNING);
}

}  // namespace

bool systemSettingsFileChooser(HWND owner, bool save, const SettingsFormat& fmt, char* path,
                               size_t cap) {
    return systemFileDialog(owner, save, fmt, path, cap);
}

void loadSettingsFile(HWND owner) {
    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    char path[PathSize] = "";
    if (!chooseFile(owner, false, fmt, path, sizeof path)) return;
    ReadBackCheck check;
    switch (loadSettingsChecked(path, fmt, &check)) {
    case LoadResult::Sent: break;  // no message confirms a load
    case LoadResult::ReadBackDiffers: showReadBackDiffers(owner, fmt, check); break;
    case LoadResult::NotReadBack:
        shellSeams.settingsMessageBox(owner, entryText(EntryReadBackNoAnswer),
                                      entryText(EntryReadBackCaption), MB_OK | MB_ICONWARNING);
        break;
    case LoadResult::CannotOpen: showIoError(owner); break;
    case LoadResult::WrongFormat:
        shellSeams.settingsMessageBox(owner, entryText(EntryWrongFormat),
                                      entryText(EntryWrongFormatCaption), MB_OK | MB_ICONWARNING);
        break;
    case LoadResult::WriteFailed:
        shellSeams.settingsMessageBox(owner, entryText(EntryWriteFailed),
                                      entryText(EntryWriteFailedCaption), MB_OK | MB_ICONWARNING);
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
        int answer = shellSeams.settingsMessageBox(owner, entryText(EntryOverwrite),
                                                   entryText(EntryOverwriteCaption),
                                                   MB_YESNO | MB_ICONINFORMATION);
        if (answer == IDYES) break;
        // No: offer the dialog again.
    }
    switch (saveSettingsTo(path, fmt)) {
    case SaveResult::Saved: break;
    case SaveResult::Refused: showNoAnswer(owner); break;
    case SaveResult::CannotWrite: showIoError(owner); break;
    }
}
