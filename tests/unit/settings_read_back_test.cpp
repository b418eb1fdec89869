// The window's checked load: after the writes the blocks are read back and
// the first value that differs is named; the load's own stops come first.
#include <string>

#include <gtest/gtest.h>

#include "sim_link_fixture.h"
#include "test_files.h"

#include "shell/settings_file.h"

namespace {

class SettingsReadBack : public SimLinkTest {
protected:
    void SetUp() override {
        SimLinkTest::SetUp();
        fillSettingsKeyTables();
        dir = makeScratchDir("zreadback");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override {
        removeScratchDir(dir);
        SimLinkTest::TearDown();
    }
    // The controller's own settings, saved, with key k's value changed to
    // value: a file whose load changes exactly that key.
    std::string fileChanging(int generation, int key, int value) {
        const SettingsFormat& fmt = settingsFormatFor(generation);
        const std::string path = dir + (generation == 3 ? "/car.zs2" : "/car.zss");
        EXPECT_EQ(saveSettingsTo(path.c_str(), fmt), SaveResult::Saved);
        LoadedSettings s;
        EXPECT_EQ(readSettingsFile(path.c_str(), fmt, &s), LoadCheck::Ok);
        const std::string word = std::string(settingsKeyWord(fmt, 3 + key));
        std::string text = readFileBytes(path);
        const size_t at = text.find(word) + word.size();
        const size_t end = text.find_first_of("\r\n", at);
        text.replace(at, end - at, " " + std::to_string(value));
        writeFileBytes(path, text);
        return path;
    }
    std::string dir;
};

TEST_F(SettingsReadBack, AControllerThatKeepsTheValuesReadsBackTheSame) {
    for (int generation : {1, 3}) {
        start(generation);
        pollStatus();
        const std::string path = fileChanging(generation, 2, 3);
        ReadBackCheck check;
        EXPECT_EQ(loadSettingsChecked(path.c_str(), settingsFormatFor(generation), &check),
                  LoadResult::Sent)
            << generation;
        EXPECT_EQ(check.differing, 0) << generation;
    }
}

TEST_F(SettingsReadBack, AControllerThatForgetsIsNamedByKeyWrittenAndReadBack) {
    for (int generation : {1, 3}) {
        SimConfig c;
        c.generation = generation;
        c.fault = SimFault::Forget;
        simPortSetup(c);
        pollStatus();
        const SettingsFormat& fmt = settingsFormatFor(generation);
        LoadedSettings before;
        settingsFromStores(fmt, &before);
        const std::string path = fileChanging(generation, 4, 2);
        ReadBackCheck check;
        ASSERT_EQ(loadSettingsChecked(path.c_str(), fmt, &check), LoadResult::ReadBackDiffers)
            << generation;
        EXPECT_GE(check.differing, 1) << generation;
        EXPECT_EQ(check.key, 4) << generation;
        EXPECT_EQ(check.written, 2) << generation;
        EXPECT_NE(check.readBack, 2) << generation;
    }
}

TEST_F(SettingsReadBack, TheLoadsOwnFailuresComeBeforeAnyReadBack) {
    start(3);
    pollStatus();
    const std::string path = fileChanging(3, 1, 1);
    ReadBackCheck check;
    EXPECT_EQ(loadSettingsChecked((dir + "/missing.zs2").c_str(), settingsFormatFor(3), &check),
              LoadResult::CannotOpen);
    writeFileBytes(dir + "/bad.zs2", "not a settings file");
    EXPECT_EQ(loadSettingsChecked((dir + "/bad.zs2").c_str(), settingsFormatFor(3), &check),
              LoadResult::WrongFormat);
    // A controller that stops answering: the first write gets no reply.
    SimConfig c;
    c.fault = SimFault::Silent;
    simPortSetup(c);
    EXPECT_EQ(loadSettingsChecked(path.c_str(), settingsFormatFor(3), &check),
              LoadResult::WriteFailed);
    EXPECT_EQ(check.differing, 0);
}

}  // namespace
