// Win32 serial backend (win32PortOps in link/port.h): the pieces tests look
// at from outside.
#ifndef ZUVELS_LINK_PORT_WIN_H
#define ZUVELS_LINK_PORT_WIN_H

#include <windows.h>

#include "link/port.h"

// The device control block the backend hands to SetCommState for s.
void fillDeviceControlBlock(const PortSettings& s, DCB* dcb);

// When opening or setting up the port fails, the backend keeps the system's
// error code and writes one line with the path and the system's reason to
// portDiagnostic, so a helper with a debug viewer can see why. It starts out
// as debuggerDiagnostic, which hands the line to OutputDebugStringA.
DWORD lastPortError();
// Test seam: tests read the lines instead.
extern void (*portDiagnostic)(const char* line);
void debuggerDiagnostic(const char* line);

#endif
