// What the Windows benchmarks share: their arguments and start (the main
// window on COM1, which scripts/bench maps to lpgsim's pty), the requests
// lpgsim logged, the wire's byte time and the cost of a call.
#ifndef ZUVELS_BENCH_BENCH_COMMON_WIN_H
#define ZUVELS_BENCH_BENCH_COMMON_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/link.h"
#include "shell/shell_win.h"
#include "tools/win_run.h"

// 9600 baud, 10 bits a byte.
const double MsPerByte = 10.0 / 9.6;

// The requests the benchmarks count.
const std::vector<uint8_t> StatusRequest(RequestFrames[ReqStatus], RequestFrames[ReqStatus] + 4);
const std::vector<uint8_t> LiveRequest(RequestFrames[ReqLive], RequestFrames[ReqLive] + 4);

struct BenchArgs {
    const char* frameLog;  // lpgsim's, as a Unix path
    int seconds;           // of each measured run
};

// FRAMELOG [seconds], 10 seconds unless given; false (after the usage line)
// without a frame log.
inline bool readBenchArgs(int argc, char** argv, const char* name, BenchArgs* args) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FRAMELOG [seconds]\n", name);
        return false;
    }
    args->frameLog = argv[1];
    args->seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    return true;
}

// The program's main window on the real serial path.
inline bool startMainWindow() {
    useLinkBackend(&win32PortOps);
    InitCommonControls();
    return createMainWindow(GetModuleHandleA(nullptr), SW_SHOW) != nullptr;
}

inline void sendMenuCommand(int command) {
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// Millisecond stamps of the requests in lpgsim's frame log that are frame.
inline std::vector<unsigned long> requestTimes(const char* unixPath,
                                               const std::vector<uint8_t>& frame) {
    std::vector<unsigned long> times;
    for (const LoggedFrame& f : readFrameLog(unixPath))
        if (f.direction == '>' && f.bytes == frame) times.push_back(f.ms);
    return times;
}

// Requests of frame per second while messages run for `seconds`, from the
// first to the last one logged meanwhile; 0 with fewer than two.
inline double requestRate(const char* frameLog, const std::vector<uint8_t>& frame, int seconds) {
    const size_t before = requestTimes(frameLog, frame).size();
    pumpMessagesFor(static_cast<DWORD>(seconds) * 1000);
    const std::vector<unsigned long> times = requestTimes(frameLog, frame);
    if (times.size() < before + 2) return 0;
    const double span = (times.back() - times[before]) / 1000.0;
    return (times.size() - before - 1) / span;
}

inline double threadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

struct CallCost {
    double cpuMs, wallMs;  // per call
};

// Runs call `calls` times in a row.
template <class Call>
CallCost costPerCall(int calls, Call call) {
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    const double cpu0 = threadCpuMs();
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < calls; ++i) call();
    QueryPerformanceCounter(&t1);
    return {(threadCpuMs() - cpu0) / calls,
            (t1.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart / calls};
}

#endif
