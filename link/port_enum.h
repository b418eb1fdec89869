// The serial ports the system reports, as port numbers in the order the port
// search tries them. Portable: the system's list is read through a
// PortNameSource (the registry on Windows, a table in tests).
#ifndef ZUVELS_LINK_PORT_ENUM_H
#define ZUVELS_LINK_PORT_ENUM_H

#include <cstddef>
#include <cstdint>

enum {
    MaxFoundPorts = 256,  // the port table ends at COM256
    PortNameDataSize = 64,
    HighestPortNumber = 256,
};

// One list of port names, read value by value from index 0 up.
struct PortNameSource {
    // False when the list can't be opened at all.
    bool (*open)(void* context);
    // The data string of value index, terminated within cap bytes; false ends
    // the enumeration (no more values, or an error).
    bool (*value)(void* context, uint32_t index, char* data, size_t cap);
    void (*close)(void* context);
    void* context;
};

// Filled by enumeratePorts (only), ascending.
extern const uint32_t (&FoundPorts)[MaxFoundPorts];

// Reads every value of the source and keeps the first MaxFoundPorts port
// numbers, sorted; returns how many were kept, or -1 when the source can't be
// opened.
int enumeratePorts(const PortNameSource& source);

// The number in a port name: up to three leading digits after the first
// three characters, whatever those are ("COM12" -> 12, "COM1234" -> 123);
// 0 when there are none.
uint32_t portNumberFromName(const char* data);

// Ascending, by plain exchanges; equal numbers keep their order.
void sortPortNumbers(uint32_t* ports, int count);

#endif
