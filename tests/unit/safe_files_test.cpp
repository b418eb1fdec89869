// Settings files under damage: a file with any byte changed loads with
// exactly the values it says or is refused, and a save cut short at any
// moment leaves the target as it was or complete.
#include "link/block_stores.h"
#include "shell/settings_file.h"
#include "shell/text_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
    for (size_t i = 1; i + 1 < sizeof blockStores().ConfigA; ++i)
        ++blockBytes(blockStores().ConfigA)[i];
    for (size_t i = 1; i + 1 < sizeof blockStores().ConfigB; ++i)
        ++blockBytes(blockStores().ConfigB)[i];
    for (size_t i = 1; i + 1 < sizeof blockStores().Extended; ++i)
        ++blockBytes(blockStores().Extended)[i];
    ++blockStores().Live.attInit;
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
        if (!tempAtReplace.empty()) {
            EXPECT_EQ(tempAtReplace, after);  // whole when it moves
        }
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

namespace {

bool writeHello(FILE* f, const void*) { return fputs("hello\n", f) >= 0; }

std::string kindAt(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "missing";
    if (S_ISLNK(st.st_mode)) return "symlink";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    if (S_ISCHR(st.st_mode)) return "device";
    if (S_ISDIR(st.st_mode)) return "folder";
    return S_ISREG(st.st_mode) ? "file" : "other";
}

unsigned modeAt(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// What a save finds at its path, and what must hold after it.
struct ReplaceCase {
    const char* name;
    void (*prepare)(const std::string& dir);  // makes dir + "/target" and what it needs
    bool written;
    int errnoAfter;  // when refused
    const char* kindAfter;
    const char* fileWithText;  // the file (below dir) that holds "hello\n", or ""
};

void makeFile(const std::string& path, const char* text, unsigned mode) {
    writeFileBytes(path, text);
    chmod(path.c_str(), mode);
}

const ReplaceCase ReplaceCases[] = {
    {"a new file", [](const std::string&) {}, true, 0, "file", "target"},
    {"a file keeps its mode", [](const std::string& d) { makeFile(d + "/target", "old", 0604); },
     true, 0, "file", "target"},
    {"a relative symlink is written through",
     [](const std::string& d) {
         makeFile(d + "/real", "old", 0640);
         symlink("real", (d + "/target").c_str());
     },
     true, 0, "symlink", "real"},
    {"a chain of symlinks into another folder",
     [](const std::string& d) {
         mkdir((d + "/sub").c_str(), 0755);
         makeFile(d + "/sub/real", "old", 0600);
         symlink((d + "/sub/real").c_str(), (d + "/sub/link").c_str());
         symlink("sub/link", (d + "/target").c_str());
     },
     true, 0, "symlink", "sub/real"},
    {"a dangling symlink gets its file",
     [](const std::string& d) { symlink("made", (d + "/target").c_str()); }, true, 0, "symlink",
     "made"},
    {"a symlink loop is refused",
     [](const std::string& d) { symlink("target", (d + "/target").c_str()); }, false, ELOOP,
     "symlink", ""},
    {"a FIFO is left alone", [](const std::string& d) { mkfifo((d + "/target").c_str(), 0644); },
     false, EINVAL, "fifo", ""},
    {"a folder is left alone", [](const std::string& d) { mkdir((d + "/target").c_str(), 0755); },
     false, EISDIR, "folder", ""},
};

// writeFileReplacing puts a new file only where a regular file is or none
// is; through a symlink it replaces the file the link names, beside it.
TEST_F(SafeFilesTest, ReplacingWritesThroughSymlinksKeepsModesAndLeavesOtherKindsAlone) {
    for (const ReplaceCase& c : ReplaceCases) {
        SCOPED_TRACE(c.name);
        const std::string d = dir + "/case";
        mkdir(d.c_str(), 0755);
        c.prepare(d);
        const unsigned modeBefore = modeAt(d + "/" + (*c.fileWithText ? c.fileWithText : "x"));
        errno = 0;
        EXPECT_EQ(writeFileReplacing((d + "/target").c_str(), writeHello, nullptr), c.written);
        if (!c.written) {
            EXPECT_EQ(errno, c.errnoAfter) << strerror(errno);
        }
        EXPECT_EQ(kindAt(d + "/target"), c.kindAfter);
        if (*c.fileWithText) {
            EXPECT_EQ(readFileBytes(d + "/" + c.fileWithText), "hello\n");
            if (modeBefore) {
                EXPECT_EQ(modeAt(d + "/" + c.fileWithText), modeBefore);
            }
        }
        EXPECT_EQ(system(("test -z \"$(find '" + d + "' -name '*.tmp')\"").c_str()), 0);
        removeScratchDir(d);
    }
}

// As root: a device node (of the kind of /dev/full, in the scratch folder)
// is neither replaced nor written.
TEST_F(SafeFilesTest, ReplacingLeavesADeviceAlone) {
    const std::string node = dir + "/full";
    if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "no device nodes here: " << strerror(errno);
    errno = 0;
    EXPECT_FALSE(writeFileReplacing(node.c_str(), writeHello, nullptr));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(kindAt(node), "device");
}

// The temporary name is as long as it has to be: long paths are written,
// a name at the folder entry's limit too, and a path beyond what the
// system takes fails with its reason.
TEST_F(SafeFilesTest, ReplacingTakesPathsOfAnyLengthTheSystemTakes) {
    std::string deep = dir;
    while (deep.size() < 1000) {
        deep += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    struct Case {
        std::string path;
        bool written;
        int errnoAfter;
    };
    const Case cases[] = {
        {deep + "/car.zss", true, 0},
        {dir + "/" + std::string(255, 'n'), true, 0},
        {deep + "/" + std::string(256, 'n'), false, ENAMETOOLONG},
        {deep + std::string(4000, '/') + "car.zss", false, ENAMETOOLONG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.size());
        errno = 0;
        EXPECT_EQ(writeFileReplacing(c.path.c_str(), writeHello, nullptr), c.written);
        EXPECT_EQ(errno, c.errnoAfter) << strerror(errno);
        if (c.written) {
            EXPECT_EQ(readFileBytes(c.path), "hello\n");
        }
    }
    EXPECT_EQ(system(("test -z \"$(find '" + dir + "' -name '*.tmp')\"").c_str()), 0);
}

// readWord stops in a word without end; the rest is left for the next call.
TEST_F(SafeFilesTest, AWordWithoutEndIsReadInBoundedSteps) {
    std::string text(100000, 'w');
    FILE* f = fmemopen(&text[0], text.size(), "r");
    ASSERT_NE(f, nullptr);
    char word[8];
    EXPECT_EQ(readWord(f, word, sizeof word), MaxWordLength);
    EXPECT_STREQ(word, "wwwwwww");
    EXPECT_EQ(ftell(f), MaxWordLength);
    fclose(f);
}

}  // namespace

namespace {

// The file's bytes through openInputFile; false with its reason.
static bool readInput(const std::string& path, long long maxBytes, std::string* text,
                      std::string* error) {
    FILE* f = openInputFile(path.c_str(), maxBytes, error);
    if (!f) return false;
    text->clear();
    for (int c; (c = getc(f)) != EOF;) *text += static_cast<char>(c);
    fclose(f);
    return true;
}

// Reads are of regular files within their kind's size: the rest is refused
// with the reason, before it can block or stream.
TEST_F(SafeFilesTest, OnlyRegularFilesWithinTheirSizeAreRead) {
    writeFileBytes(dir + "/small", "1234");
    writeFileBytes(dir + "/large", std::string(5000, 'x'));
    ASSERT_EQ(symlink("small", (dir + "/link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    struct Case {
        std::string path;
        const char* reason;  // "" when it is read
    };
    const Case cases[] = {
        {dir + "/small", ""},
        {dir + "/link", ""},
        {dir + "/large", "too large for a file of this kind (5000 bytes; at most 4096)"},
        {dir, "a folder, not a file"},
        {dir + "/pipe", "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir + "/none", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string text, error;
        const bool read = readInput(c.path, 4096, &text, &error);
        EXPECT_EQ(read, !*c.reason);
        EXPECT_EQ(read ? text : error, *c.reason ? c.path + ": " + c.reason : "1234");
    }
}

// A stream output truncates a file in place: a symlink stays, the mode too;
// what is not a regular file is refused before anything is written.
TEST_F(SafeFilesTest, StreamOutputsKeepSymlinksAndModesAndRefuseOtherKinds) {
    makeFile(dir + "/real.csv", "old rows", 0604);
    ASSERT_EQ(symlink("real.csv", (dir + "/log.csv").c_str()), 0);
    std::string error;
    FILE* f = openOutputFile((dir + "/log.csv").c_str(), &error);
    ASSERT_NE(f, nullptr) << error;
    fputs("row\n", f);
    EXPECT_TRUE(closeOutputFile(f, (dir + "/log.csv").c_str(), &error)) << error;
    EXPECT_EQ(kindAt(dir + "/log.csv"), "symlink");
    EXPECT_EQ(readFileBytes(dir + "/real.csv"), "row\n");
    EXPECT_EQ(modeAt(dir + "/real.csv"), 0604u);

    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    const struct {
        std::string path;
        const char* reason;
    } refused[] = {
        {dir + "/pipe", "not a regular file; it is left as it is"},
        {dir, "a folder, not a file"},
        {dir + "/none/log.csv", "no such folder"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(checkOutputPath(c.path.c_str(), &error));
        EXPECT_EQ(error, c.path + ": " + c.reason);
        EXPECT_EQ(openOutputFile(c.path.c_str(), &error), nullptr);
        EXPECT_EQ(error, c.path + ": " + c.reason);
    }
    EXPECT_EQ(kindAt(dir + "/pipe"), "fifo");
}

// A stream output whose writes all failed (here: no file may grow, as on
// a full disk) says why and leaves no empty file behind. In a child, as
// the limit holds for the whole process.
TEST_F(SafeFilesTest, AStreamOutputThatGotNothingWrittenLeavesNoEmptyFile) {
    const std::string path = dir + "/log.csv";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit none = {0, 0};
        setrlimit(RLIMIT_FSIZE, &none);
        std::string error;
        FILE* f = openOutputFile(path.c_str(), &error);
        if (!f) _exit(10);
        fputs("row\n", f);
        const bool closed = closeOutputFile(f, path.c_str(), &error);
        _exit(closed ? 11 : error == path + ": File too large" ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: not opened, 11: closed as good, 12: other reason";
    EXPECT_EQ(kindAt(path), "missing");
}

}  // namespace
