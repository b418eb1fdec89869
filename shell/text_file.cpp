#include "shell/text_file.h"

#include <cctype>

#ifdef _WIN32
#include <windows.h>
#endif

long readWord(FILE* f, char* out, size_t cap) {
    int c;
    do {
        c = getc(f);
    } while (c != EOF && isspace(c));
    if (c == EOF) return -1;  // out keeps what it held
    long length = 0;
    size_t stored = 0;
    while (c != EOF && !isspace(c)) {
        if (stored + 1 < cap) out[stored++] = static_cast<char>(c);
        ++length;
        c = getc(f);
    }
    if (cap > 0) out[stored] = '\0';
    if (c != EOF) ungetc(c, f);
    return length;
}

bool replaceFile(const char* from, const char* to) {
#ifdef _WIN32
    // rename() refuses an existing target on Windows; this replaces it.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return rename(from, to) == 0;
#endif
}
