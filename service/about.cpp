#include "service/about.h"

#include <cstdint>
#include <cstdio>

namespace {

// The fixed part of a VERSIONINFO resource starts with this signature, on a
// 4-byte boundary; the file version follows one word later, high word first.
const uint32_t FixedInfoSignature = 0xFEEF04BD;

uint32_t wordAt(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

bool fileVersionOf(const unsigned char* data, size_t size, unsigned* major, unsigned* minor) {
    if (!data) return false;
    for (size_t at = 0; at + 12 <= size; at += 4) {
        if (wordAt(data + at) != FixedInfoSignature) continue;
        const uint32_t high = wordAt(data + at + 8);
        *major = high >> 16;
        *minor = high & 0xFFFF;
        return true;
    }
    return false;
}

std::string versionText(unsigned major, unsigned minor) {
    char text[24];
    snprintf(text, sizeof text, "%u.%02u", major, minor);
    return text;
}
