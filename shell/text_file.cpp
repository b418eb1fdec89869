#include "shell/text_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
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

namespace {

#ifdef _WIN32
bool systemFlushToDisk(FILE* f) {
    if (fflush(f) != 0) return false;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

bool systemReplace(const char* from, const char* to) {
    // rename() refuses an existing target on Windows; this replaces it and
    // returns only once the change is on the disk.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
bool systemFlushToDisk(FILE* f) { return fflush(f) == 0 && fsync(fileno(f)) == 0; }

// The rename is on the disk once the folder that holds both names is.
bool systemReplace(const char* from, const char* to) {
    if (rename(from, to) != 0) return false;
    std::string folder(to);
    const size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY);
    if (fd < 0) return true;  // replaced all the same
    fsync(fd);
    close(fd);
    return true;
}
#endif

}  // namespace

const DurableFileCalls SystemDurableFileCalls = {systemFlushToDisk, systemReplace};
DurableFileCalls durableFileCalls = SystemDurableFileCalls;

bool writeFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                        const void* context) {
    char temp[1024];
    int n = snprintf(temp, sizeof temp, "%s.tmp", path);
    if (n < 0 || n >= static_cast<int>(sizeof temp)) return false;
    FILE* f = fopen(temp, "w");
    if (!f) return false;
    bool ok = write(f, context);
    ok = ok && fflush(f) == 0 && !ferror(f) && durableFileCalls.flushToDisk(f);
    ok = (fclose(f) == 0) && ok;
    if (ok) ok = durableFileCalls.replace(temp, path);
    if (!ok) remove(temp);
    return ok;
}

bool readTextFile(const char* path, std::string* text, std::string* error) {
    FILE* f = fopen(path, "rb");
    if (!f) {
        *error = std::string(path) + ": " + strerror(errno);
        return false;
    }
    text->clear();
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text->append(chunk, n);
    const bool readOk = !ferror(f);
    fclose(f);
    if (readOk && text->find('\0') == std::string::npos) return true;
    *error = std::string(path) + (readOk ? ": not a text file" : ": could not be read");
    return false;
}
