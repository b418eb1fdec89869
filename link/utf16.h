// Names as the program keeps them (UTF-8) and as Windows' wide calls take
// them (UTF-16). Portable, so the conversion is tested where it is fast;
// link/wide_path_win.h hands the results to the system.
#ifndef ZUVELS_LINK_UTF16_H
#define ZUVELS_LINK_UTF16_H

#include <string>

// UTF-8 to UTF-16. Bytes that are not UTF-8 (a stray byte, a character cut
// short, an overlong form, an encoded surrogate, past U+10FFFF) are refused:
// false with one line in *error naming the byte's offset.
bool utf8ToUtf16(const std::string& utf8, std::u16string* out, std::string* error);

// UTF-16 to UTF-8. A lone surrogate (which a Windows file name may hold) has
// no UTF-8 form: false with one line in *error.
bool utf16ToUtf8(const std::u16string& utf16, std::string* out, std::string* error);

// The longest path the plain wide calls take (MAX_PATH without its
// terminator, less room for the ".tmp" of a safe save); a longer absolute
// path is handed over as "\\?\C:\..." or "\\?\UNC\server\...", which
// reaches some 32767 units.
enum { PlainPathUnits = 259 - 4, LongPathUnits = 32767 };

// The name a wide file call takes for a UTF-8 path: UTF-16, and past
// PlainPathUnits an absolute path gets the long-path prefix, its '/' made
// '\' (the prefix turns off the system's own reading of the path, so a
// path with "." or ".." parts is left plain). False with one line when the
// path is not UTF-8 or too long even so.
bool windowsFileName(const std::string& utf8, std::u16string* out, std::string* error);

#endif
