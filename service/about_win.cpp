// About dialog: the product name, the logo, the maker's lines and the
// program version. Its texts follow the language table on every paint.
#include "res/resource.h"
#include "service/about.h"
#include "service/dialogs_win.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/text_win.h"
#include "shell/shell_win.h"

namespace {

// The texts of the current language, set as the dialog opens.
void applyTexts(HWND dialog) {
    setItemEntryText(dialog, IDC_ABOUT_NAME, EntryProductName);
    setEntryText(dialog, EntryAboutCaption);
    setItemEntryText(dialog, IDC_ABOUT_VERSION, EntryProgramVersion);
    setItemEntryText(dialog, IDOK, EntryClose);
}

void showVersion(HWND dialog) {
    const std::string version = programVersionText();
    if (!version.empty()) setItemText(dialog, IDC_ABOUT_VERSION_NUMBER, version.c_str());
}

// A static control does not delete the bitmap its template made it load, so
// every showing would keep one: it is taken back and deleted here.
BOOL CALLBACK freeLogo(HWND child, LPARAM) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) return TRUE;
    HGDIOBJ logo = reinterpret_cast<HGDIOBJ>(SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (logo) DeleteObject(logo);
    return TRUE;
}

}  // namespace

// The version comes from the program's version resource, its one home.
std::string programVersionText() {
    // Resource 1 of type RT_VERSION (16), spelt out so that it stays the
    // ANSI form this call takes.
    HRSRC info = FindResourceA(appInstance, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    HGLOBAL loaded = info ? LoadResource(appInstance, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    unsigned major = 0, minor = 0;
    if (!fileVersionOf(static_cast<const unsigned char*>(data),
                       data ? SizeofResource(appInstance, info) : 0, &major, &minor))
        return "";
    return versionText(major, minor);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        centreOnRecordedScreen(dialog);
        showVersion(dialog);
        applyTexts(dialog);
        return TRUE;
    case WM_DESTROY: EnumChildWindows(dialog, freeLogo, 0); return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wp));
            setServiceDialogOpen(false);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR showAboutDialog(HWND owner) {
    return runModalDialog(owner, IDD_ABOUT, aboutDialogProc, setServiceDialogOpen);
}
