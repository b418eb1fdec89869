// The handful of operations the link needs from a serial port, plus the clock.
// One const table per backend, chosen at start-up.
#ifndef ZUVELS_LINK_PORT_H
#define ZUVELS_LINK_PORT_H

#include <cstdint>

typedef intptr_t PortId;
const PortId InvalidPort = -1;

// Room for a device path and its NUL: Linux allows paths of 4095
// characters (PATH_MAX), Windows ports are opened as \\.\COMn.
enum : int { PortPathCapacity = 4096 };

// Port settings as the device control block gets them: 9600 8N1, no flow
// control, DTR and RTS off, only the input XON/XOFF bit in the flag word.
struct PortSettings {
    uint32_t baudRate;
    uint32_t flags;  // DCB bit-field word
    uint8_t byteSize;
    uint8_t parity;    // 0 none
    uint8_t stopBits;  // 0 one stop bit
    uint16_t xonLim, xoffLim;
    char xonChar, xoffChar, errorChar, eofChar, evtChar;
    uint32_t structLength;  // DCBlength
};
extern const PortSettings LinkPortSettings;

struct PortTimeouts {
    uint32_t readInterval, readTotalMultiplier, readTotalConstant;
    uint32_t writeTotalMultiplier, writeTotalConstant;
};
extern const PortTimeouts LinkPortTimeouts;

enum : unsigned { PurgeTxClear = 4, PurgeRxClear = 8 };

// The link calls these on whatever PortHandle holds, InvalidPort included
// (after a failed open or once the port is closed): every operation on a
// handle that isn't open must fail at once and report 0 bytes moved.
//
// A backend's table is written entry by entry under the entries' names,
// starting from PortOps::called (C++17 has no designated initialisers):
//   const PortOps posixPortOps = PortOps::called("posix")
//                                    .withOpen(posixOpen)
//                                    ...;
// Every step is constexpr, so a table is constant data, ready before any
// other file's start-up code reads it.
struct PortOps {
    typedef PortId (*OpenFn)(const char* path);
    typedef bool (*SettingsFn)(PortId h, const PortSettings& s);
    typedef bool (*TimeoutsFn)(PortId h, const PortTimeouts& t);
    typedef bool (*PurgeFn)(PortId h, unsigned what);
    typedef bool (*WriteFn)(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done);
    typedef bool (*ReadFn)(PortId h, uint8_t* buf, uint32_t n, uint32_t* done);
    typedef void (*CloseFn)(PortId h);
    typedef uint32_t (*TickCountFn)();
    typedef void (*SleepFn)(uint32_t ms);
    typedef const char* (*ProblemFn)(PortId h);

    const char* name = nullptr;
    // Open path for read/write, exclusive; InvalidPort on failure. Only a
    // serial device is opened: anything else is refused before a byte is
    // written to it.
    OpenFn open = nullptr;
    SettingsFn applySettings = nullptr;
    TimeoutsFn applyTimeouts = nullptr;
    PurgeFn purge = nullptr;
    // Both report the bytes moved in *done (0 on failure) and return success.
    WriteFn write = nullptr;
    ReadFn read = nullptr;
    CloseFn close = nullptr;
    TickCountFn tickCount = nullptr;
    SleepFn sleepMs = nullptr;
    // Why the port can't be reached at all (a network port's name that
    // doesn't resolve, a refused connection) or why its connection ended (the
    // server's last words, a reset), or nullptr while it may yet answer.
    // Backends that can't tell leave the entry itself nullptr.
    ProblemFn problem = nullptr;

    // Copies of this one with one entry set, for the named steps below.
    template <typename F>
    constexpr PortOps with(F PortOps::*entry, F f) const {
        PortOps o = *this;
        o.*entry = f;
        return o;
    }

    static constexpr PortOps called(const char* n) {
        PortOps o;
        o.name = n;
        return o;
    }
    constexpr PortOps withOpen(OpenFn f) const { return with(&PortOps::open, f); }
    constexpr PortOps withSettings(SettingsFn f) const { return with(&PortOps::applySettings, f); }
    constexpr PortOps withTimeouts(TimeoutsFn f) const { return with(&PortOps::applyTimeouts, f); }
    constexpr PortOps withPurge(PurgeFn f) const { return with(&PortOps::purge, f); }
    constexpr PortOps withWrite(WriteFn f) const { return with(&PortOps::write, f); }
    constexpr PortOps withRead(ReadFn f) const { return with(&PortOps::read, f); }
    constexpr PortOps withClose(CloseFn f) const { return with(&PortOps::close, f); }
    constexpr PortOps withTickCount(TickCountFn f) const { return with(&PortOps::tickCount, f); }
    constexpr PortOps withSleep(SleepFn f) const { return with(&PortOps::sleepMs, f); }
    constexpr PortOps withProblem(ProblemFn f) const { return with(&PortOps::problem, f); }
    // Every entry the link calls is there (problem may be left out).
    constexpr bool complete() const {
        return name && open && applySettings && applyTimeouts && purge && write && read && close &&
               tickCount && sleepMs;
    }
};

extern const PortOps win32PortOps;  // link/port_win.cpp (Windows build)
extern const PortOps posixPortOps;  // link/port_posix.cpp (native build)
extern const PortOps simPortOps;    // sim/port_sim.cpp: in-process simulated controller
extern const PortOps netPortOps;    // link/port_net.cpp: rfc2217:// and socket:// ports

// Device path for port number n: "\\.\COMn" for 1..256; 0, negative numbers and
// numbers above 256 give "\\.\COM1".
const char* portTablePath(int n);

#endif
