// The harness's guard for the port search: every port the registry lists in
// the test prefix is either our pty (COM1, served by lpgsim) or reaches no
// serial device at all, so a search can never probe the machine's own ports.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "link/link.h"
#include "tests/win/port_isolation.h"

namespace {

// Port names ("COM1") listed under HKLM "HARDWARE\DEVICEMAP\SERIALCOMM".
std::vector<std::string> registryPorts() {
    std::vector<std::string> ports;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        char name[256];
        char data[256];
        DWORD nameLength = sizeof name, dataLength = sizeof data - 1, type = 0;
        LONG rc = RegEnumValueA(key, i, name, &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE*>(data), &dataLength);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataLength] = '\0';
        ports.push_back(data);
    }
    RegCloseKey(key);
    return ports;
}

enum class Reach { Nothing, NotSerial, Serial };

void PrintTo(Reach r, std::ostream* os) {
    *os << (r == Reach::Nothing     ? "nothing"
            : r == Reach::NotSerial ? "no serial device"
                                    : "a serial device");
}

// Opens the port as the link does and asks for its settings, which only a
// terminal device answers. Nothing is written.
Reach reachOf(const std::string& port) {
    const std::string path = "\\\\.\\" + port;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return Reach::Nothing;
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    const bool serial = GetCommState(h, &dcb) != 0;
    CloseHandle(h);
    return serial ? Reach::Serial : Reach::NotSerial;
}

}  // namespace

TEST(PortSearchIsolation, RegistryPortsReachOnlyOurPty) {
    if (!serialPortsIsolated()) GTEST_SKIP() << "the machine's serial ports are not isolated";
    const char* log = std::getenv("ZUVELS_FRAME_LOG");
    if (!log || !*log) GTEST_SKIP() << "no lpgsim on COM1";

    const std::vector<std::string> ports = registryPorts();
    // Without our own port in the list the check below would prove nothing.
    ASSERT_NE(std::find(ports.begin(), ports.end(), "COM1"), ports.end());
    for (const std::string& port : ports) {
        const Reach reach = reachOf(port);
        if (port == "COM1") {
            EXPECT_EQ(reach, Reach::Serial) << "our pty";
        } else {
            EXPECT_NE(reach, Reach::Serial) << port << " reaches a serial device that isn't ours";
        }
    }

    // COM1 is lpgsim's pty: it answers a status request.
    const PortOps* saved = LinkPort;
    useLinkBackend(&win32PortOps);
    resetLinkState();
    selectPort(portTablePath(1), 1);
    pollStatus();
    EXPECT_EQ(LinkState, LinkStateKind::Up);
    closePort();
    resetLinkState();
    useLinkBackend(saved);
}
