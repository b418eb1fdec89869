// Every text the program hands to Windows goes through here, as UTF-16:
// language texts as decoded when the language was loaded, texts built in
// code (numbers, formats, port names) as ASCII. Nothing is left to the
// system's ANSI code page, which need not be the language's.
#ifndef ZUVELS_SHELL_TEXT_WIN_H
#define ZUVELS_SHELL_TEXT_WIN_H

#include <string>
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

inline const wchar_t* wideText(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline const wchar_t* wideText(const std::u16string& text) { return wideText(text.c_str()); }

// Language entry k as shown; the empty text for numbers outside the table.
const wchar_t* entryText(int entry);
// A text built in code, in ASCII.
std::wstring asciiWide(const char* text);
// Bytes in the system's code page: what the user typed into an ANSI read
// of a control and sent to the controller as it was, or a path or message
// the C library gave.
std::wstring systemText(const char* bytes);

// A window's or control's text (a caption for a top-level window or
// dialog); left alone when it already reads so, since refreshes run on
// every tick and setting the same text again only makes it flicker.
void setText(HWND window, const wchar_t* text);
void setText(HWND window, const char* ascii);
void setEntryText(HWND window, int entry);
void setItemText(HWND dialog, int control, const wchar_t* text);
void setItemText(HWND dialog, int control, const char* ascii);
void setItemEntryText(HWND dialog, int control, int entry);

// Appends an item to a combo box.
void addListItem(HWND list, const wchar_t* text);
void addListItem(HWND list, const char* ascii);

// A menu item's label, by command.
void setMenuItemText(HMENU menu, int command, const char* ascii);

// The system's message box.
int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Text drawn at (x, y) with ExtTextOutW's options and rectangle.
void drawText(HDC dc, int x, int y, UINT options, const RECT* rect, const wchar_t* text, int n);
void drawText(HDC dc, int x, int y, UINT options, const RECT* rect, const char* ascii, int n);

#endif
