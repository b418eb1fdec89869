#include "shell/menu_dialogs_win.h"

#include "shell/app_state.h"

// Each dialog's folder defines its show function.
#define ZUVELS_MENU_DIALOG_DECL(command, marks, show) INT_PTR show(HWND owner);
ZUVELS_MENU_DIALOGS(ZUVELS_MENU_DIALOG_DECL)
#undef ZUVELS_MENU_DIALOG_DECL

namespace {

struct MenuDialog {
    int command;
    bool marksServiceDialog;
    INT_PTR (*show)(HWND owner);
};

const MenuDialog MenuDialogs[] = {
#define ZUVELS_MENU_DIALOG_ROW(command, marks, show) {command, marks != 0, show},
    ZUVELS_MENU_DIALOGS(ZUVELS_MENU_DIALOG_ROW)
#undef ZUVELS_MENU_DIALOG_ROW
};

}  // namespace

bool openMenuDialog(int command, HWND owner) {
    for (const MenuDialog& d : MenuDialogs) {
        if (d.command != command) continue;
        if (d.marksServiceDialog) setServiceDialogOpen(true);
        d.show(owner);
        return true;
    }
    return false;
}
