// The code pages the language files are written in, and their decoding to
// UTF-16. Portable: the texts must read the same whatever code page the
// system runs under, so the tables are the program's own.
#ifndef ZUVELS_SHELL_CODE_PAGE_H
#define ZUVELS_SHELL_CODE_PAGE_H

#include <cstddef>
#include <string>

enum class CodePage { Central1250, Cyrillic1251, Western1252 };

// The code page a language's file is written in (shell/language_list.h);
// the first language's, Central European, for any code not known.
CodePage codePageForLanguage(const char* code);

// One byte as the character it stands for. Bytes the code page leaves
// undefined come back as the control character of the same value, as
// Windows' own conversion gives them.
char16_t decodeByte(CodePage cp, unsigned char byte);

// Decodes the terminated bytes into out, at most cap - 1 characters and a
// terminator (every byte is one UTF-16 unit in these code pages).
void decodeText(const char* bytes, CodePage cp, char16_t* out, size_t cap);
std::u16string decodeText(const char* bytes, CodePage cp);

// Texts built in code (numbers, formats, port names, units): ASCII and the
// degree sign, read as Western European; the same bytes in all three.
std::u16string asciiText(const char* text);

#endif
