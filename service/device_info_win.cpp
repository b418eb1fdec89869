// Device information dialog: reads its controls, calls the decisions of
// service/device_info.cpp and shows what they return.
#include <cstdio>

#include "link/blocks.h"
#include "link/link.h"
#include "res/resource.h"
#include "service/device_info.h"
#include "service/dialogs_win.h"
#include "shell/app_state.h"
#include "shell/language.h"

namespace {

enum { RegistrationLength = sizeof(ExtendedBlock::registration) };

// Disabled while no generation-3 controller answers.
const int EditableControls[] = {
    IDC_INFO_REGISTRATION_LABEL, IDC_INFO_REGISTRATION, IDC_INFO_REGISTRATION_EDIT,
    IDC_INFO_GAS_TIME_LABEL,     IDC_INFO_GAS_TIME,     IDC_INFO_GAS_TIME_CLEAR,
    IDC_INFO_DATE_LABEL,         IDC_INFO_DATE,         IDC_INFO_DATE_EDIT,
};
// Shown only while a date is being set.
const int DateControls[] = {
    IDC_INFO_DATE_GROUP, IDC_INFO_YEAR,        IDC_INFO_MONTH,     IDC_INFO_DAY,
    IDC_INFO_YEAR_LABEL, IDC_INFO_MONTH_LABEL, IDC_INFO_DAY_LABEL,
};

const struct {
    int control, entry;
} ControlTexts[] = {
    {IDC_INFO_VERSION_LABEL, EntryControllerVersion},
    {IDC_INFO_REGISTRATION_LABEL, EntryRegistrationLabel},
    {IDC_INFO_GAS_TIME_LABEL, EntryTimeOnGasLabel},
    {IDC_INFO_DATE_LABEL, EntryInstallDateLabel},
    {IDC_INFO_YEAR_LABEL, EntryYearLabel},
    {IDC_INFO_MONTH_LABEL, EntryMonthLabel},
    {IDC_INFO_DAY_LABEL, EntryDayLabel},
    {IDC_INFO_REGISTRATION_EDIT, EntryChange},
    {IDC_INFO_DATE_EDIT, EntryChange},
    {IDC_INFO_GAS_TIME_CLEAR, EntryClear},
    {IDOK, EntryClose},
};

// Every tick rewrites the fields; an unchanged text is left alone so that
// the fields don't flicker at the poll rate.
void showText(HWND dialog, int id, const char* text) {
    char current[LanguageTextSize];
    GetDlgItemTextA(dialog, id, current, sizeof current);
    if (lstrcmpA(current, text) != 0) SetDlgItemTextA(dialog, id, text);
}

void enableEditing(HWND dialog, bool enabled) {
    for (int id : EditableControls) EnableWindow(GetDlgItem(dialog, id), enabled);
}

void showDateLists(HWND dialog, bool shown) {
    for (int id : DateControls) ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE);
}

