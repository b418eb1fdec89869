// About, device information and port search: the bare dialogs, closing on
// OK or Cancel, until their own contents are in place.
#include "service/dialogs_win.h"

#include "res/resource.h"
#include "shell/app_state.h"

namespace {

INT_PTR CALLBACK closingDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wp));
            serviceDialogOpen = false;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR run(HWND owner, int templateId) {
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                                     closingDialogProc, 0);
    // A template that fails to load must not leave the pages suspended.
    if (result == -1 || result == 0) serviceDialogOpen = false;
    return result;
}

}  // namespace

INT_PTR showAboutDialog(HWND owner) { return run(owner, IDD_ABOUT); }
INT_PTR showDeviceInfoDialog(HWND owner) { return run(owner, IDD_DEVICE_INFO); }

INT_PTR showPortSearchDialog(HWND owner) {
    serviceDialogOpen = true;
    return run(owner, IDD_PORT_SEARCH);
}
