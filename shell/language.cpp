#include "shell/language.h"

#include <cstring>
#include <string>

#include "shell/text_file.h"

namespace {

// A language file holds at most LanguageEntries lines of LanguageTextSize
// bytes (about 27 KB; ours are under 5 KB); this is well above any of them.
const long long MaxLanguageFileBytes = 1024 * 1024;

}  // namespace

namespace {
LanguageTables tables;
}

// The English file's own texts of the appended entries; a unit test holds
// them to Lang/ZuvelS_lang.ang.
const char* const AppendedEnglishTexts[AppendedEntryCount] = {
    "Network port",
    "Address (HOST:PORT):",
    "RFC 2217 (serial port server)",
    "Raw TCP",
    "Recently used:",
    "Connect",
    "Cancel",
    "Give the address as HOST:PORT, for example 192.168.1.20:2217 (port 1 to 65535).",
    "Record drive",
    "Recording stopped",
    "The recording could not be written (disk full, drive removed or file read-only). It keeps "
    "every frame written so far:",
    "The recording file cannot be created:",
    "The recording reached the largest size a replay reads and was ended:",
    "Replay drive",
    "This file cannot be played back:",
    "Road-test picture: recording or road-test CSV",
    "Save the road-test picture (PNG)",
    "The picture could not be made:",
    "Settings not confirmed",
    "The controller reads back a value other than the one written:",
    "Key:",
    "Written:",
    "Read back:",
    "The settings were sent, but the controller did not answer when they were read back to check "
    "them.",
    "REC",
    "Replay:",
    "Road-test picture",
};

LanguageTables& languageTables() { return tables; }
const char (&LanguageTable)[LanguageEntries][LanguageTextSize] = tables.LanguageTable;
const char16_t (&LanguageText)[LanguageEntries][LanguageTextSize] = tables.LanguageText;

void loadLanguageStream(FILE* f, CodePage cp) {
    // Line k's text is what follows its last '='; lines without one keep
    // the entry. The line index stops counting at the table's end so a
    // huge file can't overflow it; those lines are read and dropped.
    for (int k = 0; k < AppendedEntryCount; ++k)
        setLanguageEntry(FirstAppendedEntry + k, AppendedEnglishTexts[k]);
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
                languageTables().LanguageTable[line][0] = '\0';
                replaced[line] = true;
            }
            length = 0;
            copying = true;
        } else if (copying && line < LanguageEntries && length < LanguageTextSize - 1) {
            languageTables().LanguageTable[line][length++] = static_cast<char>(c);
            languageTables().LanguageTable[line][length] = '\0';
        }
    }
    for (int k = 0; k < LanguageEntries; ++k)
        if (replaced[k])
            decodeText(languageTables().LanguageTable[k], cp, languageTables().LanguageText[k],
                       LanguageTextSize);
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
    snprintf(languageTables().LanguageTable[entry], LanguageTextSize, "%s", bytes ? bytes : "");
    decodeText(languageTables().LanguageTable[entry], cp, languageTables().LanguageText[entry],
               LanguageTextSize);
}
