#include "shell/dialog_win.h"

#include <cstring>
#include <commdlg.h>

#include "link/link.h"
#include "link/wide_path_win.h"
#include "shell/app_state.h"
#include "shell/shell_win.h"

void armPollTimer(HWND window, UINT_PTR id) {
    SetTimer(window, id, static_cast<UINT>(PollInterval), nullptr);
    setArmedInterval(PollInterval);
}

bool paintMessage(HWND window, UINT msg, WPARAM wp, PaintContent content) {
    if (msg == WM_PRINTCLIENT) {
        content(window, reinterpret_cast<HDC>(wp));
        return true;
    }
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(window, &ps)) content(window, dc);
    EndPaint(window, &ps);
    return true;
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
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, proc, 0);
    if (result == -1 || result == 0) setPaused(false);
    return result;
}

bool askFileName(HWND owner, bool save, const wchar_t* title, const wchar_t* filter,
                 const wchar_t* defaultExt, DWORD flags, std::string* chosen) {
    wchar_t name[MAX_PATH] = L"";
    OPENFILENAMEW ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defaultExt;
    ofn.Flags = OFN_EXPLORER | flags;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    *chosen = utf8Path(name);
    return true;
}
