// Settings files under damage: a file with any byte changed loads with
// exactly the values it says or is refused, and a save cut short at any
// moment leaves the target as it was or complete.
#include "shell/settings_file.h"
#include "shell/text_file.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "plain_settings.h"
#include "test_files.h"

#include "link/blocks.h"
#include "link/link.h"
#include "sim/sim.h"
#include "tests/sim_frames.h"

namespace {

// The stores as the simulated controller's factory configuration, or with
// every configuration byte one higher (a second, different file).
void setStores(int generation, bool changed) {
    simframes::storesFromSimulator(generation);
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

    // "" when the reader's verdict on content matches the plain reading,
    // else what differs. Read from memory: thousands of files are too slow.
    std::string verdictMismatch(std::string content, const SettingsFormat& fmt, bool* loaded) {
        FILE* f = fmemopen(&content[0], content.size(), "r");
        if (!f) return "cannot open";
        LoadedSettings s;
        const LoadCheck check = readSettingsStream(f, fmt, &s);
        fclose(f);
        uint8_t expected[33] = {0};
        *loaded = plain::readSettings(content, fmt, expected);
        if (*loaded != (check == LoadCheck::Ok)) return *loaded ? "refused" : "loaded";
        if (*loaded && memcmp(s.values, expected, static_cast<size_t>(fmt.keyCount)) != 0)
            return "loaded other values";
        if (!*loaded && s.sendCount != 0) return "refused but values left";
        return "";
    }

    std::string dir, path;
};

// Each byte in turn: inverted, each of its bits flipped, and replaced by the
// bytes that mean something to the format.
TEST_F(SafeFilesTest, AnyChangedByteLoadsExactlyOrIsRefused) {
    const uint8_t meaningful[] = {0,   ' ', '\n', '\r', '\t', '\v', '+', '-', '0',
                                  '1', '5', '9',  '=',  'A',  '[',  ']', 0xFF};
    for (int generation : {1, 3}) {
        const SettingsFormat& fmt = settingsFormatFor(generation);
        const std::string original = savedFile(generation, false);
        ASSERT_GT(original.size(), 400u);
        int loaded = 0, refused = 0, mismatches = 0;
        for (size_t pos = 0; pos < original.size(); ++pos) {
            const uint8_t was = static_cast<uint8_t>(original[pos]);
            std::vector<uint8_t> variants = {static_cast<uint8_t>(~was)};
            for (int bit = 0; bit < 8; ++bit) variants.push_back(was ^ (1u << bit));
            variants.insert(variants.end(), meaningful, meaningful + sizeof meaningful);
            for (uint8_t v : variants) {
                if (v == was) continue;
                std::string changed = original;
                changed[pos] = static_cast<char>(v);
                bool loads = false;
                const std::string m = verdictMismatch(changed, fmt, &loads);
                (loads ? loaded : refused)++;
                if (!m.empty() && ++mismatches <= 5)
                    ADD_FAILURE() << "version " << fmt.version << ", byte " << pos << " set to "
                                  << int(v) << ": " << m;
            }
        }
        EXPECT_EQ(mismatches, 0) << "version " << fmt.version;
        // Both verdicts occur: digits changed into digits load, the rest mostly not.
        EXPECT_GT(loaded, 0);
        EXPECT_GT(refused, 0);
    }
}

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

// The save writes a temporary file beside the target and then puts it in the
// target's place: a process gone at any byte of the temporary file leaves
// the target as it was, and the next save goes through over the leftover.
TEST_F(SafeFilesTest, ASaveCutShortAtAnyByteLeavesTheTargetAsItWas) {
    const std::string before = savedFile(1, false);
    const std::string after = savedFile(1, true);
    ASSERT_NE(before, after);
    writeFileBytes(path, before);
    for (size_t cut = 0; cut <= after.size(); ++cut) {
        writeFileBytes(path + ".tmp", after.substr(0, cut));
        ASSERT_EQ(readFileBytes(path), before) << cut;
    }
    setStores(1, true);
    ASSERT_TRUE(writeSettingsFile(path.c_str(), settingsFormatFor(1)));
    EXPECT_EQ(readFileBytes(path), after);
    EXPECT_EQ(readFileBytes(path + ".tmp"), "<missing>");
}

// What the durable save did, in order, and which step is made to fail.
std::vector<std::string> saveSteps;
const char* failingStep = "";
std::string tempAtReplace;

bool recordFlush(FILE* f) {
    saveSteps.push_back("flush");
    return strcmp(failingStep, "flush") != 0 && SystemDurableFileCalls.flushToDisk(f);
}
bool recordReplace(const char* from, const char* to) {
    saveSteps.push_back("replace");
    tempAtReplace = readFileBytes(from);
    return strcmp(failingStep, "replace") != 0 && SystemDurableFileCalls.replace(from, to);
}

// The new bytes are on the disk before they take the old file's place; a
// step that fails leaves the old file and no temporary one behind.
TEST_F(SafeFilesTest, TheNewFileReachesTheDiskBeforeItReplacesTheOld) {
    const std::string before = savedFile(1, false);
    const std::string after = savedFile(1, true);
    const struct {
        const char* failing;
        bool saved;
        std::vector<std::string> steps;
    } cases[] = {
        {"", true, {"flush", "replace"}},
        {"flush", false, {"flush"}},
        {"replace", false, {"flush", "replace"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        writeFileBytes(path, before);
        saveSteps.clear();
        tempAtReplace.clear();
        failingStep = c.failing;
        durableFileCalls = {recordFlush, recordReplace};
        setStores(1, true);
        const bool saved = writeSettingsFile(path.c_str(), settingsFormatFor(1));
        durableFileCalls = SystemDurableFileCalls;
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(saveSteps, c.steps);
        if (!tempAtReplace.empty()) EXPECT_EQ(tempAtReplace, after);  // whole when it moves
        EXPECT_EQ(readFileBytes(path), c.saved ? after : before);
        EXPECT_EQ(readFileBytes(path + ".tmp"), "<missing>");
    }
}

// The real thing: a process saving two different files by turns, killed at
// random moments. Every time the target is one of the two, whole.
TEST_F(SafeFilesTest, ASaveKilledAtRandomMomentsLeavesAWholeFile) {
    const std::string first = savedFile(1, false);
    const std::string second = savedFile(1, true);
    writeFileBytes(path, first);
    std::mt19937 rng(1234);
    const int trials = 200;
    int intact = 0, midSave = 0;
    for (int t = 0; t < trials; ++t) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool changed = false;; changed = !changed) {
                setStores(1, changed);
                writeSettingsFile(path.c_str(), settingsFormatFor(1));
            }
        }
        usleep(rng() % 3000);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (readFileBytes(path + ".tmp") != "<missing>") ++midSave;
        const std::string now = readFileBytes(path);
        if (now == first || now == second) ++intact;
    }
    EXPECT_EQ(intact, trials);
    printf("%d saves killed, %d of them while the temporary file was there, %d targets whole\n",
           trials, midSave, intact);
}

}  // namespace