void setWritable(HWND edit, bool writable) {
    const bool readOnly = (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0;
    if (readOnly == writable) SendMessageA(edit, EM_SETREADONLY, !writable, 0);
}

void fillList(HWND dialog, int id, int first, int last, const char* format) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    char item[16];
    for (int v = first; v <= last; ++v) {
        snprintf(item, sizeof item, format, static_cast<long>(v));
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageA(list, CB_SETCURSEL, 0, 0);
}

int selection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void select(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
}

// The day list always holds the days of the month it is built for and
// starts again from the first.
void fillDays(HWND dialog, int days) { fillList(dialog, IDC_INFO_DAY, 1, days, "%02ld"); }

void applyView(HWND dialog, const DeviceInfoView& v) {
    showText(dialog, IDC_INFO_VERSION,
             v.versionEntry >= 0 ? LanguageTable[v.versionEntry] : v.version);
    enableEditing(dialog, v.controlsEnabled);
    showDateLists(dialog, v.dateListsShown);
    showText(dialog, IDC_INFO_REGISTRATION_EDIT, LanguageTable[v.registrationButtonEntry]);
    showText(dialog, IDC_INFO_DATE_EDIT, LanguageTable[v.dateButtonEntry]);
    setWritable(GetDlgItem(dialog, IDC_INFO_REGISTRATION), v.registrationWritable);
    if (v.emptyFields) {
        showText(dialog, IDC_INFO_REGISTRATION, "");
        showText(dialog, IDC_INFO_GAS_TIME, "");
        showText(dialog, IDC_INFO_DATE, "");
    }
    if (v.mode != InfoMode::Generation3) return;
    showText(dialog, IDC_INFO_GAS_TIME, v.timeOnGas);
    if (!v.dateListsShown) showText(dialog, IDC_INFO_DATE, v.date);
    if (!v.registrationWritable) showText(dialog, IDC_INFO_REGISTRATION, v.registration);
}

void onInit(HWND dialog) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    deviceInfoOpen({now.wYear, now.wMonth, now.wDay});
    centreOnRecordedScreen(dialog);
    // Taken once: the dialog keeps this interval even when the link changes it.
    SetTimer(dialog, DeviceInfoTimerId, static_cast<UINT>(PollInterval), nullptr);
    SendDlgItemMessageA(dialog, IDC_INFO_REGISTRATION, EM_LIMITTEXT, RegistrationLength, 0);
    SetDlgItemTextA(dialog, IDC_INFO_REGISTRATION, "");
    fillList(dialog, IDC_INFO_YEAR, FirstListYear, LastListYear, "%ld");
    fillList(dialog, IDC_INFO_MONTH, 1, ListMonths, "%02ld");
    fillDays(dialog, MaxDays);
    SetWindowTextA(dialog, LanguageTable[EntryDeviceInfoCaption]);
    for (const auto& t : ControlTexts) SetDlgItemTextA(dialog, t.control, LanguageTable[t.entry]);
}

void onDateButton(HWND dialog) {
    if (!dateEditing) {
        const DateArming a = armDateEdit();
        fillDays(dialog, a.dayCount);
        select(dialog, IDC_INFO_DAY, a.pick.dayIndex);
        select(dialog, IDC_INFO_MONTH, a.pick.monthIndex);
        select(dialog, IDC_INFO_YEAR, a.pick.yearIndex);
        return;
    }
    sendDateEdit({selection(dialog, IDC_INFO_YEAR), selection(dialog, IDC_INFO_MONTH),
                  selection(dialog, IDC_INFO_DAY)});
}

void onRegistrationButton(HWND dialog) {
    if (!registrationEditing) {
        armRegistrationEdit();
        return;
    }
    char text[RegistrationLength + 1] = "";
    GetDlgItemTextA(dialog, IDC_INFO_REGISTRATION, text, sizeof text);
    sendRegistrationEdit(text);
}

void onListChange(HWND dialog, int id) {
    const int month = selection(dialog, IDC_INFO_MONTH);
    // A new year changes only February's length.
    if (id == IDC_INFO_MONTH || (id == IDC_INFO_YEAR && month == 1))
        fillDays(dialog, monthLength(month, selection(dialog, IDC_INFO_YEAR)));
}

void close(HWND dialog, int result) {
    KillTimer(dialog, DeviceInfoTimerId);
    EndDialog(dialog, result);
    setServiceDialogOpen(false);
}

bool onCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDC_INFO_REGISTRATION_EDIT: onRegistrationButton(dialog); return true;
    case IDC_INFO_DATE_EDIT: onDateButton(dialog); return true;
    case IDC_INFO_GAS_TIME_CLEAR: clearTimeOnGas(); return true;
    case IDC_INFO_YEAR:
    case IDC_INFO_MONTH:
        if (code == CBN_SELCHANGE) onListChange(dialog, id);
        return true;
    case IDOK:
    case IDCANCEL: close(dialog, id); return true;
    }
    return false;
}

}  // namespace

INT_PTR CALLBACK deviceInfoDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: onInit(dialog); return TRUE;
    case WM_TIMER:
        if (wp == DeviceInfoTimerId) applyView(dialog, deviceInfoTick());
        return TRUE;
    case WM_COMMAND: return onCommand(dialog, LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    }
    return FALSE;
}

INT_PTR showDeviceInfoDialog(HWND owner) {
    return runModalDialog(owner, IDD_DEVICE_INFO, deviceInfoDialogProc, setServiceDialogOpen);
}
