#include "shell/text_win.h"

#include <cstring>

#include "shell/language.h"

const wchar_t* entryText(int entry) {
    if (entry < 0 || entry >= LanguageEntries) return L"";
    return wideText(LanguageText[entry]);
}

std::wstring asciiWide(const char* text) {
    const std::u16string wide = asciiText(text);
    return std::wstring(wideText(wide), wide.size());
}

std::wstring systemText(const char* bytes) {
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, -1, &text[0], n);
    text.resize(static_cast<size_t>(n - 1));
    return text;
}

void setText(HWND window, const wchar_t* text) {
    if (!window) return;
    // One more than any text the program sets, so a longer one differs.
    wchar_t now[2 * LanguageTextSize + 16] = L"";
    GetWindowTextW(window, now, static_cast<int>(sizeof now / sizeof now[0]));
    if (wcscmp(now, text) != 0) SetWindowTextW(window, text);
}

void setText(HWND window, const char* ascii) { setText(window, asciiWide(ascii).c_str()); }
void setEntryText(HWND window, int entry) { setText(window, entryText(entry)); }

void setItemText(HWND dialog, int control, const wchar_t* text) {
    setText(GetDlgItem(dialog, control), text);
}
void setItemText(HWND dialog, int control, const char* ascii) {
    setText(GetDlgItem(dialog, control), ascii);
}
void setItemEntryText(HWND dialog, int control, int entry) {
    setText(GetDlgItem(dialog, control), entryText(entry));
}

void addListItem(HWND list, const wchar_t* text) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
void addListItem(HWND list, const char* ascii) { addListItem(list, asciiWide(ascii).c_str()); }

void setMenuItemText(HMENU menu, int command, const char* ascii) {
    std::wstring label = asciiWide(ascii);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = &label[0];
    SetMenuItemInfoW(menu, static_cast<UINT>(command), FALSE, &info);
}

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}

void drawText(HDC dc, int x, int y, UINT options, const RECT* rect, const wchar_t* text, int n) {
    ExtTextOutW(dc, x, y, options, rect, text, static_cast<UINT>(n), nullptr);
}
void drawText(HDC dc, int x, int y, UINT options, const RECT* rect, const char* ascii, int n) {
    const std::wstring wide = asciiWide(ascii);
    const int shown = n < static_cast<int>(wide.size()) ? n : static_cast<int>(wide.size());
    drawText(dc, x, y, options, rect, wide.c_str(), shown);
}
