// Settings files under damage.
#include "shell/settings_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_files.h"

#include "link/blocks.h"
#include "link/link.h"
#include "sim/sim.h"

namespace {

// The stores as the simulated controller's factory configuration, or with
// every configuration byte one higher (a second, different file).
void setStores(int generation, bool changed) {
    SimConfig config;
    config.generation = generation;
    simReset(config, 0);
    Live = simState().live;
    ConfigA = simState().configA;
    ConfigB = simState().configB;
    Extended = simState().extended;
    if (!changed) return;
    for (size_t i = 1; i + 1 < sizeof ConfigA; ++i) ++blockBytes(ConfigA)[i];
    for (size_t i = 1; i + 1 < sizeof ConfigB; ++i) ++blockBytes(ConfigB)[i];
    for (size_t i = 1; i + 1 < sizeof Extended; ++i) ++blockBytes(Extended)[i];
    ++Live.attInit;
}

class SafeFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLinkState();
        fillSettingsKeyTables();
        dir = makeScratchDir("zsafe");
        ASSERT_FALSE(dir.empty());
        path = dir + "/car.zss";
    }
    void TearDown() override {
        resetLinkState();
        removeScratchDir(dir);
    }

    // A settings file as the program saves it.
    std::string savedFile(int generation, bool changed) {
        setStores(generation, changed);
        const std::string p = dir + "/saved";
        EXPECT_TRUE(writeSettingsFile(p.c_str(), settingsFormatFor(generation)));
        return readFileBytes(p);
    }

    std::string dir, path;
};

// Found by the settings-file fuzz target: a zero byte ended a word early, so
// "20<zero>5" loaded as 20.
TEST_F(SafeFilesTest, AZeroByteInsideAWordIsRefused) {
    const std::string v1 = savedFile(1, false);
    struct Case {
        const char* name;
        std::string after;  // the zero byte goes right after the first ...
        std::string extra;  // ... followed by this
    };
    const Case cases[] = {
        {"inside a value", "EmulBJ_TimeHi= 20", "5"},  {"after a value", "EmulBJ_TimeHi= 20", ""},
        {"after the last value", "AttMin_BJ= 40", ""}, {"after a header word", "[Zuvel_S]", ""},
        {"after a key word", "LambdaType=", ""},
    };
    for (const Case& c : cases) {
        const size_t at = v1.find(c.after);
        ASSERT_NE(at, std::string::npos) << c.name;
        std::string file = v1;
        file.insert(at + c.after.size(), std::string(1, '\0') + c.extra);
        writeFileBytes(path, file);
        LoadedSettings s;
        EXPECT_EQ(readSettingsFile(path.c_str(), settingsFormatFor(1), &s), LoadCheck::WrongFormat)
            << c.name;
    }
}

}  // namespace
