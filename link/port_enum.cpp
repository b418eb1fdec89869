// Port enumeration: the names the system lists, turned into port numbers.
#include "link/port_enum.h"

#include <cstring>

namespace {

uint32_t foundPorts[MaxFoundPorts];

}  // namespace

const uint32_t (&FoundPorts)[MaxFoundPorts] = foundPorts;

uint32_t portNumberFromName(const char* data) {
    enum { PrefixLength = 3, MaxDigits = 3 };
    if (!data) return 0;
    // The prefix ("COM") is skipped unread; a shorter string has no number.
    for (int i = 0; i < PrefixLength; ++i)
        if (data[i] == '\0') return 0;
    uint32_t number = 0;
    for (int i = PrefixLength; i < PrefixLength + MaxDigits; ++i) {
        const char c = data[i];
        if (c < '0' || c > '9') break;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    return number;
}

void sortPortNumbers(uint32_t* ports, int count) {
    for (int i = 0; i + 1 < count; ++i)
        for (int j = i + 1; j < count; ++j)
            if (ports[j] < ports[i]) {
                const uint32_t t = ports[i];
                ports[i] = ports[j];
                ports[j] = t;
            }
}

int enumeratePorts(const PortNameSource& source) {
    if (!source.open(source.context)) return -1;
    int count = 0;
    char data[PortNameDataSize];
    // Every value is read, but the table holds MaxFoundPorts: the rest are
    // passed over.
    for (uint32_t index = 0;; ++index) {
        memset(data, 0, sizeof data);
        if (!source.value(source.context, index, data, sizeof data)) break;
        data[sizeof data - 1] = '\0';
        if (count < MaxFoundPorts) foundPorts[count++] = portNumberFromName(data);
    }
    source.close(source.context);
    sortPortNumbers(foundPorts, count);
    return count;
}
