// lpgctl's entry point on Windows. The arguments and LPGCTL_PORT are read
// wide and handed on as UTF-8, so a file named in any language is reached
// whatever the system's code page. What lpgctl prints is UTF-8; a console
// shows it through WriteConsoleW, a file or pipe gets the bytes as they are.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>
#include <windows.h>

#include "cli/errors.h"
#include "cli/main.h"
#include "link/utf16.h"
#include "link/wide_path_win.h"

namespace {

// How many bytes of the UTF-8 text at the end of bytes[0..n) belong to a
// character not yet complete: kept for the next read.
size_t unfinishedTail(const char* bytes, size_t n) {
    for (size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char b = static_cast<unsigned char>(bytes[n - back]);
        if ((b & 0xC0) == 0x80) continue;
        const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// One standard stream whose console is fed from a pipe: the C library
// writes UTF-8 into the pipe, a thread writes it to the console as UTF-16.
struct ConsoleRelay {
    int fd = -1, savedFd = -1;
    HANDLE console = nullptr, readEnd = nullptr, thread = nullptr;
};

DWORD WINAPI relayToConsole(void* context) {
    ConsoleRelay* r = static_cast<ConsoleRelay*>(context);
    char bytes[4096 + 4];
    size_t kept = 0;
    DWORD n = 0;
    while (ReadFile(r->readEnd, bytes + kept, 4096, &n, nullptr) && n > 0) {
        const size_t have = kept + n;
        kept = unfinishedTail(bytes, have);
        const int whole = static_cast<int>(have - kept);
        // Bytes that are not UTF-8 show as U+FFFD rather than stop the output.
        std::vector<wchar_t> wide(static_cast<size_t>(whole) + 1);
        const int units = MultiByteToWideChar(CP_UTF8, 0, bytes, whole, wide.data(), whole + 1);
        DWORD written = 0;
        if (units > 0)
            WriteConsoleW(r->console, wide.data(), static_cast<DWORD>(units), &written, nullptr);
        memmove(bytes, bytes + whole, kept);
    }
    return 0;
}

void relayWhenConsole(FILE* stream, DWORD which, ConsoleRelay* r) {
    HANDLE console = GetStdHandle(which);
    DWORD mode;
    if (console == INVALID_HANDLE_VALUE || !console || !GetConsoleMode(console, &mode)) return;
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return;
    const int pipeFd = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_WRONLY | _O_BINARY);
    fflush(stream);
    r->fd = _fileno(stream);
    r->savedFd = _dup(r->fd);
    if (pipeFd < 0 || r->savedFd < 0 || _dup2(pipeFd, r->fd) != 0) {
        if (pipeFd >= 0)
            _close(pipeFd);
        else
            CloseHandle(writeEnd);
        CloseHandle(readEnd);
        r->fd = -1;
        return;
    }
    _close(pipeFd);
    // Each print goes to the console as it is made, as it did without the
    // pipe (progress lines are drawn in place).
    setvbuf(stream, nullptr, _IONBF, 0);
    _setmode(r->fd, _O_BINARY);
    r->console = console;
    r->readEnd = readEnd;
    r->thread = CreateThread(nullptr, 0, relayToConsole, r, 0, nullptr);
}

// Closes the pipe so the thread sees its end, and waits a bounded time for
// it to write what was left.
void endRelay(FILE* stream, ConsoleRelay* r) {
    if (r->fd < 0) return;
    fflush(stream);
    _dup2(r->savedFd, r->fd);
    _close(r->savedFd);
    if (r->thread) {
        WaitForSingleObject(r->thread, 5000);
        CloseHandle(r->thread);
    }
    CloseHandle(r->readEnd);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ConsoleRelay out, err;
    relayWhenConsole(stdout, STD_OUTPUT_HANDLE, &out);
    relayWhenConsole(stderr, STD_ERROR_HANDLE, &err);
    std::vector<std::string> words(static_cast<size_t>(argc));
    std::vector<char*> args;
    int code = ExitOk;
    for (int i = 0; i < argc && code == ExitOk; ++i) {
        std::string reason;
        const std::wstring word(argv[i]);
        if (!utf16ToUtf8(std::u16string(word.begin(), word.end()), &words[i], &reason)) {
            fprintf(stderr, "lpgctl: argument %d: %s\n", i, reason.c_str());
            code = ExitUsage;
        }
        args.push_back(&words[i][0]);
    }
    args.push_back(nullptr);
    if (code == ExitOk) {
        const wchar_t* port = _wgetenv(L"LPGCTL_PORT");
        const std::string portText = port ? utf8Path(port) : "";
        code = lpgctlMain(argc, args.data(), port ? portText.c_str() : nullptr);
    }
    endRelay(stdout, &out);
    endRelay(stderr, &err);
    return code;
}
