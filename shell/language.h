// The language table and its loader. Portable.
#ifndef ZUVELS_SHELL_LANGUAGE_H
#define ZUVELS_SHELL_LANGUAGE_H

#include <cstdio>

#include "shell/language_entries.h"

enum { LanguageEntries = 216, LanguageTextSize = 128 };
extern char LanguageTable[LanguageEntries][LanguageTextSize];

// Reads a language file over the table: line k's text after its last '='
// replaces entry k; lines without '=' keep the entry. False when the file
// can't be opened (the table is then unchanged).
bool loadLanguageFile(const char* path);
void loadLanguageStream(FILE* f);

#endif
