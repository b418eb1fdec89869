// Network dialog: the address of a network serial port (HOST:PORT), its kind
// and the addresses used last. What it accepts and keeps is decided in
// shell/network_choice.cpp; the port is used once the dialog has closed.
#include <string>
#include <windows.h>

#include "link/link.h"
#include "link/utf16.h"
#include "res/resource.h"
#include "service/dialogs_win.h"
#include "shell/drives_win.h"
#include "shell/language.h"
#include "shell/network_choice.h"
#include "shell/text_win.h"

namespace {

// The port name chosen by the last Connect, for showNetworkDialog.
std::string chosenPortText;

std::string typedAddress(HWND dialog) {
    wchar_t text[300] = L"";
    GetDlgItemTextW(dialog, IDC_NET_ADDRESS, text, 300);
    std::string utf8;
    std::string error;
    utf16ToUtf8(reinterpret_cast<const char16_t*>(text), &utf8, &error);
    return utf8;
}

NetworkKind chosenKind(HWND dialog) {
    return IsDlgButtonChecked(dialog, IDC_NET_RAW_TCP) == BST_CHECKED ? NetworkKind::RawTcp
                                                                      : NetworkKind::Rfc2217;
}

// Fills the address and the kind from a whole port name.
void showPortText(HWND dialog, const std::string& portText) {
    std::string address;
    NetworkKind kind = NetworkKind::Rfc2217;
    if (!splitNetworkPortText(portText, &address, &kind)) return;
    setItemText(dialog, IDC_NET_ADDRESS, address.c_str());
    CheckRadioButton(dialog, IDC_NET_RFC2217, IDC_NET_RAW_TCP,
                     kind == NetworkKind::RawTcp ? IDC_NET_RAW_TCP : IDC_NET_RFC2217);
}

void onInit(HWND dialog) {
    centreOnRecordedScreen(dialog);
    setEntryText(dialog, EntryNetworkCaption);
    setItemEntryText(dialog, IDC_NET_ADDRESS_LABEL, EntryNetworkAddressLabel);
    setItemEntryText(dialog, IDC_NET_RFC2217, EntryNetworkRfc2217);
    setItemEntryText(dialog, IDC_NET_RAW_TCP, EntryNetworkRawTcp);
    setItemEntryText(dialog, IDC_NET_RECENT_LABEL, EntryNetworkRecentLabel);
    setItemEntryText(dialog, IDOK, EntryNetworkConnect);
    setItemEntryText(dialog, IDCANCEL, EntryNetworkCancel);
    CheckRadioButton(dialog, IDC_NET_RFC2217, IDC_NET_RAW_TCP, IDC_NET_RFC2217);
    SendDlgItemMessageW(dialog, IDC_NET_ADDRESS, EM_LIMITTEXT, 255, 0);

    const RecentAddresses recent = loadRecentAddresses(RecentAddressesFileName);
    HWND list = GetDlgItem(dialog, IDC_NET_RECENT);
    for (const std::string& port : recent.ports) addListItem(list, port.c_str());
    EnableWindow(list, !recent.ports.empty());
    // The port in use, or else the one used last, to change or confirm.
    if (LinkPort == &netPortOps)
        showPortText(dialog, SelectedPortPath);
    else if (!recent.ports.empty())
        showPortText(dialog, recent.ports.front());
    if (!recent.ports.empty()) SendMessageW(list, CB_SETCURSEL, 0, 0);
}

void onRecentChosen(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_NET_RECENT);
    const LRESULT i = SendMessageW(list, CB_GETCURSEL, 0, 0);
    const RecentAddresses recent = loadRecentAddresses(RecentAddressesFileName);
    if (i >= 0 && size_t(i) < recent.ports.size()) showPortText(dialog, recent.ports[size_t(i)]);
}

void onConnect(HWND dialog) {
    std::string portText;
    if (networkPortText(typedAddress(dialog), chosenKind(dialog), &portText) !=
        AddressProblem::None) {
        driveSeams.messageBox(dialog, entryText(EntryNetworkBadAddress),
                              entryText(EntryNetworkCaption), MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_NET_ADDRESS));
        return;
    }
    chosenPortText = portText;
    EndDialog(dialog, IDOK);
}

void noPause(bool) {}

}  // namespace

INT_PTR CALLBACK networkDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: onInit(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: onConnect(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_NET_RECENT:
            if (HIWORD(wp) == CBN_SELCHANGE) onRecentChosen(dialog);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR showNetworkDialog(HWND owner) {
    chosenPortText.clear();
    // The pages keep polling behind it: nothing here talks to the port.
    const INT_PTR result = runModalDialog(owner, IDD_NETWORK, networkDialogProc, noPause);
    if (result == IDOK && !chosenPortText.empty()) useNetworkPort(chosenPortText);
    return result;
}
