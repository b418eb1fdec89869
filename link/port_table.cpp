// Port table and the fixed settings every open applies.
#include <cstdio>
#include <cstring>

#include "link/port.h"

// 9600 8N1 as the device control block gets it. Only the input XON/XOFF bit
// (fInX, 0x200) is set; every other flag bit is cleared explicitly, binary
// mode included, so nothing of what the block held before survives.
const PortSettings LinkPortSettings = {
    9600,                    // baudRate
    0x00000200,              // flags: fInX only
    8,                       // byteSize
    0,                       // parity: none
    0,                       // stopBits: one
    0,          0,           // xonLim, xoffLim
    0,          0, 0, 0, 0,  // xonChar, xoffChar, errorChar, eofChar, evtChar
    0,                       // structLength: left 0
};

// A read of n bytes gives up after 40 x n + 100 ms; so does a write.
const PortTimeouts LinkPortTimeouts = {
    200,  // readInterval
    40,   // readTotalMultiplier
    100,  // readTotalConstant
    40,   // writeTotalMultiplier
    100,  // writeTotalConstant
};

namespace {

enum { PortTableSize = 257, PortPathSize = 16 };

struct PortTable {
    char path[PortTableSize][PortPathSize];
    PortTable() {
        // COM10 and up open only with the device namespace prefix, so every
        // entry carries it. Entry 0 stands for "no number" and opens COM1.
        for (int n = 1; n < PortTableSize; ++n) snprintf(path[n], PortPathSize, "\\\\.\\COM%d", n);
        memcpy(path[0], path[1], PortPathSize);
    }
};

}  // namespace

const char* portTablePath(int n) {
    static const PortTable table;
    // Out-of-range numbers (a hand-edited settings file) fall back to entry 0
    // instead of reading past the table.
    if (n < 0 || n >= PortTableSize) n = 0;
    return table.path[n];
}
