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
        if (++length == MaxWordLength) break;
        c = getc(f);
    }
    if (cap > 0) out[stored] = '\0';
    if (c != EOF && length < MaxWordLength) ungetc(c, f);
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

std::string withReason(const std::string& path, const char* reason) { return path + ": " + reason; }

// Sets errno and *error (when given) and returns false.
bool refuse(const std::string& path, int code, const char* reason, std::string* error) {
    if (error) *error = withReason(path, reason ? reason : strerror(code));
    errno = code;
    return false;
}

// Where path's name starts: after its last folder separator.
size_t nameStart(const std::string& path) {
#ifdef _WIN32
    const size_t slash = path.find_last_of("/\\:");
#else
    const size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? 0 : slash + 1;
}

// The temporary file beside target: "<name>.tmp", with the name cut short
// (at a character's start) where the longer name would exceed what a folder
// entry may hold.
std::string temporaryNameFor(const std::string& target) {
    const size_t MaxNameBytes = 255, Suffix = 4;
    const size_t start = nameStart(target);
    size_t cut = target.size() - start;
    if (cut + Suffix > MaxNameBytes) {
        cut = MaxNameBytes - Suffix;
        while (cut > 0 && (static_cast<unsigned char>(target[start + cut]) & 0xC0) == 0x80) --cut;
    }
    return target.substr(0, start + cut) + ".tmp";
}

struct Target {
    std::string path;  // the file itself, past any symlinks
    bool exists;
    struct stat st;
};

#ifdef _WIN32
bool findTarget(const char* path, Target* t) {
    t->path = path;
    t->exists = stat(path, &t->st) == 0;
    return true;
}

FILE* openTemporary(const std::string& temp, const Target&, const char* mode) {
    return fopen(temp.c_str(), mode);
}
#else
const int MaxLinkHops = 40;  // the system's own limit for a path

// Follows path's symlinks to the file they name (which need not exist yet).
bool findTarget(const char* path, Target* t) {
    t->path = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        if (lstat(t->path.c_str(), &t->st) != 0 || !S_ISLNK(t->st.st_mode)) {
            t->exists = stat(t->path.c_str(), &t->st) == 0;
            return true;
        }
        // One byte more than the link holds tells a link changed meanwhile.
        std::string link(static_cast<size_t>(t->st.st_size) + 1, '\0');
        const ssize_t n = readlink(t->path.c_str(), &link[0], link.size());
        if (n < 0) return false;
        if (static_cast<size_t>(n) == link.size()) return errno = EAGAIN, false;
        link.resize(static_cast<size_t>(n));
        t->path = link[0] == '/' ? link : t->path.substr(0, nameStart(t->path)) + link;
    }
    errno = ELOOP;
    return false;
}

// The temporary file, never through a symlink nor onto anything but a
// regular file; it takes the target's mode and owner.
FILE* openTemporary(const std::string& temp, const Target& t, const char* mode) {
    const int fd =
        open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    if (t.exists) {
        // Best effort: the bytes matter more than a mode the file system
        // may not keep, and only the owner's own groups are allowed.
        if (st.st_uid != t.st.st_uid || st.st_gid != t.st.st_gid)
            (void)!fchown(fd, t.st.st_uid, t.st.st_gid);
        (void)!fchmod(fd, t.st.st_mode & 07777);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* f = fdopen(fd, mode);
    if (!f) close(fd);
    return f;
}
#endif

#ifdef _WIN32
bool isRegular(unsigned mode) { return (mode & _S_IFMT) == _S_IFREG; }
bool isFolder(unsigned mode) { return (mode & _S_IFMT) == _S_IFDIR; }
#else
bool isRegular(unsigned mode) { return S_ISREG(mode); }
bool isFolder(unsigned mode) { return S_ISDIR(mode); }
#endif

// errno after a failed step, or EIO when the step left none.
int reasonOr(int code) { return errno ? errno : code; }

// Fills the temporary file and puts it in the target's place: 0, or the
// system's reason.
int writeTemporary(const Target& t, const char* mode, bool (*write)(FILE* f, const void* context),
                   const void* context) {
    const std::string temp = temporaryNameFor(t.path);
    errno = 0;
    FILE* f = openTemporary(temp, t, mode);
    if (!f) return reasonOr(EIO);
    errno = 0;
    bool ok = write(f, context) && fflush(f) == 0 && !ferror(f) && durableFileCalls.flushToDisk(f);
    int reason = ok ? 0 : reasonOr(EIO);
    if (fclose(f) != 0 && ok) ok = false, reason = reasonOr(EIO);
    if (ok && !durableFileCalls.replace(temp.c_str(), t.path.c_str()))
        ok = false, reason = reasonOr(EIO);
    if (!ok) remove(temp.c_str());
    return reason;
}

bool writeReplacing(const char* path, const char* mode, bool (*write)(FILE* f, const void* context),
                    const void* context, std::string* error) {
    Target t;
    errno = 0;
    if (!findTarget(path, &t)) return refuse(path, reasonOr(EIO), nullptr, error);
    if (t.exists && isFolder(t.st.st_mode))
        return refuse(path, EISDIR, "a folder, not a file", error);
    if (t.exists && !isRegular(t.st.st_mode))
        return refuse(path, EINVAL, "not a regular file; it is left as it is", error);
    const int reason = writeTemporary(t, mode, write, context);
    return reason == 0 || refuse(path, reason, nullptr, error);
}

}  // namespace

