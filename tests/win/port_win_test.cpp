// The Win32 serial backend without a serial port: the device control block it
// builds, and what it says when opening or setting up a port fails.
#include "link/port_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port.h"

namespace {

std::vector<std::string>& diagnostics() {
    static std::vector<std::string> lines;
    return lines;
}
void recordDiagnostic(const char* line) { diagnostics().push_back(line); }

class PortWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        diagnostics().clear();
        portDiagnostic = recordDiagnostic;
    }
    void TearDown() override { portDiagnostic = debuggerDiagnostic; }
};

// The system's own text for an error code, without its line end.
std::string systemReason(DWORD error) {
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
    return std::string(text, n);
}

}  // namespace

// 9600 8N1, only input XON/XOFF, DTR and RTS held off, everything else zero.
TEST_F(PortWinTest, DeviceControlBlockCarriesTheLinkSettingsFieldByField) {
    DCB dcb;
    FillMemory(&dcb, sizeof dcb, 0xFF);
    fillDeviceControlBlock(LinkPortSettings, &dcb);
    const struct {
        const char* name;
        unsigned got, want;
    } fields[] = {
        {"DCBlength", dcb.DCBlength, 0},
        {"BaudRate", dcb.BaudRate, 9600},
        {"ByteSize", dcb.ByteSize, 8},
        {"Parity", dcb.Parity, NOPARITY},
        {"StopBits", dcb.StopBits, ONESTOPBIT},
        {"fBinary", dcb.fBinary, 0},
        {"fParity", dcb.fParity, 0},
        {"fOutxCtsFlow", dcb.fOutxCtsFlow, 0},
        {"fOutxDsrFlow", dcb.fOutxDsrFlow, 0},
        {"fDtrControl", dcb.fDtrControl, DTR_CONTROL_DISABLE},
        {"fDsrSensitivity", dcb.fDsrSensitivity, 0},
        {"fTXContinueOnXoff", dcb.fTXContinueOnXoff, 0},
        {"fOutX", dcb.fOutX, 0},
        {"fInX", dcb.fInX, 1},
        {"fErrorChar", dcb.fErrorChar, 0},
        {"fNull", dcb.fNull, 0},
        {"fRtsControl", dcb.fRtsControl, RTS_CONTROL_DISABLE},
        {"fAbortOnError", dcb.fAbortOnError, 0},
        {"fDummy2", dcb.fDummy2, 0},
        {"XonLim", dcb.XonLim, 0},
        {"XoffLim", dcb.XoffLim, 0},
        {"XonChar", static_cast<unsigned char>(dcb.XonChar), 0},
        {"XoffChar", static_cast<unsigned char>(dcb.XoffChar), 0},
        {"ErrorChar", static_cast<unsigned char>(dcb.ErrorChar), 0},
        {"EofChar", static_cast<unsigned char>(dcb.EofChar), 0},
        {"EvtChar", static_cast<unsigned char>(dcb.EvtChar), 0},
    };
    for (const auto& f : fields) EXPECT_EQ(f.got, f.want) << f.name;
}

TEST_F(PortWinTest, FailedOpenSaysWhichPathAndWhy) {
    // A path in a folder that doesn't exist: no device is touched.
    const char* path = "Z:\\nonexistent-zuvels-folder\\COM7";
    EXPECT_EQ(win32PortOps.open(path), InvalidPort);
    ASSERT_EQ(diagnostics().size(), 1u);
    const DWORD error = lastPortError();
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    const std::string& line = diagnostics()[0];
    EXPECT_NE(line.find(path), std::string::npos) << line;
    const std::string reason = systemReason(error);
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(line.find(reason), std::string::npos) << line;
}

// A file named as the port is refused before a byte is written to it.
TEST_F(PortWinTest, AFileIsNoPortAndStaysUntouched) {
    char folder[MAX_PATH], file[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    ASSERT_NE(GetTempFileNameA(folder, "zpt", 0, file), 0u);
    EXPECT_EQ(win32PortOps.open(file), InvalidPort);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(file, GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    DeleteFileA(file);
    ASSERT_EQ(diagnostics().size(), 1u);
    EXPECT_NE(diagnostics()[0].find(file), std::string::npos) << diagnostics()[0];
    EXPECT_NE(diagnostics()[0].find("no serial device"), std::string::npos) << diagnostics()[0];
}

TEST_F(PortWinTest, FailedSetUpSaysWhichPathAndWhy) {
    // The null device is a character device that takes no port settings.
    const char* path = "NUL";
    const PortId h = win32PortOps.open(path);
    ASSERT_NE(h, InvalidPort);
    EXPECT_FALSE(win32PortOps.applySettings(h, LinkPortSettings));
    EXPECT_FALSE(win32PortOps.applyTimeouts(h, LinkPortTimeouts));
    win32PortOps.close(h);

    ASSERT_EQ(diagnostics().size(), 2u);
    EXPECT_NE(lastPortError(), static_cast<DWORD>(ERROR_SUCCESS));
    for (const std::string& line : diagnostics()) {
        EXPECT_NE(line.find(path), std::string::npos) << line;
        EXPECT_EQ(line.find("(no text)"), std::string::npos) << line;
    }
}

// After a failed open the link still applies settings and time-outs; the
// open's own line is the only one.
TEST_F(PortWinTest, SetUpAfterAFailedOpenAddsNothing) {
    EXPECT_EQ(win32PortOps.open("Z:\\nonexistent-zuvels-folder\\COM8"), InvalidPort);
    EXPECT_FALSE(win32PortOps.applySettings(InvalidPort, LinkPortSettings));
    EXPECT_FALSE(win32PortOps.applyTimeouts(InvalidPort, LinkPortTimeouts));
    EXPECT_EQ(diagnostics().size(), 1u);
}
