#include "config/page_controls_win.h"

#include <cstring>

#include "readings/dashboard.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/shell_win.h"

namespace {

void armTimer(HWND page) {
    SetTimer(page, PagePollTimer, static_cast<UINT>(PollInterval),
             nullptr);  // replaces a running one
    armedInterval = PollInterval;
}

// Left alone when already so: a refresh runs on every tick, and setting the
// same state again would only make the controls flicker.
void selectItem(HWND list, int index) {
    if (SendMessageA(list, CB_GETCURSEL, 0, 0) != index)
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void setText(HWND control, int entry) {
    if (entry < 0 || entry >= LanguageEntries) return;
    char now[LanguageTextSize] = "";
    GetWindowTextA(control, now, sizeof now);
    if (strncmp(now, LanguageTable[entry], sizeof now) != 0)
        SetWindowTextA(control, LanguageTable[entry]);
}

void applyAction(HWND page, const ViewAction& a) {
    HWND control = GetDlgItem(page, a.control);
    if (!control) return;
    switch (a.step) {
    case ViewStep::Select: selectItem(control, a.value); break;
    case ViewStep::Check:
        if ((SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != (a.value != 0))
            SendMessageA(control, BM_SETCHECK, a.value ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ViewStep::Enable:
        if ((IsWindowEnabled(control) != FALSE) != (a.value != 0)) EnableWindow(control, a.value);
        break;
    case ViewStep::Show:
        if (((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0) != (a.value != 0))
            ShowWindow(control, a.value ? SW_SHOW : SW_HIDE);
        break;
    case ViewStep::Text: setText(control, a.value); break;
    case ViewStep::Refill: fillList(page, a.control, static_cast<ListKind>(a.value)); break;
    }
}

}  // namespace

void fillList(HWND page, int control, ListKind kind) {
    HWND list = GetDlgItem(page, control);
    if (!list) return;
    const std::vector<std::string> items = listItems(kind);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_INITSTORAGE, items.size(), items.size() * 8);
    for (const std::string& item : items)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void fillPageLists(HWND page, const PageList* lists, int n) {
    for (int i = 0; i < n; ++i) fillList(page, lists[i].control, lists[i].kind);
}

void applyControlTexts(HWND page, const ControlText* texts, int n) {
    for (int i = 0; i < n; ++i)
        SetDlgItemTextA(page, texts[i].control, LanguageTable[texts[i].entry]);
}

void applyView(HWND page, const PageView& view) {
    for (int i = 0; i < view.count; ++i) applyAction(page, view.actions[i]);
}

void paintPage(HWND page) {
    armTimer(page);  // the first paint starts polling
    PAINTSTRUCT ps;
    BeginPaint(page, &ps);
    EndPaint(page, &ps);
    SetWindowPos(page, nullptr, 0, 0, static_cast<int>(winW), static_cast<int>(winH),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void checkPollInterval(HWND page) {
    if (pollTimerNeedsRearm()) armTimer(page);
}

bool listSelectionChanged(int notification) {
    if (notification == CBN_SELCHANGE) return true;
    // Polling waits while a list is open, so the choice being made isn't
    // overwritten; any other notification means it has closed.
    dropDownOpen = notification == CBN_DROPDOWN;
    return false;
}

void pageDestroyed() { dropDownOpen = false; }

int listSelection(HWND page, int control) {
    return static_cast<int>(SendDlgItemMessageA(page, control, CB_GETCURSEL, 0, 0));
}

bool boxChecked(HWND page, int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }
