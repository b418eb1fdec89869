// lpgctl on Windows: the Win32 backend, COMn names, ZuvelS.ini's port and
// the registry's list of serial ports.
#include "cli/platform.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <io.h>

#include "cli/connect.h"
#include "link/link.h"
#include "link/port_registry_win.h"
#include "link/port_win.h"
#include "link/wide_path_win.h"
#include "shell/app_settings.h"

namespace {

// "COM3" or "com3": its number 1..256, else 0.
int comNumber(const char* name) {
    if (_strnicmp(name, "COM", 3) != 0 || name[3] == '\0') return 0;
    int n = 0;
    for (const char* p = name + 3; *p; ++p) {
        if (!isdigit(static_cast<unsigned char>(*p)) || n > HighestPortNumber) return 0;
        n = n * 10 + (*p - '0');
    }
    return n <= HighestPortNumber ? n : 0;
}

bool fileExists(const char* path) {
    FILE* f = openFile(path, "r");
    if (f) fclose(f);
    return f != nullptr;
}

// ZuvelS.ini as the window finds it (the current folder), else the one
// beside lpgctl.exe, which is where the window is normally started.
bool findAppSettings(std::string* path) {
    if (fileExists(AppSettingsFileName)) return *path = AppSettingsFileName, true;
    const std::string folder = moduleFolder();
    if (folder.empty()) return false;
    *path = folder + AppSettingsFileName;
    return fileExists(path->c_str());
}

}  // namespace

const PortOps* devicePortOps() { return &win32PortOps; }

bool devicePathFor(const char* name, std::string* path, int* number, std::string* error) {
    // Only port names: a file given as a port would be opened and written to.
    const bool deviceForm = strncmp(name, "\\\\.\\", 4) == 0;
    *number = comNumber(deviceForm ? name + 4 : name);
    if (*number == 0) {
        *error = std::string(name) +
                 " is not a serial port: give COM1..COM256 (lpgctl ports lists them); "
                 "to play a recording back use replay:FILE";
        return false;
    }
    *path = portTablePath(*number);
    return true;
}

OpenFailure lastOpenFailure(std::string* reason) {
    const DWORD code = lastPortError();
    *reason = "error " + std::to_string(static_cast<unsigned long>(code));
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT: return OpenFailure::NoSuchPort;
    // Windows answers an open of a port another program holds with "access
    // denied"; there are no per-user rights on serial ports.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return OpenFailure::Busy;
    case ERROR_BAD_DEVICE: *reason = "it is no serial device"; return OpenFailure::NotASerialPort;
    default: return OpenFailure::Other;
    }
}

const char* permissionHint() { return ""; }

// A console is one though lpgctl feeds it through a pipe (cli/main_win.cpp).
bool stderrIsTerminal() {
    DWORD mode;
    return _isatty(_fileno(stderr)) != 0 ||
           GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool defaultPortChoice(PortChoice* choice, std::string* error) {
    std::string ini;
    if (!findAppSettings(&ini)) {
        *error =
            "no port given and no ZuvelS.ini found: use --port COMn, demo, demo:1 or "
            "replay:FILE; lpgctl ports lists the serial ports";
        return false;
    }
    // The window's reading: a missing or unreadable number means COM1.
    readAppSettings(ini.c_str());
    const int n = CommPort > 0 ? CommPort : 1;
    choice->name.scheme = PortScheme::Serial;
    return devicePathFor(("COM" + std::to_string(n)).c_str(), &choice->path, &choice->number,
                         error);
}

std::vector<SystemPort> systemPorts() {
    std::vector<SystemPort> ports;
    const int count = enumeratePorts(registryPortNames());
    for (int i = 0; i < count; ++i) ports.push_back({"COM" + std::to_string(FoundPorts[i]), ""});
    return ports;
}
