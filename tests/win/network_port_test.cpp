// The window on a network port named with --port: used for the run, never
// written to ZuvelS.ini, no COM item checked; a port that can't be reached
// is the link error box naming it; a COM item returns to the serial ports.
#include <string>
#include <windows.h>

#include <gtest/gtest.h>

#include "link/link.h"
#include "res/resource.h"
#include "shell/app_settings.h"
#include "shell/start_options.h"
#include "shell_fixture.h"

namespace {

using shelltest::boxCalls;
using shelltest::isChecked;
using shelltest::readFileBytes;
using shelltest::ShellTest;

const int ComItems[] = {IDM_COM1, IDM_COM2, IDM_COM3, IDM_COM4, IDM_COM5,
                        IDM_COM6, IDM_COM7, IDM_COM8, IDM_COM9};

class NetworkPortWindow : public ShellTest {
protected:
    void TearDown() override {
        std::string error;
        useStartBackend(readStartOptions(""), &simPortOps, &error);  // no start port left behind
        ShellTest::TearDown();
    }
};

}  // namespace

TEST_F(NetworkPortWindow, IsUsedForTheRunAndNeverRemembered) {
    // A malformed name: no connection is tried, and the box names it.
    const char* url = "rfc2217://127.0.0.1";
    std::string error;
    // The simulated controller stands in for the serial ports here.
    ASSERT_TRUE(
        useStartBackend(readStartOptions("--port rfc2217://127.0.0.1"), &simPortOps, &error))
        << error;
    EXPECT_EQ(LinkPort, &netPortOps);
    start(3);
    EXPECT_STREQ(SelectedPortPath, url);
    EXPECT_EQ(CommPort, 3);
    for (int item : ComItems) EXPECT_FALSE(isChecked(item)) << item;

    pollStatus();
    pollStatus();
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_NE(boxCalls()[0].caption.find(url), std::string::npos) << boxCalls()[0].caption;
    EXPECT_NE(boxCalls()[0].text.find("give HOST:PORT"), std::string::npos) << boxCalls()[0].text;

    // Whatever writes the settings keeps the file's own port.
    writeAppSettings(AppSettingsFileName);
    EXPECT_NE(readFileBytes(iniPath()).find("CommPort= 3"), std::string::npos);

    command(IDM_COM2);
    EXPECT_EQ(LinkPort, &simPortOps);
    EXPECT_TRUE(isChecked(IDM_COM2));
    EXPECT_NE(readFileBytes(iniPath()).find("CommPort= 2"), std::string::npos);
}
