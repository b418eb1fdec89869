// Win32 serial backend: the real calls on a COM device.
#include "link/port_win.h"

#include <cstdio>

#include "link/wide_path_win.h"

namespace {

DWORD lastError = ERROR_SUCCESS;
// The port the failures are about: the link has one port open at a time.
char lastPath[PortPathCapacity] = "";

HANDLE asHandle(PortId h) { return reinterpret_cast<HANDLE>(h); }

// Keeps the system's error code of a failed call and writes what failed,
// the path and the system's reason as one line.
void reportFailure(const char* what) {
    lastError = GetLastError();
    char reason[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             lastError, 0, reason, sizeof reason, nullptr);
    while (n > 0 && (reason[n - 1] == '\r' || reason[n - 1] == '\n' || reason[n - 1] == ' '))
        reason[--n] = '\0';
    char line[400];
    snprintf(line, sizeof line, "ZuvelS: %s %s failed: error %lu: %s\n", what, lastPath,
             static_cast<unsigned long>(lastError), n > 0 ? reason : "(no text)");
    portDiagnostic(line);
}

PortId win32Open(const char* path) {
    snprintf(lastPath, sizeof lastPath, "%s", path);
    // Exclusive, existing device only, no overlapped I/O: every exchange
    // blocks on the port's own time-outs.
    HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        reportFailure("opening");
        return InvalidPort;
    }
    // A file or pipe by that name is no serial port: refused before a byte
    // is written to it.
    if (GetFileType(h) != FILE_TYPE_CHAR) {
        CloseHandle(h);
        SetLastError(ERROR_BAD_DEVICE);
        reportFailure("opening (no serial device)");
        return InvalidPort;
    }
    return reinterpret_cast<PortId>(h);
}

bool win32ApplySettings(PortId h, const PortSettings& s) {
    DCB dcb;
    fillDeviceControlBlock(s, &dcb);
    // After a failed open the link still applies the settings; the open has
    // already said why.
    if (SetCommState(asHandle(h), &dcb)) return true;
    if (h != InvalidPort) reportFailure("setting up");
    return false;
}

}  // namespace

// A function of our own: the system's is stdcall on 32-bit Windows.
void debuggerDiagnostic(const char* line) { OutputDebugStringA(line); }
void (*portDiagnostic)(const char*) = debuggerDiagnostic;

DWORD lastPortError() { return lastError; }

void fillDeviceControlBlock(const PortSettings& s, DCB* out) {
    DCB& dcb = *out;
    // Start from zero so no bit depends on what the block held before; the
    // flag word then carries only what the settings name (input XON/XOFF).
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = s.structLength;
    dcb.BaudRate = s.baudRate;
    // The flag word bit by bit, so the layout of the bit fields never matters.
    const uint32_t f = s.flags;
    dcb.fBinary = f & 1;
    dcb.fParity = (f >> 1) & 1;
    dcb.fOutxCtsFlow = (f >> 2) & 1;
    dcb.fOutxDsrFlow = (f >> 3) & 1;
    dcb.fDtrControl = (f >> 4) & 3;
    dcb.fDsrSensitivity = (f >> 6) & 1;
    dcb.fTXContinueOnXoff = (f >> 7) & 1;
    dcb.fOutX = (f >> 8) & 1;
    dcb.fInX = (f >> 9) & 1;
    dcb.fErrorChar = (f >> 10) & 1;
    dcb.fNull = (f >> 11) & 1;
    dcb.fRtsControl = (f >> 12) & 3;
    dcb.fAbortOnError = (f >> 14) & 1;
    dcb.XonLim = s.xonLim;
    dcb.XoffLim = s.xoffLim;
    dcb.ByteSize = s.byteSize;
    dcb.Parity = s.parity;
    dcb.StopBits = s.stopBits;
    dcb.XonChar = s.xonChar;
    dcb.XoffChar = s.xoffChar;
    dcb.ErrorChar = s.errorChar;
    dcb.EofChar = s.eofChar;
    dcb.EvtChar = s.evtChar;
}

namespace {

bool win32ApplyTimeouts(PortId h, const PortTimeouts& t) {
    COMMTIMEOUTS ct;
    ct.ReadIntervalTimeout = t.readInterval;
    ct.ReadTotalTimeoutMultiplier = t.readTotalMultiplier;
    ct.ReadTotalTimeoutConstant = t.readTotalConstant;
    ct.WriteTotalTimeoutMultiplier = t.writeTotalMultiplier;
    ct.WriteTotalTimeoutConstant = t.writeTotalConstant;
    if (SetCommTimeouts(asHandle(h), &ct)) return true;
    if (h != InvalidPort) reportFailure("setting the time-outs of");
    return false;
}

bool win32Purge(PortId h, unsigned what) { return PurgeComm(asHandle(h), what) != 0; }

bool win32Write(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    DWORD moved = 0;
    BOOL ok = WriteFile(asHandle(h), buf, n, &moved, nullptr);
    *done = ok ? moved : 0;
    return ok != 0;
}

bool win32Read(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    DWORD moved = 0;
    BOOL ok = ReadFile(asHandle(h), buf, n, &moved, nullptr);
    *done = ok ? moved : 0;
    return ok != 0;
}

void win32Close(PortId h) { CloseHandle(asHandle(h)); }
uint32_t win32TickCount() { return GetTickCount(); }
void win32Sleep(uint32_t ms) { Sleep(ms); }

}  // namespace

const PortOps win32PortOps = PortOps::called("win32")
                                 .withOpen(win32Open)
                                 .withSettings(win32ApplySettings)
                                 .withTimeouts(win32ApplyTimeouts)
                                 .withPurge(win32Purge)
                                 .withWrite(win32Write)
                                 .withRead(win32Read)
                                 .withClose(win32Close)
                                 .withTickCount(win32TickCount)
                                 .withSleep(win32Sleep);
