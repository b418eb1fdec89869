// Small helpers for the program's files: bounded reads, safe replacement of
// a whole file, and outputs written as a stream. Portable.
#ifndef ZUVELS_SHELL_TEXT_FILE_H
#define ZUVELS_SHELL_TEXT_FILE_H

#include <cstddef>
#include <cstdio>
#include <string>

// The longest word readWord takes in one call: as long as the largest file
// read word by word may be, so a word of such a file is read whole, while an
// endless one can't hold the reader.
enum { MaxWordLength = 64 * 1024 };

// Reads one whitespace-delimited word into out (at most cap - 1 characters,
// always terminated); the rest of a longer word is read and dropped, up to
// MaxWordLength characters in all (what follows is left for the next call).
// Returns the number of characters read, or -1 at end of file with no word
// (out is then left as it was).
long readWord(FILE* f, char* out, size_t cap);

// The two steps that make a save survive a power cut: the temporary file's
// bytes onto the disk while it is still open, then the replace, itself
// written through. Swappable so tests can watch their order and make them
// fail; the system's own by default.
struct DurableFileCalls {
    bool (*flushToDisk)(FILE* f);
    // Replaces the file `to` with the file `from` in one step, so a reader
    // never sees a half-written target.
    bool (*replace)(const char* from, const char* to);
};
// Test seam: the system's calls unless a test replaced one.
extern DurableFileCalls durableFileCalls;
extern const DurableFileCalls SystemDurableFileCalls;

// Writes the file at path in text mode without ever leaving it truncated:
// write(f, context) fills a temporary file ("<name>.tmp") beside the file,
// which replaces it only when every write, the flush to the disk and the
// close succeeded. A symlink is written through: the file it names is the
// one replaced and the link stays. An existing file keeps its mode (and,
// where the system allows, its owner). Anything at path that is not a
// regular file (a folder, a FIFO, a device) is left alone and refused. On
// any failure the temporary file is removed, path is left as it was, the
// result is false, errno holds the system's reason (EISDIR for a folder,
// EINVAL for another kind of file) and *error, when given, "path: reason".
// A machine that loses power at any moment keeps the old file or the new one.
bool writeFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                        const void* context, std::string* error = nullptr);
// The same for a file of bytes (a picture): no line-end translation.
bool writeBinaryFileReplacing(const char* path, bool (*write)(FILE* f, const void* context),
                              const void* context, std::string* error = nullptr);

// Opens path for reading as bytes when it is a regular file of at most
// maxBytes: a folder, a FIFO or a device is refused before it can block or
// stream without end (a device is not even opened). nullptr with
// "path: reason" in *error.
FILE* openInputFile(const char* path, long long maxBytes, std::string* error);
// The same for a text file: on Windows, line ends read as the C library's
// text mode reads them.
FILE* openInputTextFile(const char* path, long long maxBytes, std::string* error);

// Outputs written as a stream (a log, a recording), row by row so that an
// interrupted run keeps what it wrote. checkOutputPath tells before a long
// run whether openOutputFile would succeed: a regular file (through a
// symlink) or a new name in a folder that exists; anything else that exists
// (a folder, a FIFO, a device) is refused. An existing file is truncated in
// place, so a symlink stays a symlink and the file keeps its mode. Both give
// "path: reason" in *error.
bool checkOutputPath(const char* path, std::string* error);
FILE* openOutputFile(const char* path, std::string* error);
// Closes f; false with "path: reason" when a write, the flush or the close
// failed. A file left empty by a failure is removed.
bool closeOutputFile(FILE* f, const char* path, std::string* error);

// Flushes f and tells whether everything written to it reached the system:
// 0 when it did, else the system's reason (an errno value), or -1 when a
// write failed for a reason no longer known.
int streamFailure(FILE* f);

#endif
