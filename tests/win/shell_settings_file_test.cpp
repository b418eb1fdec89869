// "Save As..." and "Open..." from the menu, with the file dialog replaced by
// a chosen name, against the simulated controller: file bytes and frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "shell/seams_win.h"
#include "link/blocks.h"
#include "link/parameters.h"
#include "res/resource.h"
#include "shell/settings_file.h"
#include "shell/settings_file_win.h"
#include "shell_fixture.h"

using namespace shelltest;

namespace {

std::string chosenPath;
int chooserCalls = 0;
bool chooseFile(HWND, bool, const SettingsFormat&, char* path, size_t cap) {
    ++chooserCalls;
    snprintf(path, cap, "%s", chosenPath.c_str());
    return true;
}

// Like the system dialogs: the user browses to another folder (dialogFolder)
// and then picks chosenPath, or cancels.
std::string dialogFolder;
bool chooseAfterBrowsing(HWND owner, bool save, const SettingsFormat& fmt, char* path, size_t cap) {
    setCurrentFolder(dialogFolder.c_str());
    return save && chooseFile(owner, save, fmt, path, cap);
}

// Records like the fixture's box, and answers Yes to the overwrite question.
int recordBoxAnswerYes(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    recordBox(owner, text, caption, type);
    return (type & MB_YESNO) ? IDYES : IDOK;
}

// Requests the controller received since the log was cleared.
std::vector<std::vector<uint8_t>> requestsSeen() {
    std::vector<std::vector<uint8_t>> out;
    for (const SimFrame& f : simFrameLog())
        if (f.dir == '>') out.push_back(f.bytes);
    return out;
}

struct KeyLine {
    std::string key;
    int value;
};
std::vector<KeyLine> keyLines(const std::string& text) {
    std::istringstream in(text);
    std::string header, version, section;
    in >> header >> version >> section;
    std::vector<KeyLine> lines;
    KeyLine k;
    while (in >> k.key >> k.value) lines.push_back(k);
    return lines;
}

class SettingsFileCommands : public ShellTest {
protected:
    decltype(shellSeams.settingsFileChooser) savedChooser = nullptr;
    decltype(shellSeams.settingsMessageBox) savedBox = nullptr;

