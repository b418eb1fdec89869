#include "watchdog.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/win_run.h"

namespace {

// What the watchdog thread and the test thread share, under one lock.
struct Watched {
    CRITICAL_SECTION lock;
    std::string name;
    DWORD startedAt = 0;
    bool running = false;
    bool overran = false;
    DWORD testThread = 0;
    DWORD limitMs = 0, graceMs = 0;
} watched;

void say(const std::string& name, DWORD ms, const char* what) {
    std::printf("[ WATCHDOG ] %s still runs after %lu s: %s\n", name.c_str(),
                static_cast<unsigned long>(ms / 1000), what);
    std::fflush(stdout);
}

// One look: cancels the dialogs of a test past its limit, ends the process
// when that did not help.
void look() {
    EnterCriticalSection(&watched.lock);
    const DWORD ran = GetTickCount() - watched.startedAt;
    const bool running = watched.running;
    const std::string name = watched.name;
    const bool firstOverrun = running && !watched.overran && ran >= watched.limitMs;
    if (firstOverrun) watched.overran = true;
    LeaveCriticalSection(&watched.lock);
    if (!running) return;
    if (firstOverrun) {
        say(name, ran, "closing its dialogs");
        EnumThreadWindows(watched.testThread, cancelThreadDialog, 0);
    } else if (ran >= watched.limitMs + watched.graceMs) {
        say(name, ran, "the run ends here and starts again after it");
        TerminateProcess(GetCurrentProcess(), WatchdogExitCode);
    }
}

DWORD WINAPI watchLoop(LPVOID) {
    for (;;) {
        Sleep(250);
        look();
    }
}

class Watchdog : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override {
        EnterCriticalSection(&watched.lock);
        watched.name = std::string(info.test_suite_name()) + "." + info.name();
        watched.startedAt = GetTickCount();
        watched.running = true;
        watched.overran = false;
        LeaveCriticalSection(&watched.lock);
    }
    // Runs before the result printer's (end events go in reverse order), so
    // the failure is part of the test's result.
    void OnTestEnd(const testing::TestInfo&) override {
        EnterCriticalSection(&watched.lock);
        watched.running = false;
        const bool overran = watched.overran;
        LeaveCriticalSection(&watched.lock);
        if (overran)
            ADD_FAILURE() << "ran longer than " << watched.limitMs / 1000
                          << " s; the watchdog closed its dialogs";
    }
};

}  // namespace

void installWatchdog(testing::TestEventListeners& listeners, unsigned limitSeconds,
                     unsigned graceSeconds) {
    InitializeCriticalSection(&watched.lock);
    watched.testThread = GetCurrentThreadId();
    watched.limitMs = limitSeconds * 1000;
    watched.graceMs = graceSeconds * 1000;
    listeners.Append(new Watchdog);
    CloseHandle(CreateThread(nullptr, 0, watchLoop, nullptr, 0, nullptr));
}
