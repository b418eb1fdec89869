// The language table and its loader. Portable.
#ifndef ZUVELS_SHELL_LANGUAGE_H
#define ZUVELS_SHELL_LANGUAGE_H

#include <cstdio>

#include "shell/code_page.h"
#include "shell/language_entries.h"

enum { LanguageTextSize = 128 };
// Entry k as the file has it, in its language's code page.
extern const char (&LanguageTable)[LanguageEntries][LanguageTextSize];
// The same entries as the program shows them: decoded once, when loaded,
// from the code page of the language they were loaded with.
extern const char16_t (&LanguageText)[LanguageEntries][LanguageTextSize];
// Both tables, writable: the loaders below (and tests setting up a case).
struct LanguageTables {
    char LanguageTable[LanguageEntries][LanguageTextSize];
    char16_t LanguageText[LanguageEntries][LanguageTextSize];
};
LanguageTables& languageTables();

// Reads a language file over the table: line k's text after its last '='
// replaces entry k; lines without '=' keep the entry (in both tables, so a
// text kept from an earlier language still reads in that language's code
// page). False when the file can't be opened, isn't a regular file or is far
// larger than a language file can be (the table is then unchanged).
bool loadLanguageFile(const char* path, CodePage cp);
void loadLanguageStream(FILE* f, CodePage cp);

// Sets entry k from bytes in code page cp, as a loaded line would.
void setLanguageEntry(int entry, const char* bytes, CodePage cp = CodePage::Western1252);

#endif
