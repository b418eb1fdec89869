// What the three service dialogs share: their placement and how they run.
#include "service/dialogs_win.h"

#include "shell/app_state.h"
#include "shell/shell_win.h"

void centreOnScreen(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    const long x = (lastScreenW - (r.right - r.left)) / 2;
    const long y = (lastScreenH - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR runServiceDialog(HWND owner, int templateId, DLGPROC proc) {
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, proc, 0);
    if (result == -1 || result == 0) serviceDialogOpen = false;
    return result;
}
