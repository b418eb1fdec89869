#include "shell/language.h"

char LanguageTable[LanguageEntries][LanguageTextSize];

void loadLanguageStream(FILE* f) {
    // Line k's text is what follows its last '='; lines without one keep
    // the entry. The line index stops counting at the table's end so a
    // huge file can't overflow it; those lines are read and dropped.
    int line = 0;
    bool copying = false;
    size_t length = 0;
    int c;
    while ((c = getc(f)) != EOF) {
        if (c == '\n') {
            if (line < LanguageEntries) ++line;
            copying = false;
        } else if (c == '=') {
            if (line < LanguageEntries) LanguageTable[line][0] = '\0';
            length = 0;
            copying = true;
        } else if (copying && line < LanguageEntries && length < LanguageTextSize - 1) {
            LanguageTable[line][length++] = static_cast<char>(c);
            LanguageTable[line][length] = '\0';
        }
    }
}

bool loadLanguageFile(const char* path) {
    FILE* f = fopen(path, "r");
    if (!f) return false;
    loadLanguageStream(f);
    fclose(f);
    return true;
}
