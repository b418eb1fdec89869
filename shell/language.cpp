#include "shell/language.h"

#include <cstring>
#include <string>

#include "shell/text_file.h"

namespace {

// A language file holds at most LanguageEntries lines of LanguageTextSize
// bytes (about 27 KB; ours are under 5 KB); this is well above any of them.
const long long MaxLanguageFileBytes = 1024 * 1024;

}  // namespace

char LanguageTable[LanguageEntries][LanguageTextSize];
char16_t LanguageText[LanguageEntries][LanguageTextSize];

void loadLanguageStream(FILE* f, CodePage cp) {
    // Line k's text is what follows its last '='; lines without one keep
    // the entry. The line index stops counting at the table's end so a
    // huge file can't overflow it; those lines are read and dropped.
    bool replaced[LanguageEntries] = {};
    int line = 0;
    bool copying = false;
    size_t length = 0;
    int c;
    while ((c = getc(f)) != EOF) {
        if (c == '\n') {
            if (line < LanguageEntries) ++line;
            copying = false;
        } else if (c == '=') {
            if (line < LanguageEntries) {
                LanguageTable[line][0] = '\0';
                replaced[line] = true;
            }
            length = 0;
            copying = true;
        } else if (copying && line < LanguageEntries && length < LanguageTextSize - 1) {
            LanguageTable[line][length++] = static_cast<char>(c);
            LanguageTable[line][length] = '\0';
        }
    }
    for (int k = 0; k < LanguageEntries; ++k)
        if (replaced[k]) decodeText(LanguageTable[k], cp, LanguageText[k], LanguageTextSize);
}

bool loadLanguageFile(const char* path, CodePage cp) {
    std::string error;
    FILE* f = openInputTextFile(path, MaxLanguageFileBytes, &error);
    if (!f) return false;
    loadLanguageStream(f, cp);
    fclose(f);
    return true;
}

void setLanguageEntry(int entry, const char* bytes, CodePage cp) {
    if (entry < 0 || entry >= LanguageEntries) return;
    snprintf(LanguageTable[entry], LanguageTextSize, "%s", bytes ? bytes : "");
    decodeText(LanguageTable[entry], cp, LanguageText[entry], LanguageTextSize);
}
