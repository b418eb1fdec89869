// Paths at the Win32 edge: the program keeps a path as UTF-8 and every file
// call is the wide one, so a folder named in any language is reached
// whatever the system's ANSI code page. Use widePath for a name handed to a
// file call (CreateFileW, _wfopen, MoveFileExW, ...) and utf8Path for a name
// the system gives back (GetModuleFileNameW, a file dialog, FindFirstFileW).
#ifndef ZUVELS_LINK_WIDE_PATH_WIN_H
#define ZUVELS_LINK_WIDE_PATH_WIN_H

#include <cstdio>
#include <string>
#include <windows.h>

#include "link/utf16.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

// The wide name of a UTF-8 path, long-path prefixed where it needs it. A
// path that is not UTF-8 gives the empty name, which every file call
// refuses as not found; widePath with *error says why.
std::wstring widePath(const char* utf8);
std::wstring widePath(const char* utf8, std::string* error);

// The UTF-8 text of a name the system gave; a lone surrogate makes it empty
// (no file call would find the name again through UTF-8).
std::string utf8Path(const wchar_t* wide);
std::string utf8Path(const wchar_t* wide, size_t units);

// A UTF-8 text naming a path (a message with a file's name) as UTF-16 to
// show; bytes that are not UTF-8 are read in the system's code page.
std::wstring utf8Text(const char* utf8);

// The program's own file (GetModuleFileNameW), of any length; "" when the
// system can't tell.
std::string modulePath();
// The folder holding the program's own file, with its '\'; "" likewise.
std::string moduleFolder();
// The current folder as UTF-8; "" when it has no UTF-8 name.
std::string currentFolder();
bool setCurrentFolder(const char* utf8);

// The whole folder (GetFullPathNameW) of the file a UTF-8 path names, to
// show; empty when the system can't tell.
std::wstring fullFolderOf(const char* utf8);

// _wfopen of a UTF-8 path with an ASCII mode.
FILE* openFile(const char* utf8, const char* mode);

#endif