bool writeFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                        const void* context, std::string* error) {
    return writeReplacing(path, "w", write, context, error);
}

bool writeBinaryFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                              const void* context, std::string* error) {
    return writeReplacing(path, "wb", write, context, error);
}

namespace {

// Why a file found at path can't be read as one of at most maxBytes;
// nullptr when it can.
const char* inputRefusal(unsigned mode, long long size, long long maxBytes, char* text,
                         size_t cap) {
    if (isFolder(mode)) return "a folder, not a file";
    if (!isRegular(mode)) return "not a regular file";
    if (size <= maxBytes) return nullptr;
    snprintf(text, cap, "too large for a file of this kind (%lld bytes; at most %lld)", size,
             maxBytes);
    return text;
}

}  // namespace

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
    char text[96];
    const char* refusal = nullptr;
    if (GetFileType(h) != FILE_TYPE_DISK || (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY))
        refusal = "not a regular file";
    else if (!GetFileSizeEx(h, &size))
        refusal = "cannot be read";
    else
        refusal = inputRefusal(_S_IFREG, size.QuadPart, maxBytes, text, sizeof text);
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

FILE* openInputTextFile(const char* path, long long maxBytes, std::string* error) {
    FILE* f = openInputFile(path, maxBytes, error);
    if (f) _setmode(_fileno(f), _O_TEXT);
    return f;
}
#else
// Looked at before it is opened, so a device is never opened (a serial
// port would see its lines change); opened without blocking, so a FIFO put
// in its place meanwhile is refused, not waited on.
FILE* openInputFile(const char* path, long long maxBytes, std::string* error) {
    struct stat st;
    char text[96];
    const char* refusal = nullptr;
    if (stat(path, &st) != 0) return *error = withReason(path, strerror(errno)), nullptr;
    if ((refusal = inputRefusal(st.st_mode, st.st_size, maxBytes, text, sizeof text)))
        return *error = withReason(path, refusal), nullptr;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return *error = withReason(path, strerror(errno)), nullptr;
    if (fstat(fd, &st) != 0)
        refusal = strerror(errno);
    else
        refusal = inputRefusal(st.st_mode, st.st_size, maxBytes, text, sizeof text);
    FILE* f = refusal ? nullptr : fdopen(fd, "rb");
    if (!f) {
        if (!refusal) refusal = strerror(errno);
        close(fd);
        *error = withReason(path, refusal);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return f;
}

FILE* openInputTextFile(const char* path, long long maxBytes, std::string* error) {
    return openInputFile(path, maxBytes, error);
}
#endif

namespace {

std::string folderOf(const char* path) {
    const std::string p(path);
    const size_t start = nameStart(p);
    if (start == 0) return ".";
    return start == 1 ? p.substr(0, 1) : p.substr(0, start - 1);
}

// 0 when the file may be written, or a file made in the folder.
#ifdef _WIN32
int writable(const char* path, bool) { return _access(path, 2); }
#else
int writable(const char* path, bool folder) { return access(path, folder ? W_OK | X_OK : W_OK); }
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

#ifdef _WIN32
FILE* openOutputFile(const char* path, std::string* error) {
    if (!checkOutputPath(path, error)) return nullptr;
    FILE* f = fopen(path, "wb");
    if (!f) *error = withReason(path, strerror(errno));
    return f;
}
#else
// Opened without truncating until it is known to be a regular file: a FIFO
// or device put there after the check is neither waited on nor written.
FILE* openOutputFile(const char* path, std::string* error) {
    if (!checkOutputPath(path, error)) return nullptr;
    const int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return *error = withReason(path, strerror(errno)), nullptr;
    struct stat st;
    const char* refusal = nullptr;
    if (fstat(fd, &st) != 0)
        refusal = strerror(errno);
    else if (!S_ISREG(st.st_mode))
        refusal = "not a regular file; it is left as it is";
    else if (ftruncate(fd, 0) != 0)
        refusal = strerror(errno);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* f = refusal ? nullptr : fdopen(fd, "wb");
    if (!f) {
        if (!refusal) refusal = strerror(errno);
        close(fd);
        *error = withReason(path, refusal);
    }
    return f;
}
#endif

int streamFailure(FILE* f) {
    errno = 0;
    if (fflush(f) == 0 && !ferror(f)) return 0;
    if (errno) return errno;
    // The C library keeps bytes it couldn't write: a second try tells why.
    clearerr(f);
    const int again = fflush(f) == 0 ? 0 : errno;
    return again ? again : -1;
}

bool closeOutputFile(FILE* f, const char* path, std::string* error) {
    int reason = streamFailure(f);
    struct stat st;
    const bool empty = fstat(fileno(f), &st) == 0 && st.st_size == 0;
    if (fclose(f) != 0 && reason == 0) reason = errno ? errno : -1;
    if (reason == 0) return true;
    *error = withReason(path, reason > 0 ? strerror(reason) : "could not be written");
#ifndef _WIN32
    // Only the file itself: a symlink to it stays.
    if (empty && lstat(path, &st) == 0 && S_ISREG(st.st_mode)) remove(path);
#else
    if (empty) remove(path);
#endif
    return false;
}
