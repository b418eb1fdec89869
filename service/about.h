// The program version the About box shows, read from the program's version
// resource (res/zuvels.rc, the one home of the version). Portable.
#ifndef ZUVELS_SERVICE_ABOUT_H
#define ZUVELS_SERVICE_ABOUT_H

#include <cstddef>
#include <string>

// The file version's major and minor number from the bytes of a VERSIONINFO
// resource; false when its fixed part is missing or cut short.
bool fileVersionOf(const unsigned char* data, size_t size, unsigned* major, unsigned* minor);
// As the About box shows it: "5.02" for 5, 2.
std::string versionText(unsigned major, unsigned minor);

#endif