    void SetUp() override {
        ShellTest::SetUp();
        savedChooser = shellSeams.settingsFileChooser;
        savedBox = shellSeams.settingsMessageBox;
        shellSeams.settingsFileChooser = chooseFile;
        shellSeams.settingsMessageBox = recordBoxAnswerYes;
        chooserCalls = 0;
        // As the file dialog gives a name in the fitter's letters, in a
        // folder named so too.
        chosenPath = dir + "\\nustatymai \xC4\x97\xC5\xAB\xC5\x82 \xD0\x96.zs2";
        start(1, "ang");
        pollStatus();  // link up, generation 3
        ASSERT_EQ(LinkState, LinkStateKind::Up);
        ASSERT_EQ(ControllerGeneration, 3);
        simClearLog();
    }
    void TearDown() override {
        shellSeams.settingsFileChooser = savedChooser;
        shellSeams.settingsMessageBox = savedBox;
        removeFile(chosenPath);
        ShellTest::TearDown();
    }
};

TEST_F(SettingsFileCommands, SaveReadsTheBlocksAndWritesTheVersion3File) {
    command(IDM_SAVE_AS);
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_TRUE(boxCalls().empty());

    // The status first, then the four blocks.
    const std::vector<std::vector<uint8_t>> reads = {{0x65, 0x01, 0x01, 0x67},
                                                     {0x65, 0x02, 0x02, 0x69},
                                                     {0x65, 0x03, 0x03, 0x6B},
                                                     {0x65, 0x04, 0x04, 0x6D},
                                                     {0x65, 0x05, 0x05, 0x6F}};
    EXPECT_EQ(requestsSeen(), reads);

    const std::string text = readFileBytes(chosenPath);
    EXPECT_EQ(text.compare(0, 10, "[Zuvel_S2]"), 0) << text;
    const std::vector<KeyLine> lines = keyLines(text);
    ASSERT_EQ(lines.size(), 33u);
    const SimState& sim = simState();
    EXPECT_EQ(lines[0].key, "Options=");
    EXPECT_EQ(lines[0].value, sim.configA.options);
    EXPECT_EQ(lines[7].key, "ZAM_OTW_BJ=");
    EXPECT_EQ(lines[7].value, sim.extended.zamOtwBj);
    EXPECT_EQ(lines[13].key, "AttInit=");
    EXPECT_EQ(lines[13].value, sim.live.attInit);
    EXPECT_EQ(lines[27].key, "Prog1=");
    EXPECT_EQ(lines[27].value, sim.extended.prog1);
    EXPECT_EQ(lines[31].key, "WOZG=");
    EXPECT_EQ(lines[31].value, sim.configA.emulDoTimeHi);
    EXPECT_EQ(lines[32].key, "NULL=");
    EXPECT_EQ(lines[32].value, 0);
}

TEST_F(SettingsFileCommands, LoadSendsEveryValueToItsShiftedAddressInFileOrder) {
    command(IDM_SAVE_AS);
    std::string text = readFileBytes(chosenPath);
    // A fitter's change: another lambda delay.
    const size_t at = text.find("LambdaDelay= ");
    ASSERT_NE(at, std::string::npos);
    const size_t end = text.find_first_of("\r\n", at);
    const int newDelay = (simState().configA.lambdaDelay + 7) & 0xFF;
    text.replace(at, end - at, "LambdaDelay= " + std::to_string(newDelay));
    writeFileBytes(chosenPath, text);

    simClearLog();
    command(IDM_OPEN);
    EXPECT_TRUE(boxCalls().empty());

    const std::vector<KeyLine> lines = keyLines(text);
    std::vector<std::vector<uint8_t>> expected;
    for (size_t i = 0; i < 32; ++i) {
        const uint8_t wire = static_cast<uint8_t>(settingsParameter(3, int(i))->address + 1);
        const uint8_t v = static_cast<uint8_t>(lines[i].value);
        expected.push_back({0x65, wire, v, static_cast<uint8_t>(0x65 + wire + v)});
    }
    // The writes in file order, then the read-back of the checked load.
    std::vector<std::vector<uint8_t>> seen = requestsSeen();
    ASSERT_GT(seen.size(), expected.size());
    seen.resize(expected.size());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(simState().configA.lambdaDelay, newDelay);
}

TEST_F(SettingsFileCommands, LoadThatStopsHalfwaySaysSoAndChangesNoFile) {
    command(IDM_SAVE_AS);
    const std::string file = readFileBytes(chosenPath);
    const std::string ini = readFileBytes(iniPath());
    // The controller confirms ten values, then goes quiet.
    simSetFault(SimFault::Drop, 10);
    simClearLog();
    command(IDM_OPEN);

    EXPECT_EQ(requestsSeen().size(), 11u) << "sending stops at the first unconfirmed value";
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_EQ(boxCalls()[0].caption, entryText("ang", 170));
    EXPECT_EQ(boxCalls()[0].text, entryText("ang", 171));
    EXPECT_EQ(readFileBytes(chosenPath), file);
    EXPECT_EQ(readFileBytes(iniPath()), ini);
}

TEST_F(SettingsFileCommands, SaveWithTheLinkDownSaysSoAndKeepsTheOldFile) {
    const std::string good = "[Zuvel_S2]\nVersion=3\n[Configuration]\nOptions= 1\n";
    writeFileBytes(chosenPath, good);
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Down);

    command(IDM_SAVE_AS);
    ASSERT_EQ(boxCalls().size(), 2u);  // the overwrite question, then the error
    EXPECT_EQ(boxCalls()[0].text, entryText("ang", 173));
    // The controller is the problem, not the file.
    EXPECT_EQ(boxCalls()[1].caption, entryText("ang", 166));
    EXPECT_EQ(boxCalls()[1].text, entryText("ang", 30) + "\n" + entryText("ang", 31));
    EXPECT_EQ(readFileBytes(chosenPath), good);
}

TEST_F(SettingsFileCommands, LoadOfAVersion1FileIsRefusedBeforeAnythingIsSent) {
    writeFileBytes(chosenPath, "[Zuvel_S]\nVersion=1.2\n[Configuration]\nOptions= 1\n");
    command(IDM_OPEN);
    ASSERT_EQ(boxCalls().size(), 1u);
    EXPECT_EQ(boxCalls()[0].text, entryText("ang", 168));
    EXPECT_EQ(boxCalls()[0].caption, entryText("ang", 169));
    EXPECT_TRUE(requestsSeen().empty());
}

TEST_F(SettingsFileCommands, DialogsLeaveTheProgramFolderCurrentSoTheIniStaysThere) {
    dialogFolder = dir + "\\elsewhere";
    ASSERT_TRUE(makeFolder(dialogFolder));
    shellSeams.settingsFileChooser = chooseAfterBrowsing;
    command(IDM_OPEN);     // browsed, then cancelled
    command(IDM_SAVE_AS);  // browsed, then saved
    ASSERT_EQ(readFileBytes(chosenPath).compare(0, 10, "[Zuvel_S2]"), 0);

    command(IDM_COM3);
    const std::string stray = dialogFolder + "\\ZuvelS.ini";
    EXPECT_EQ(readFileBytes(stray), "<missing>");
    EXPECT_NE(readFileBytes(iniPath()).find("CommPort= 3"), std::string::npos);
    removeFile(stray);
    removeFolder(dialogFolder);
}

}  // namespace
