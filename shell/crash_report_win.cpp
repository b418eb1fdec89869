#include "shell/crash_report_win.h"

#include <cstdio>
#include <vector>
#include <windows.h>
#include <dbghelp.h>

#include "link/wide_path_win.h"
#include "shell/scoped_win.h"

namespace {

// Kept from the start: a crashed program shouldn't have to read resources.
wchar_t programVersion[16] = L"";

// The crash, for the thread that reports it.
EXCEPTION_POINTERS* crashInfo = nullptr;
DWORD crashThreadId = 0;

// Fixed English: after a crash the language texts can't be trusted.
const wchar_t ReportText[] =
    L"ZuvelS has stopped because of an error.\n\n"
    L"A crash report was saved as\n%ls\n\n"
    L"Please send this file, together with the settings file you were working "
    L"with and ZuvelS.ini from the program's folder, to whoever supplied ZuvelS.";
const wchar_t NoReportText[] =
    L"ZuvelS has stopped because of an error.\n\n"
    L"No crash report could be saved in the temporary folder.";

// <temp>\ZuvelS-<version>-<yyyymmdd>-<hhmmss>.dmp: several crashes leave
// several files, and the name says which build they came from. Wide, as the
// temporary folder sits in the user's profile, named in any language; fixed
// buffers, as the heap may be what failed.
bool dumpPathFor(wchar_t* out, size_t cap) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return false;
    SYSTEMTIME t;
    GetLocalTime(&t);
    const int w =
        _snwprintf(out, cap, L"%lsZuvelS-%ls-%04u%02u%02u-%02u%02u%02u.dmp", temp, programVersion,
                   t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return w > 0 && static_cast<size_t>(w) < cap;
}

// The dump written into file; false when it fails.
bool dumpInto(HANDLE file) {
    // A dump needs no symbols; without this, some dbghelp versions load
    // every module's first (Wine's: tens of seconds).
    SymSetOptions(SymGetOptions() | SYMOPT_DEFERRED_LOADS);
    MINIDUMP_EXCEPTION_INFORMATION where;
    where.ThreadId = crashThreadId;
    where.ExceptionPointers = crashInfo;
    where.ClientPointers = FALSE;
    return MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                             &where, nullptr, nullptr) != FALSE;
}

bool writeDump(const wchar_t* path) {
    bool ok = false;
    {
        const ScopedHandle file = fileHandle(CreateFileW(
            path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        ok = dumpInto(file.get());
    }  // closed before a failed dump's file is deleted
    if (!ok) DeleteFileW(path);
    return ok;
}

DWORD WINAPI report(void*) {
    wchar_t path[MAX_PATH + 64];
    wchar_t text[sizeof ReportText / sizeof *ReportText + MAX_PATH + 64];
    const size_t cap = sizeof text / sizeof *text;
    if (!dumpPathFor(path, sizeof path / sizeof *path) || !writeDump(path) ||
        _snwprintf(text, cap, ReportText, path) < 0)
        _snwprintf(text, cap, L"%ls", NoReportText);
    text[cap - 1] = L'\0';
    MessageBoxW(nullptr, text, L"ZuvelS", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    return 0;
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info) {
    // A second crash while the first is reported ends the program at once.
    static volatile LONG reporting = 0;
    if (InterlockedExchange(&reporting, 1) != 0) return EXCEPTION_EXECUTE_HANDLER;
    crashInfo = info;
    crashThreadId = GetCurrentThreadId();
    // Reported from a thread of its own: this one stays stopped where it
    // failed, so the box's message loop can't run the broken windows' timers
    // again, and the dump shows this thread's stack as it was.
    const ScopedHandle reporter(CreateThread(nullptr, 0, report, nullptr, 0, nullptr));
    if (reporter) {
        WaitForSingleObject(reporter.get(), INFINITE);
    } else {
        report(nullptr);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

// The file version of the program's version resource, as the About box
// shows it ("5.02"); left empty when there is none.
void keepProgramVersion() {
    const std::wstring exe = widePath(modulePath().c_str());
    if (exe.empty()) return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size == 0 || !GetFileVersionInfoW(exe.c_str(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixedSize < sizeof *fixed)
        return;
    _snwprintf(programVersion, sizeof programVersion / sizeof *programVersion, L"%u.%02u",
               static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
               static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)));
}

}  // namespace

void installCrashReport() {
    keepProgramVersion();
    SetUnhandledExceptionFilter(onUnhandledException);
    // Windows swallows exceptions in timer callbacks unless told not to;
    // every page works on its timer. Not there on every version: ignored.
    BOOL suppress = FALSE;
    SetUserObjectInformationW(GetCurrentProcess(), UOI_TIMERPROC_EXCEPTION_SUPPRESSION, &suppress,
                              sizeof suppress);
}
