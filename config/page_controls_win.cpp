#include "config/page_controls_win.h"

#include <cstring>

#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/text_win.h"

namespace {

// Left alone when already so: a refresh runs on every tick, and setting the
// same state again would only make the controls flicker.
void selectItem(HWND list, int index) {
    if (SendMessageA(list, CB_GETCURSEL, 0, 0) != index)
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
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
    case ViewStep::Text:
        if (a.value >= 0 && a.value < LanguageEntries) setEntryText(control, a.value);
        break;
    case ViewStep::Refill: fillList(page, a.control, static_cast<ListKind>(a.value)); break;
    }
}

}  // namespace

void pageTick(HWND page, const PageHandlers& h) {
    const TickOutcome t = h.tick();
    if (t == TickOutcome::Suspended) return;
    if (t == TickOutcome::Polled) h.refresh(page);
    if (pollTimerNeedsRearm()) armPollTimer(page, PagePollTimerId);
}

INT_PTR pageProc(HWND page, UINT msg, WPARAM wp, const PageHandlers& h) {
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_TIMER:
        if (wp == PagePollTimerId) pageTick(page, h);
        return FALSE;
    case WM_COMMAND: h.command(page, LOWORD(wp), HIWORD(wp)); return FALSE;
    // A list of a page that is gone can't be open: polling must not wait for it.
    case WM_DESTROY: setDropDownOpen(false); return FALSE;
    }
    return FALSE;
}

void fillList(HWND page, int control, ListKind kind) {
    HWND list = GetDlgItem(page, control);
    if (!list) return;
    const std::vector<std::u16string> items = listItems(kind);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_INITSTORAGE, items.size(), items.size() * 8);
    for (const std::u16string& item : items) addListItem(list, wideText(item));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void fillPageLists(HWND page, const PageList* lists, int n) {
    for (int i = 0; i < n; ++i) fillList(page, lists[i].control, lists[i].kind);
}

void applyControlTexts(HWND page, const ControlText* texts, int n) {
    for (int i = 0; i < n; ++i) setItemEntryText(page, texts[i].control, texts[i].entry);
}

void applyView(HWND page, const PageView& view) {
    for (int i = 0; i < view.count; ++i) applyAction(page, view.actions[i]);
}

bool listSelectionChanged(int notification) {
    if (notification == CBN_SELCHANGE) return true;
    // Polling waits while a list is open, so the choice being made isn't
    // overwritten; any other notification means it has closed.
    setDropDownOpen(notification == CBN_DROPDOWN);
    return false;
}

int listSelection(HWND page, int control) {
    return static_cast<int>(SendDlgItemMessageA(page, control, CB_GETCURSEL, 0, 0));
}

bool boxChecked(HWND page, int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }
