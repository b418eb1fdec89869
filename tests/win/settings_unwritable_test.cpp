// A folder in which ZuvelS.ini can't be written (as a program folder under
// Program Files is for a user): the window says so once per run, in the language of the
// moment, naming the folder and the setup, and the old file stays.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "shell/language_entries.h"
#include "shell_fixture.h"

using namespace shelltest;

namespace {

// A folder that takes no new file, whoever asks (the tests may run as
// root, whom a folder's mode doesn't stop): Linux's /sys, as Wine shows it.
// The program's own folder stays where its Lang\ is; only the current
// folder, where ZuvelS.ini is written, moves there.
const char UnwritableFolder[] = "Z:\\sys";

class SettingsUnwritableTest : public ShellTest {
protected:
    void lock() {
        ASSERT_TRUE(SetCurrentDirectoryA(UnwritableFolder));
        FILE* probe = fopen("ZuvelS.tmp", "wb");
        if (probe) fclose(probe);
        ASSERT_EQ(probe, nullptr) << UnwritableFolder << " takes new files here";
    }
    std::string boxText(const char* code) const {
        return entryText(code, EntrySettingsUnwritable) + "\n\n" + UnwritableFolder + "\n\n" +
               entryText(code, EntrySettingsSetupHint);
    }
};

TEST_F(SettingsUnwritableTest, IsToldOncePerRunNamingTheFolderAndTheSetup) {
    start(1, "pol");
    const std::string before = readFileBytes(iniPath());
    lock();

    command(IDM_LANG_ANG);
    drainMessages();
    ASSERT_EQ(boxCalls().size(), 1u);
    // In the language just chosen, although the choice itself is lost.
    EXPECT_EQ(boxCalls()[0].caption, entryText("ang", EntrySettingsUnwritableCaption));
    EXPECT_EQ(boxCalls()[0].text, boxText("ang"));
    EXPECT_EQ(boxCalls()[0].owner, mainWindow);

    // More lost choices in the same run: no second box.
    lock();
    command(IDM_LANG_CS);
    lock();
    command(IDM_COM3);
    drainMessages();
    EXPECT_EQ(boxCalls().size(), 1u);
    EXPECT_EQ(readFileBytes(iniPath()), before);

    // The next run, started in its own folder, tells again.
    DestroyWindow(mainWindow);
    drainMessages();
    ASSERT_TRUE(setCurrentFolder(dir.c_str()));
    ASSERT_NE(createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE), nullptr);
    drainMessages();
    lock();
    command(IDM_LANG_RUS);
    drainMessages();
    ASSERT_EQ(boxCalls().size(), 2u);
    EXPECT_EQ(boxCalls()[1].caption, entryText("rus", EntrySettingsUnwritableCaption));
}

}  // namespace
