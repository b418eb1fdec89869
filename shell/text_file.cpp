#include "shell/text_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <fcntl.h>
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

namespace {

bool writeReplacing(const char* path, const char* mode, bool (*write)(FILE* f, const void* context),
                    const void* context) {
    char temp[1024];
    int n = snprintf(temp, sizeof temp, "%s.tmp", path);
    if (n < 0 || n >= static_cast<int>(sizeof temp)) return false;
    FILE* f = fopen(temp, mode);
    if (!f) return false;
    bool ok = write(f, context);
    ok = ok && fflush(f) == 0 && !ferror(f) && durableFileCalls.flushToDisk(f);
    ok = (fclose(f) == 0) && ok;
    if (ok) ok = durableFileCalls.replace(temp, path);
    if (!ok) remove(temp);
    return ok;
}

std::string withReason(const char* path, const char* reason) {
    return std::string(path) + ": " + reason;
}

}  // namespace

bool writeFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                        const void* context) {
    return writeReplacing(path, "w", write, context);
}

bool writeBinaryFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                              const void* context) {
    return writeReplacing(path, "wb", write, context);
}

#ifdef _WIN32
// A device name (COM1, CON) opens the device itself: only a file on a disk
// is read.
FILE* openInputFile(const char* path, long long maxBytes, std::string* error) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error =
            withReason(path, strerror(GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT));
        return nullptr;
    }
    LARGE_INTEGER size;
    const char* refusal = nullptr;
    if (GetFileType(h) != FILE_TYPE_DISK || (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY))
        refusal = "not a regular file";
    else if (!GetFileSizeEx(h, &size) || size.QuadPart > maxBytes)
        refusal = "too large for a file of this kind";
    const int fd = refusal ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY);
    FILE* f = fd >= 0 ? _fdopen(fd, "rb") : nullptr;
    if (!f) {
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(h);
        *error = withReason(path, refusal ? refusal : "cannot be read");
    }
    return f;
}
#else
// Opened without blocking, so a FIFO with no writer is refused, not waited on.
FILE* openInputFile(const char* path, long long maxBytes, std::string* error) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = withReason(path, strerror(errno));
        return nullptr;
    }
    struct stat st;
    const char* refusal = nullptr;
    if (fstat(fd, &st) != 0)
        refusal = strerror(errno);
    else if (S_ISDIR(st.st_mode))
        refusal = "a folder, not a file";
    else if (!S_ISREG(st.st_mode))
        refusal = "not a regular file";
    else if (st.st_size > maxBytes)
        refusal = "too large for a file of this kind";
    FILE* f = refusal ? nullptr : fdopen(fd, "rb");
    if (!f) {
        close(fd);
        *error = withReason(path, refusal ? refusal : strerror(errno));
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return f;
}
#endif

namespace {

std::string folderOf(const char* path) {
    const std::string p(path);
    const size_t slash = p.find_last_of(
#ifdef _WIN32
        "/\\:"
#else
        "/"
#endif
    );
    if (slash == std::string::npos) return ".";
    return slash == 0 ? p.substr(0, 1) : p.substr(0, slash);
}

// 0 when the file may be written, or a file made in the folder.
#ifdef _WIN32
int writable(const char* path, bool) { return _access(path, 2); }
bool isRegular(unsigned mode) { return (mode & _S_IFMT) == _S_IFREG; }
bool isFolder(unsigned mode) { return (mode & _S_IFMT) == _S_IFDIR; }
#else
int writable(const char* path, bool folder) { return access(path, folder ? W_OK | X_OK : W_OK); }
bool isRegular(unsigned mode) { return S_ISREG(mode); }
bool isFolder(unsigned mode) { return S_ISDIR(mode); }
#endif

}  // namespace

bool checkOutputPath(const char* path, std::string* error) {
    struct stat st;
    if (*path == '\0') return *error = "an empty file name", false;
    if (stat(path, &st) == 0) {
        if (isFolder(st.st_mode)) return *error = withReason(path, "a folder, not a file"), false;
        if (!isRegular(st.st_mode))
            return *error = withReason(path, "not a regular file; it is left as it is"), false;
        if (writable(path, false) != 0) return *error = withReason(path, strerror(errno)), false;
        return true;
    }
    if (errno != ENOENT) return *error = withReason(path, strerror(errno)), false;
    const std::string folder = folderOf(path);
    if (stat(folder.c_str(), &st) != 0 || !isFolder(st.st_mode))
        return *error = withReason(path, "no such folder"), false;
    if (writable(folder.c_str(), true) != 0)
        return *error = withReason(path, strerror(errno)), false;
    return true;
}

FILE* openOutputFile(const char* path, std::string* error) {
    if (!checkOutputPath(path, error)) return nullptr;
    FILE* f = fopen(path, "wb");
    if (!f) *error = withReason(path, strerror(errno));
    return f;
}

bool closeOutputFile(FILE* f, const char* path, std::string* error) {
    errno = 0;
    bool ok = fflush(f) == 0 && !ferror(f);
    int reason = errno;
    const long size = ftell(f);
    if (fclose(f) != 0 && ok) ok = false, reason = errno;
    if (ok) return true;
    *error = withReason(path, reason ? strerror(reason) : "could not be written");
#ifndef _WIN32
    struct stat st;
    // Only the file itself: a symlink to it stays.
    if (size == 0 && lstat(path, &st) == 0 && S_ISREG(st.st_mode)) remove(path);
#else
    if (size == 0) remove(path);
#endif
    return false;
}

bool readTextFile(const char* path, long long maxBytes, std::string* text, std::string* error) {
    FILE* f = openInputFile(path, maxBytes, error);
    if (!f) return false;
    text->clear();
    char chunk[4096];
    size_t n;
    // The size was checked at the open; a file that grows past it is cut
    // off there instead of read without end.
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0 &&
           static_cast<long long>(text->size()) <= maxBytes)
        text->append(chunk, n);
    const bool readOk = !ferror(f) && static_cast<long long>(text->size()) <= maxBytes;
    fclose(f);
    if (readOk && text->find('\0') == std::string::npos) return true;
    *error = std::string(path) + (readOk ? ": not a text file" : ": could not be read");
    return false;
}
