// A folder in which ZuvelS.ini can't be written (a program folder the user
// may not write): the window says so once per run, in the language of the
// moment, naming the folder and the setup, and the old file stays.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/language_entries.h"
#include "shell_fixture.h"

using namespace shelltest;

namespace {

// The folder's Unix path, from Wine.
std::string unixPathOf(const std::string& windowsPath) {
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    const ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = toUnix ? toUnix(wide) : nullptr;
    const std::string path = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

// Runs chattr on the folder: "+i" makes it take no new file, even from
// root (as the tests may run), as a folder under Program Files takes none
// from a user; "-i" gives it back.
bool chattr(const char* flag, const std::string& folder) {
    std::string commandLine =
        std::string("/usr/bin/chattr ") + flag + " \"" + unixPathOf(folder) + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA("Z:\\usr\\bin\\chattr", &commandLine[0], nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &si, &pi))
        return false;
    const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return ended && code == 0;
}

class SettingsUnwritableTest : public ShellTest {
protected:
    bool locked = false;
    void lock() { ASSERT_TRUE(locked = chattr("+i", dir)) << "chattr +i " << unixPathOf(dir); }
    void TearDown() override {
        if (locked) {
            EXPECT_TRUE(chattr("-i", dir));
        }
        ShellTest::TearDown();
    }
    std::string folder() const {
        char buf[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof buf, buf);
        return buf;
    }
    std::string boxText(const char* code) const {
        return entryText(code, EntrySettingsUnwritable) + "\n\n" + folder() + "\n\n" +
               entryText(code, EntrySettingsSetupHint);
    }
};

TEST_F(SettingsUnwritableTest, IsToldOncePerRunNamingTheFolderAndTheSetup) {
    start(1, "pol");
    const std::string before = readFileBytes(iniPath());
    lock();
    FILE* probe = fopen((dir + "\\probe.txt").c_str(), "wb");
    ASSERT_EQ(probe, nullptr) << "the folder still takes new files";

    command(IDM_LANG_ANG);
    drainMessages();
    ASSERT_EQ(boxCalls().size(), 1u);
    // In the language just chosen, although the choice itself is lost.
    EXPECT_EQ(boxCalls()[0].caption, entryText("ang", EntrySettingsUnwritableCaption));
    EXPECT_EQ(boxCalls()[0].text, boxText("ang"));
    EXPECT_EQ(boxCalls()[0].owner, mainWindow);

    // More lost choices in the same run: no second box.
    command(IDM_LANG_CS);
    command(IDM_COM3);
    drainMessages();
    EXPECT_EQ(boxCalls().size(), 1u);
    EXPECT_EQ(readFileBytes(iniPath()), before);

    // The next run tells again.
    DestroyWindow(mainWindow);
    drainMessages();
    ASSERT_NE(createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE), nullptr);
    drainMessages();
    command(IDM_LANG_RUS);
    drainMessages();
    ASSERT_EQ(boxCalls().size(), 2u);
    EXPECT_EQ(boxCalls()[1].caption, entryText("rus", EntrySettingsUnwritableCaption));
}

}  // namespace
