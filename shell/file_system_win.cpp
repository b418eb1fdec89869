// The program's files on Windows: every call is the wide one, its name made
// from the UTF-8 path by link/wide_path_win.h, so a folder named in any
// language is reached whatever the system's code page.
#include "shell/file_system.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "link/wide_path_win.h"

const char PathSeparators[] = "/\\:";

namespace {

// The wide name of path, or empty with errno set (a name that is not
// UTF-8 can't name a file).
std::wstring nameOf(const char* path) {
    const std::wstring name = widePath(path);
    if (name.empty()) errno = *path ? EINVAL : ENOENT;
    return name;
}

PathKind kindOf(unsigned mode) {
    const unsigned type = mode & _S_IFMT;
    return type == _S_IFREG   ? PathKind::File
           : type == _S_IFDIR ? PathKind::Folder
                              : PathKind::Other;
}

}  // namespace

bool lookAtPath(const char* path, PathKind* kind, long long* size) {
    const std::wstring name = nameOf(path);
    struct _stat64 st;
    if (name.empty() || _wstat64(name.c_str(), &st) != 0) return false;
    *kind = kindOf(st.st_mode);
    *size = st.st_size;
    return true;
}

bool systemFlushToDisk(FILE* f) {
    if (fflush(f) != 0) return false;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

bool systemReplace(const char* from, const char* to) {
    // rename() refuses an existing target on Windows; this replaces it and
    // returns only once the change is on the disk.
    const std::wstring source = nameOf(from), target = nameOf(to);
    return !source.empty() && !target.empty() &&
           MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool findReplaceTarget(const char* path, ReplaceTarget* t) {
    t->path = path;
    t->mode = t->owner = t->group = 0;
    long long size;
    t->exists = lookAtPath(path, &t->kind, &size);
    return true;
}

FILE* openTemporaryFile(const std::string& temp, const ReplaceTarget&, const char* mode) {
    return openFile(temp.c_str(), mode);
}

int writableAt(const char* path, bool) {
    const std::wstring name = nameOf(path);
    return name.empty() ? -1 : _waccess(name.c_str(), 2);
}

void removeFile(const char* path) {
    const std::wstring name = nameOf(path);
    if (!name.empty()) DeleteFileW(name.c_str());
}

// A device name (COM1, CON) opens the device itself: only a file on a disk
// is read.
FILE* openInputBytes(const char* path, long long maxBytes, std::string* error) {
    std::string reason;
    const std::wstring name = widePath(path, &reason);
    if (name.empty()) return *error = withReason(path, reason.c_str()), nullptr;
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error =
            withReason(path, strerror(GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT));
        return nullptr;
    }
    LARGE_INTEGER size;
    char text[96];
    const char* refusal = nullptr;
    if (GetFileType(h) != FILE_TYPE_DISK ||
        (GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        refusal = "not a regular file";
    else if (!GetFileSizeEx(h, &size))
        refusal = "cannot be read";
    else
        refusal = inputRefusal(PathKind::File, size.QuadPart, maxBytes, text, sizeof text);
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

// Line ends read as the C library's text mode reads them.
void readAsText(FILE* f) { _setmode(_fileno(f), _O_TEXT); }

FILE* openOutputBytes(const char* path, std::string* error) {
    std::string reason;
    const std::wstring name = widePath(path, &reason);
    if (name.empty()) return *error = withReason(path, reason.c_str()), nullptr;
    FILE* f = _wfopen(name.c_str(), L"wb");
    if (!f) *error = withReason(path, strerror(errno));
    return f;
}
