#include "shell/app_settings.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/link.h"
#include "shell/app_state.h"
#include "shell/text_file.h"

const char* const AppSettingsFileName = "ZuvelS.ini";

namespace {

const int HighestPort = 256;  // the port table's last entry

// A real ZuvelS.ini has three short lines; a larger file is not one.
const long long MaxAppSettingsBytes = 64 * 1024;

// Reads the port number after "CommPort=". False when no integer can be
// read there; a number too long for the width counts as out of range.
bool readPortNumber(FILE* f, int* port) {
    int value = 0;
    if (fscanf(f, "%9d", &value) != 1) return false;
    int c = getc(f);
    if (c != EOF && isdigit(c)) {
        while (c != EOF && isdigit(c)) c = getc(f);
        value = -1;
    }
    if (c != EOF) ungetc(c, f);
    *port = value;
    return true;
}

bool writeLines(FILE* f, const void*) {
    return fprintf(f, "%s\n", "[Ustawienia]") >= 0 &&
           fprintf(f, "%s %d\n", "CommPort=", CommPort) >= 0 &&
           fprintf(f, "%s %s\n", "Language=", activeLanguage) >= 0;
}

}  // namespace

void readAppSettings(const char* path) {
    std::string error;
    FILE* f = openInputTextFile(path, MaxAppSettingsBytes, &error);
    if (!f) {
        selectPort(portTablePath(1), 1);
        snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "pol");
        writeAppSettings(path);
        return;
    }
    // Only the positions count: section word, "CommPort=" and its number,
    // "Language=" and the code. Every word goes through the code buffer, so
    // a short file leaves the last word read there.
    char* code = appState().activeLanguage;
    const size_t cap = sizeof activeLanguage;
    readWord(f, code, cap);
    readWord(f, code, cap);
    int port = 0;
    if (!readPortNumber(f, &port) || port < 0 || port > HighestPort) port = 0;
    readWord(f, code, cap);
    readWord(f, code, cap);
    fclose(f);
    selectPort(portTablePath(port), port);
}

namespace {
void (*unwritableHandler)(const char* path) = nullptr;
}

void setAppSettingsUnwritableHandler(void (*handler)(const char* path)) {
    unwritableHandler = handler;
}

bool writeAppSettings(const char* path) {
    // Callers report nothing on failure: the next change tries again, and
    // the hook tells the user.
    if (writeFileReplacing(path, writeLines, nullptr)) return true;
    if (unwritableHandler) unwritableHandler(path);
    return false;
}
