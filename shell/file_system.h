// The system's side of the program's files (shell/text_file.cpp): what is
// at a path, the safe save's two steps, and the opens, one file per system
// (file_system_win.cpp with the wide calls, file_system_posix.cpp). Paths
// are UTF-8.
#ifndef ZUVELS_SHELL_FILE_SYSTEM_H
#define ZUVELS_SHELL_FILE_SYSTEM_H

#include <cstdio>
#include <string>

// The characters that end a folder's name in a path.
extern const char PathSeparators[];

enum class PathKind { File, Folder, Other };

// What is at path, symlinks followed: false with errno when nothing is.
bool lookAtPath(const char* path, PathKind* kind, long long* size);

// The file a safe save replaces: path past any symlinks, and what the new
// file takes from the old one.
struct ReplaceTarget {
    std::string path;
    bool exists;
    PathKind kind;
    unsigned mode, owner, group;  // where the system keeps them
};
bool findReplaceTarget(const char* path, ReplaceTarget* t);
// The temporary file of a safe save, opened with mode ("w" or "wb") as a new
// regular file taking the target's mode and owner where the system allows.
FILE* openTemporaryFile(const std::string& temp, const ReplaceTarget& t, const char* mode);

bool systemFlushToDisk(FILE* f);
bool systemReplace(const char* from, const char* to);

// 0 when path may be written (a folder: a file made in it), else -1 with
// errno.
int writableAt(const char* path, bool folder);

// Removes the file at path (never a folder, nor what a symlink names).
void removeFile(const char* path);

// The opens behind openInputFile and openOutputFile (shell/text_file.h),
// after the portable checks: *refusal a text for what is there when it
// can't be opened.
FILE* openInputBytes(const char* path, long long maxBytes, std::string* error);
void readAsText(FILE* f);
FILE* openOutputBytes(const char* path, std::string* error);

// Why a file found at path can't be read as one of at most maxBytes
// (text_file.cpp); nullptr when it can. text holds the reason it formats.
const char* inputRefusal(PathKind kind, long long size, long long maxBytes, char* text, size_t cap);
// "path: reason".
std::string withReason(const std::string& path, const char* reason);

#endif
