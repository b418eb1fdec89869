#include "link/port_registry_win.h"

#include <windows.h>

namespace {

bool registryOpen(void* context) {
    HKEY* key = static_cast<HKEY*>(context);
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, key) ==
           ERROR_SUCCESS;
}

bool registryValue(void* context, uint32_t index, char* data, size_t cap) {
    char name[PortNameDataSize];
    DWORD nameLength = sizeof name;
    DWORD dataLength = static_cast<DWORD>(cap);
    DWORD type = 0;
    // Any error ends the list, a name or data too long for the buffers too.
    return RegEnumValueA(*static_cast<HKEY*>(context), index, name, &nameLength, nullptr, &type,
                         reinterpret_cast<BYTE*>(data), &dataLength) == ERROR_SUCCESS;
}

void registryClose(void* context) { RegCloseKey(*static_cast<HKEY*>(context)); }

HKEY serialCommKey;

}  // namespace

PortNameSource registryPortNames() {
    return {registryOpen, registryValue, registryClose, &serialCommKey};
}
