#include "cli/ports_posix.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <dirent.h>

namespace {

const char* const Families[] = {"ttyS", "ttyUSB", "ttyACM"};

// The family's index, or -1; the number after it in *number.
int familyOf(const char* name, long* number) {
    for (int f = 2; f >= 0; --f) {  // "ttyS" is a prefix of neither other
        const size_t n = strlen(Families[f]);
        if (strncmp(name, Families[f], n) != 0 || name[n] == '\0') continue;
        char* end = nullptr;
        *number = strtol(name + n, &end, 10);
        if (*end == '\0') return f;
    }
    return -1;
}

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The kernel makes ttyS0..ttyS31 whether or not a UART is there; "type" 0
// says there is none.
bool hasUart(const std::string& sysTty) {
    const std::string type = firstLine(sysTty + "/type");
    return !type.empty() && type != "0";
}

// Maker and product of the USB device above the tty: a few levels up from
// its device link, where the USB device keeps them.
std::string usbName(const std::string& sysTty) {
    char real[PATH_MAX];
    if (!realpath((sysTty + "/device").c_str(), real)) return "";
    std::string dir = real;
    for (int up = 0; up < 4 && !dir.empty(); ++up) {
        const std::string product = firstLine(dir + "/product");
        if (!product.empty()) {
            const std::string maker = firstLine(dir + "/manufacturer");
            return maker.empty() ? product : maker + " " + product;
        }
        dir = dir.substr(0, dir.find_last_of('/'));
    }
    return "";
}

struct Found {
    int family;
    long number;
    SystemPort port;
};

}  // namespace

std::vector<SystemPort> systemPortsIn(const std::string& devDir, const std::string& sysDir) {
    std::vector<Found> found;
    DIR* d = opendir(devDir.c_str());
    if (!d) return {};
    while (dirent* e = readdir(d)) {
        long number = 0;
        const int family = familyOf(e->d_name, &number);
        if (family < 0) continue;
        const std::string sysTty = sysDir + "/class/tty/" + e->d_name;
        if (family == 0 && !hasUart(sysTty)) continue;
        const std::string path = devDir + "/" + e->d_name;
        found.push_back({family, number, {path, family == 0 ? "" : usbName(sysTty)}});
    }
    closedir(d);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.family != b.family ? a.family < b.family : a.number < b.number;
    });
    std::vector<SystemPort> ports;
    for (const Found& f : found) ports.push_back(f.port);
    return ports;
}

std::vector<SystemPort> systemPorts() { return systemPortsIn("/dev", "/sys"); }
