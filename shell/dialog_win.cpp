#include "shell/dialog_win.h"

#include "link/link.h"
#include "shell/app_state.h"
#include "shell/shell_win.h"

void armPollTimer(HWND window, UINT_PTR id) {
    SetTimer(window, id, static_cast<UINT>(PollInterval), nullptr);
    setArmedInterval(PollInterval);
}

void emptyPaint(HWND window) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
}

void paintPageArea(HWND page) {
    emptyPaint(page);
    SetWindowPos(page, nullptr, 0, 0, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void centreOnRecordedScreen(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    const long x = (lastScreenW - (r.right - r.left)) / 2;
    const long y = (lastScreenH - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR runModalDialog(HWND owner, int templateId, DLGPROC proc, void (*setPaused)(bool)) {
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, proc, 0);
    if (result == -1 || result == 0) setPaused(false);
    return result;
}

int systemMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxA(owner, text, caption, type);
}
