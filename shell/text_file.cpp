#include "shell/text_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

#include "shell/file_system.h"

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

const DurableFileCalls SystemDurableFileCalls = {systemFlushToDisk, systemReplace};
DurableFileCalls durableFileCalls = SystemDurableFileCalls;

namespace {

// Sets errno and *error (when given) and returns false.
bool refuse(const std::string& path, int code, const char* reason, std::string* error) {
    if (error) *error = withReason(path, reason ? reason : strerror(code));
    errno = code;
    return false;
}

// Where path's name starts: after its last folder separator.
size_t nameStart(const std::string& path) {
    const size_t slash = path.find_last_of(PathSeparators);
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

// errno after a failed step, or EIO when the step left none.
int reasonOr(int code) { return errno ? errno : code; }

// Fills the temporary file and puts it in the target's place: 0, or the
// system's reason.
int writeTemporary(const ReplaceTarget& t, const char* mode,
                   bool (*write)(FILE* f, const void* context), const void* context) {
    const std::string temp = temporaryNameFor(t.path);
    errno = 0;
    FILE* f = openTemporaryFile(temp, t, mode);
    if (!f) return reasonOr(EIO);
    errno = 0;
    bool ok = write(f, context) && fflush(f) == 0 && !ferror(f) && durableFileCalls.flushToDisk(f);
    int reason = ok ? 0 : reasonOr(EIO);
    if (fclose(f) != 0 && ok) ok = false, reason = reasonOr(EIO);
    if (ok && !durableFileCalls.replace(temp.c_str(), t.path.c_str()))
        ok = false, reason = reasonOr(EIO);
    if (!ok) removeFile(temp.c_str());
    return reason;
}

bool writeReplacing(const char* path, const char* mode, bool (*write)(FILE* f, const void* context),
                    const void* context, std::string* error) {
    ReplaceTarget t;
    errno = 0;
    if (!findReplaceTarget(path, &t)) return refuse(path, reasonOr(EIO), nullptr, error);
    if (t.exists && t.kind == PathKind::Folder)
        return refuse(path, EISDIR, "a folder, not a file", error);
    if (t.exists && t.kind != PathKind::File)
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

std::string withReason(const std::string& path, const char* reason) { return path + ": " + reason; }

const char* inputRefusal(PathKind kind, long long size, long long maxBytes, char* text,
                         size_t cap) {
    if (kind == PathKind::Folder) return "a folder, not a file";
    if (kind != PathKind::File) return "not a regular file";
    if (size <= maxBytes) return nullptr;
    snprintf(text, cap, "too large for a file of this kind (%lld bytes; at most %lld)", size,
             maxBytes);
    return text;
}

FILE* openInputFile(const char* path, long long maxBytes, std::string* error) {
    return openInputBytes(path, maxBytes, error);
}

FILE* openInputTextFile(const char* path, long long maxBytes, std::string* error) {
    FILE* f = openInputBytes(path, maxBytes, error);
    if (f) readAsText(f);
    return f;
}

namespace {

std::string folderOf(const char* path) {
    const std::string p(path);
    const size_t start = nameStart(p);
    if (start == 0) return ".";
    return start == 1 ? p.substr(0, 1) : p.substr(0, start - 1);
}

}  // namespace

bool checkOutputPath(const char* path, std::string* error) {
    PathKind kind;
    long long size;
    if (*path == '\0') return *error = "an empty file name", false;
    if (lookAtPath(path, &kind, &size)) {
        if (kind == PathKind::Folder)
            return *error = withReason(path, "a folder, not a file"), false;
        if (kind != PathKind::File)
            return *error = withReason(path, "not a regular file; it is left as it is"), false;
        if (writableAt(path, false) != 0) return *error = withReason(path, strerror(errno)), false;
        return true;
    }
    if (errno != ENOENT) return *error = withReason(path, strerror(errno)), false;
    const std::string folder = folderOf(path);
    if (!lookAtPath(folder.c_str(), &kind, &size) || kind != PathKind::Folder)
        return *error = withReason(path, "no such folder"), false;
    if (writableAt(folder.c_str(), true) != 0)
        return *error = withReason(path, strerror(errno)), false;
    return true;
}

FILE* openOutputFile(const char* path, std::string* error) {
    if (!checkOutputPath(path, error)) return nullptr;
    return openOutputBytes(path, error);
}

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
    if (empty) removeFile(path);
    return false;
}
