// The program's files on POSIX systems: paths go to the system as they are.
#include "shell/file_system.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

const char PathSeparators[] = "/";

namespace {

PathKind kindOf(mode_t mode) {
    return S_ISREG(mode) ? PathKind::File : S_ISDIR(mode) ? PathKind::Folder : PathKind::Other;
}

const int MaxLinkHops = 40;  // the system's own limit for a path

}  // namespace

bool lookAtPath(const char* path, PathKind* kind, long long* size) {
    struct stat st;
    if (stat(path, &st) != 0) return false;
    *kind = kindOf(st.st_mode);
    *size = st.st_size;
    return true;
}

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

namespace {

void takeFacts(const struct stat& st, ReplaceTarget* t) {
    t->kind = kindOf(st.st_mode);
    t->mode = st.st_mode & 07777;
    t->owner = st.st_uid;
    t->group = st.st_gid;
}

}  // namespace

// Follows path's symlinks to the file they name (which need not exist yet).
bool findReplaceTarget(const char* path, ReplaceTarget* t) {
    t->path = path;
    struct stat st;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        if (lstat(t->path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            t->exists = stat(t->path.c_str(), &st) == 0;
            if (t->exists) takeFacts(st, t);
            return true;
        }
        // One byte more than the link holds tells a link changed meanwhile.
        std::string link(static_cast<size_t>(st.st_size) + 1, '\0');
        const ssize_t n = readlink(t->path.c_str(), &link[0], link.size());
        if (n < 0) return false;
        if (static_cast<size_t>(n) == link.size()) return errno = EAGAIN, false;
        link.resize(static_cast<size_t>(n));
        const size_t slash = t->path.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : t->path.substr(0, slash + 1);
        t->path = link[0] == '/' ? link : folder + link;
    }
    errno = ELOOP;
    return false;
}

// The temporary file, never through a symlink nor onto anything but a
// regular file; it takes the target's mode and owner.
FILE* openTemporaryFile(const std::string& temp, const ReplaceTarget& t, const char* mode) {
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
        if (st.st_uid != t.owner || st.st_gid != t.group) (void)!fchown(fd, t.owner, t.group);
        (void)!fchmod(fd, t.mode);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* f = fdopen(fd, mode);
    if (!f) close(fd);
    return f;
}

int writableAt(const char* path, bool folder) { return access(path, folder ? W_OK | X_OK : W_OK); }

// Only the file itself: a symlink to it stays.
void removeFile(const char* path) {
    struct stat st;
    if (lstat(path, &st) == 0 && S_ISREG(st.st_mode)) remove(path);
}

// Looked at before it is opened, so a device is never opened (a serial
// port would see its lines change); opened without blocking, so a FIFO put
// in its place meanwhile is refused, not waited on.
FILE* openInputBytes(const char* path, long long maxBytes, std::string* error) {
    struct stat st;
    char text[96];
    const char* refusal = nullptr;
    if (stat(path, &st) != 0) return *error = withReason(path, strerror(errno)), nullptr;
    if ((refusal = inputRefusal(kindOf(st.st_mode), st.st_size, maxBytes, text, sizeof text)))
        return *error = withReason(path, refusal), nullptr;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return *error = withReason(path, strerror(errno)), nullptr;
    if (fstat(fd, &st) != 0)
        refusal = strerror(errno);
    else
        refusal = inputRefusal(kindOf(st.st_mode), st.st_size, maxBytes, text, sizeof text);
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

// Text and bytes read alike here.
void readAsText(FILE*) {}

// Opened without truncating until it is known to be a regular file: a FIFO
// or device put there after the check is neither waited on nor written.
FILE* openOutputBytes(const char* path, std::string* error) {
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
