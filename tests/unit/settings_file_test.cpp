#include "link/block_stores.h"
#include "shell/settings_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "test_files.h"

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "scripted_port.h"

namespace {

// Known block contents: every saved byte differs from its neighbours.
void fillBlocks(ConfigABlock* a, ConfigBBlock* b, LiveBlock* live, ExtendedBlock* ext) {
    for (size_t i = 0; i < sizeof *a; ++i) blockBytes(*a)[i] = static_cast<uint8_t>(10 + i);
    for (size_t i = 0; i < sizeof *b; ++i) blockBytes(*b)[i] = static_cast<uint8_t>(40 + i);
    for (size_t i = 0; i < sizeof *live; ++i) blockBytes(*live)[i] = static_cast<uint8_t>(70 + i);
    for (size_t i = 0; i < sizeof *ext; ++i) blockBytes(*ext)[i] = static_cast<uint8_t>(100 + i);
    a->options = 255;  // written unsigned
    b->attMinBj = 0;
}

const char ExpectedV1[] =
    "[Zuvel_S]\n"
    "Version=1.2\n"
    "[Configuration]\n"
    "Options= 255\n"
    "LambdaType= 12\n"
    "LambdaPoint= 13\n"
    "LambdaDelay= 14\n"
    "EmulType= 15\n"
    "EmulBJ_TimeHi= 16\n"
    "EmulBJ_TimeLo= 17\n"
    "EmulDO_TimeHi= 18\n"
    "EmulDO_TimeLo= 19\n"
    "InjectDelay= 20\n"
    "LPGOnTemp= 21\n"
    "AttMax= 41\n"
    "AttMin= 42\n"
    "AttInit= 74\n"
    "TPSJump= 43\n"
    "AttJump= 44\n"
    "LPGOnRPMLo= 45\n"
    "LPGOnRPMHi= 46\n"
    "IgnitionType= 47\n"
    "CutOffRPMLo= 48\n"
    "CutOffRPMHi= 49\n"
    "CutOffSteps= 50\n"
    "LPGOffRPMLo= 51\n"
    "LPGOffRPMHi= 52\n"
    "TPSInert= 22\n"
    "AttMax_BJ= 53\n"
    "AttMin_BJ= 0\n";

const char ExpectedV3[] =
    "[Zuvel_S2]\n"
    "Version=3\n"
    "[Configuration]\n"
    "Options= 255\n"
    "LambdaType= 12\n"
    "LambdaPoint= 13\n"
    "LambdaDelay= 14\n"
    "EmulType= 15\n"
    "EmulBJ_TimeHi= 16\n"
    "EmulBJ_TimeLo= 17\n"
    "ZAM_OTW_BJ= 106\n"
    "ZAM_OTW_DO= 107\n"
    "InjectDelay= 20\n"
    "LPGOnTemp= 21\n"
    "AttMax= 41\n"
    "AttMin= 42\n"
    "AttInit= 74\n"
    "TPSJump= 43\n"
    "AttJump= 44\n"
    "LPGOnRPMLo= 45\n"
    "LPGOnRPMHi= 46\n"
    "IgnitionType= 47\n"
    "CutOffRPMLo= 48\n"
    "CutOffRPMHi= 49\n"
    "CutOffSteps= 50\n"
    "LPGOffRPMLo= 51\n"
    "LPGOffRPMHi= 52\n"
    "TPSInert= 22\n"
    "AttMax_BJ= 53\n"
    "AttMin_BJ= 0\n"
    "Prog1= 101\n"
    "Prog2= 102\n"
    "Prog3= 103\n"
    "Prog4= 104\n"
    "WOZG= 18\n"
    "NULL= 0\n";

// Addresses in file order and the values of the expected files above.
const int AddressesV3[32] = {5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                             21, 22, 23, 24, 25, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37};
const int ValuesV1[27] = {255, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 41, 42, 74,
                          43,  44, 45, 46, 47, 48, 49, 50, 51, 52, 22, 53, 0};
const int ValuesV3[32] = {255, 12, 13, 14, 15, 16, 17, 106, 107, 20, 21, 41,  42,  74,  43,  44,
                          45,  46, 47, 48, 49, 50, 51, 52,  22,  53, 0,  101, 102, 103, 104, 18};

const std::vector<uint8_t> WriteAnswer = {0x65, 0x00, 0x00};
// A generation-3 controller's reply to a write: the value echoed.
std::vector<uint8_t> echoOf(int value) { return {0x65, uint8_t(value), uint8_t(0x65 + value)}; }
// The replies of a controller that confirms every write of s.
void queueConfirmations(const LoadedSettings& s, int generation) {
    for (int i = 0; i < s.sendCount; ++i)
        scripted::queueReply(generation == 3 ? echoOf(s.values[i]) : WriteAnswer);
}

template <typename Block>
std::vector<uint8_t> validReply(Block b) {
    uint8_t* bytes = blockBytes(b);
    bytes[0] = 0x65;
    bytes[sizeof b - 1] = byteSum(bytes, sizeof b - 1);
    return std::vector<uint8_t>(bytes, bytes + sizeof b);
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        scripted::reset();
        resetLinkState();
        useLinkBackend(&scriptedPortOps);
        fillSettingsKeyTables();
        dir = makeScratchDir("zset");
        ASSERT_FALSE(dir.empty());
        path = dir + "/car.zss";
    }
    void TearDown() override {
        resetLinkState();
        scripted::reset();
        removeScratchDir(dir);
    }

    void writeFile(const std::string& p, const std::string& content) { writeFileBytes(p, content); }
    std::string readFile(const std::string& p) { return readFileBytes(p); }
    void setGeneration(int generation) {
        blockStores().Status.identity = static_cast<uint8_t>((generation - 1) * 32);
        linkForTests().ControllerGeneration = generation;
    }
    // The port open, its echo probe done and the controller of the
    // generation set answering, as while a page polls.
    void linkUp() {
        scripted::queueSilence();
        queueStatus();
        pollStatus();
        ASSERT_EQ(LinkState, LinkStateKind::Up);
        scripted::clearLog();
    }
    // The status of the generation set, as the controller answers it.
    void queueStatus() {
        StatusBlock status = StatusBlock();
        status.identity = Status.identity;
        scripted::queueReply(validReply(status));
    }
    // The status, then Live, ConfigA, ConfigB and Extended as the controller
    // answers them.
    void queueBlocks(bool withExtended) {
        queueStatus();
        ConfigABlock a;
        ConfigBBlock b;
        LiveBlock live;
        ExtendedBlock ext;
        fillBlocks(&a, &b, &live, &ext);
        scripted::queueReply(validReply(live));
        scripted::queueReply(validReply(a));
        scripted::queueReply(validReply(b));
        if (withExtended) scripted::queueReply(validReply(ext));
    }
    static std::vector<std::vector<uint8_t>> frames() { return scripted::framesWritten(); }

    std::string dir, path;
};

TEST_F(SettingsFileTest, FormatFollowsControllerGeneration) {
    for (int generation : {0, 1, 2, 4, 7}) {
        const SettingsFormat& f = settingsFormatFor(generation);
        EXPECT_EQ(f.version, 1) << generation;
        EXPECT_STREQ(f.filterName, "ZuvelS settings (*.zss)");
        EXPECT_STREQ(f.filterPattern, "*.zss");
        EXPECT_STREQ(f.defaultExt, "zss");
        EXPECT_EQ(f.keyCount, 27);
    }
    const SettingsFormat& f = settingsFormatFor(3);
    EXPECT_EQ(f.version, 3);
    EXPECT_STREQ(f.filterName, "ZuvelS settings (*.zs2)");
    EXPECT_STREQ(f.filterPattern, "*.zs2");
    EXPECT_STREQ(f.defaultExt, "zs2");
    EXPECT_EQ(f.keyCount, 33);
}

TEST_F(SettingsFileTest, WritesBothVersionsByteExactFromTheBlockStores) {
    fillBlocks(&blockStores().ConfigA, &blockStores().ConfigB, &blockStores().Live,
               &blockStores().Extended);
    ASSERT_TRUE(writeSettingsFile(path.c_str(), settingsFormatFor(1)));
    EXPECT_EQ(readFile(path), ExpectedV1);
    const std::string path3 = dir + "/car.zs2";
    ASSERT_TRUE(writeSettingsFile(path3.c_str(), settingsFormatFor(3)));
    EXPECT_EQ(readFile(path3), ExpectedV3);
}

TEST_F(SettingsFileTest, SaveReadsTheBlocksAfreshFirst) {
    struct Case {
        int generation;
        const char* expected;
        size_t blockReads;
    };
    for (const Case& c : {Case{1, ExpectedV1, 4}, Case{3, ExpectedV3, 5}}) {
        scripted::reset();
        resetLinkState();
        setGeneration(c.generation);
        linkUp();
        queueBlocks(c.generation == 3);
        ASSERT_EQ(saveSettingsTo(path.c_str(), settingsFormatFor(c.generation)), SaveResult::Saved);
        EXPECT_EQ(readFile(path), c.expected) << c.generation;
        EXPECT_EQ(frames().size(), c.blockReads) << c.generation;
    }
}

TEST_F(SettingsFileTest, SaveReplacesAnExistingFileCompletelyAndLeavesNoTemporary) {
    writeFile(path, std::string(5000, 'z'));
    setGeneration(1);
    linkUp();
    queueBlocks(false);
    ASSERT_EQ(saveSettingsTo(path.c_str(), settingsFormatFor(1)), SaveResult::Saved);
    EXPECT_EQ(readFile(path), ExpectedV1);
    EXPECT_EQ(readFile(path + ".tmp"), "<missing>");
}

TEST_F(SettingsFileTest, SaveIsRefusedWithoutFreshBlocksAndTheOldFileSurvives) {
    struct Case {
        const char* name;
        bool up;
        int generation;
        int goodReplies;
    };
    const Case cases[] = {
        {"link down", false, 1, 3},
        {"Live block silent", true, 1, 0},
        {"ConfigB block garbled", true, 1, 2},
        {"Extended block silent", true, 3, 3},
    };
    const std::string good = "[Zuvel_S]\nkept as it was\n";
    for (const Case& c : cases) {
        scripted::reset();
        resetLinkState();
        writeFile(path, good);
        setGeneration(c.generation);
        if (c.up) linkUp();
        fillBlocks(&blockStores().ConfigA, &blockStores().ConfigB, &blockStores().Live,
                   &blockStores().Extended);  // stale stores must not be saved either
        ConfigABlock a;
        ConfigBBlock b;
        LiveBlock live;
        ExtendedBlock ext;
        fillBlocks(&a, &b, &live, &ext);
        if (c.up) queueStatus();
        std::vector<std::vector<uint8_t>> replies = {validReply(live), validReply(a),
                                                     validReply(b)};
        for (int i = 0; i < c.goodReplies; ++i) scripted::queueReply(replies[i]);
        if (c.goodReplies == 2) {
            std::vector<uint8_t> bad = validReply(b);
            bad.back() ^= 0xFF;
            scripted::queueReply(bad);
        }
        EXPECT_EQ(saveSettingsTo(path.c_str(), settingsFormatFor(c.generation)),
                  SaveResult::Refused)
            << c.name;
        EXPECT_EQ(readFile(path), good) << c.name;
        EXPECT_EQ(readFile(path + ".tmp"), "<missing>") << c.name;
    }
}

// A save from a page that doesn't poll (the wiring diagram) after the
// controller missed one tick on the last polling page, and a controller of
// the other generation answering by the time the save is made.
TEST_F(SettingsFileTest, SavePollsTheStatusBeforeTheBlocks) {
    struct Case {
        const char* name;
        int answeringGeneration;
        SaveResult expected;
    };
    const Case cases[] = {
        {"quiet flag left by the last page", 1, SaveResult::Saved},
        {"another generation answers now", 3, SaveResult::Refused},
    };
    for (const Case& c : cases) {
        scripted::reset();
        resetLinkState();
        setGeneration(c.answeringGeneration);
        linkUp();
        linkForTests().ControllerQuiet = true;
        queueBlocks(c.answeringGeneration == 3);
        setGeneration(1);
        EXPECT_EQ(saveSettingsTo(path.c_str(), settingsFormatFor(1)), c.expected) << c.name;
        ASSERT_FALSE(frames().empty()) << c.name;
        EXPECT_EQ(frames()[0],
                  std::vector<uint8_t>(RequestFrames[ReqStatus], RequestFrames[ReqStatus] + 4))
            << c.name;
    }
    EXPECT_EQ(readFile(path), ExpectedV1);
}

TEST_F(SettingsFileTest, SaveIntoMissingFolderFailsWithoutCreatingAnything) {
    fillBlocks(&blockStores().ConfigA, &blockStores().ConfigB, &blockStores().Live,
               &blockStores().Extended);
    const std::string bad = dir + "/no/such/folder/car.zss";
    EXPECT_FALSE(writeSettingsFile(bad.c_str(), settingsFormatFor(1)));
    EXPECT_EQ(readFile(bad), "<missing>");
}

TEST_F(SettingsFileTest, LoadSendsEveryValueToItsAddressInFileOrder) {
    struct Case {
        int generation;
        const char* file;
        const int* values;
        int count;
        int wireOffset;
    };
    const Case cases[] = {
        {1, ExpectedV1, ValuesV1, 27, 0},
        {3, ExpectedV3, ValuesV3, 32, 1},  // "NULL=" is not sent; the wire adds 1
    };
    for (const Case& c : cases) {
        scripted::reset();
        resetLinkState();
        setGeneration(c.generation);
        writeFile(path, c.file);
        for (int i = 0; i < c.count; ++i)
            scripted::queueReply(c.generation == 3 ? echoOf(c.values[i]) : WriteAnswer);
        int sent = -1;
        ASSERT_EQ(loadSettingsFrom(path.c_str(), settingsFormatFor(c.generation), &sent),
                  LoadResult::Sent);
        EXPECT_EQ(sent, c.count);
        auto written = frames();
        ASSERT_EQ(written.size(), static_cast<size_t>(c.count)) << c.generation;
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(written[i][1], AddressesV3[i] + c.wireOffset) << c.generation << " key " << i;
            EXPECT_EQ(written[i][2], c.values[i]) << c.generation << " key " << i;
        }
    }
}

TEST_F(SettingsFileTest, LoadStopsAtTheFirstWriteWithoutAFullReply) {
    struct Case {
        const char* name;
        int answered;
        std::vector<uint8_t> failing;
    };
    const Case cases[] = {
        {"tenth write silent", 9, {}},
        {"fifth write short", 4, {0x65, 0x00}},
        {"no controller", 0, {}},
    };
    for (const Case& c : cases) {
        scripted::reset();
        resetLinkState();
        setGeneration(1);
        writeFile(path, ExpectedV1);
        for (int i = 0; i < c.answered; ++i) scripted::queueReply(WriteAnswer);
        scripted::queueReply(c.failing);
        for (int i = 0; i < 30; ++i)
            scripted::queueReply(WriteAnswer);  // would be used if it went on
        int sent = -1;
        EXPECT_EQ(loadSettingsFrom(path.c_str(), settingsFormatFor(1), &sent),
                  LoadResult::WriteFailed)
            << c.name;
        EXPECT_EQ(sent, c.answered) << c.name;
        EXPECT_EQ(frames().size(), static_cast<size_t>(c.answered + 1)) << c.name;
    }
}

// Generation 3 echoes the value written in its reply: a whole reply that
// doesn't is no confirmation. Generation 1's reply has no echo, so its
// whole length is the only test there.
TEST_F(SettingsFileTest, AGeneration3WriteIsConfirmedOnlyByItsEcho) {
    struct Case {
        const char* name;
        int generation;
        std::vector<uint8_t> tenthReply;
        int sent;
    };
    const Case cases[] = {
        {"generation 3, zeros", 3, {0x00, 0x00, 0x00}, 9},
        {"generation 3, another value", 3, echoOf(ValuesV3[9] + 1), 9},
        {"generation 3, its echo", 3, echoOf(ValuesV3[9]), 32},
        {"generation 1, zeros", 1, {0x00, 0x00, 0x00}, 27},
    };
    for (const Case& c : cases) {
        scripted::reset();
        resetLinkState();
        setGeneration(c.generation);
        writeFile(path, c.generation == 3 ? ExpectedV3 : ExpectedV1);
        const int* values = c.generation == 3 ? ValuesV3 : ValuesV1;
        const int count = c.generation == 3 ? 32 : 27;
        for (int i = 0; i < count; ++i)
            scripted::queueReply(i == 9              ? c.tenthReply
                                 : c.generation == 3 ? echoOf(values[i])
                                                     : WriteAnswer);
        int sent = -1;
        const LoadResult result =
            loadSettingsFrom(path.c_str(), settingsFormatFor(c.generation), &sent);
        EXPECT_EQ(result, c.sent == count ? LoadResult::Sent : LoadResult::WriteFailed) << c.name;
        EXPECT_EQ(sent, c.sent) << c.name;
        EXPECT_EQ(frames().size(), size_t(c.sent == count ? count : c.sent + 1)) << c.name;
    }
}

TEST_F(SettingsFileTest, LoadToAControllerThatTakesNoWritesIsAFailure) {
    setGeneration(2);  // writeParameter sends nothing for it
    linkForTests().BytesTransferred = 3;
    writeFile(path, ExpectedV1);
    int sent = -1;
    EXPECT_EQ(loadSettingsFrom(path.c_str(), settingsFormatFor(1), &sent), LoadResult::WriteFailed);
    EXPECT_EQ(sent, 0);
    EXPECT_TRUE(frames().empty());
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(SettingsFileTest, LoadRejectsFilesNotOfTheExpectedFormat) {
    const std::string v1 = ExpectedV1;
    const std::string huge(10 * 1024, '7');
    struct Case {
        const char* name;
        int generation;
        std::string file;
    };
    const Case cases[] = {
        {"wrong header", 1, replaced(v1, "[Zuvel_S]", "[Zuvel_X]")},
        {"wrong version word", 1, replaced(v1, "Version=1.2", "Version=1.3")},
        {"version 3 file for generation 1", 1, ExpectedV3},
        {"version 1 file for generation 3", 3, v1},
        {"lower-case key", 1, replaced(v1, "AttInit=", "Attinit=")},
        {"key without its equals sign", 1, replaced(v1, "TPSInert=", "TPSInert")},
        {"short file", 1, replaced(v1, "AttMin_BJ= 0\n", "")},
        {"truncated value", 1, replaced(v1, "AttMin_BJ= 0\n", "AttMin_BJ=")},
        {"empty file", 1, ""},
        {"30-character key", 1, replaced(v1, "Options=", "Options=xxxxxxxxxxxxxxxxxxxxxx")},
        {"10 KB key", 1, replaced(v1, "Options=", huge)},
        {"10 KB value", 1, replaced(v1, "= 255", "= " + huge)},
        {"value 256", 1, replaced(v1, "= 255", "= 256")},
        {"value -1", 1, replaced(v1, "= 255", "= -1")},
        {"value not a number", 1, replaced(v1, "= 255", "= abc")},
        {"value with trailing text", 1, replaced(v1, "= 255", "= 25x")},
        {"key and value run together", 1, replaced(v1, "LambdaType= 12", "LambdaType=12")},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.file, c.generation == 1 ? v1 : std::string(ExpectedV3)) << c.name;
        scripted::reset();
        resetLinkState();
        setGeneration(c.generation);
        writeFile(path, c.file);
        for (int i = 0; i < 40; ++i) scripted::queueReply(WriteAnswer);
        EXPECT_EQ(loadSettingsFrom(path.c_str(), settingsFormatFor(c.generation), nullptr),
                  LoadResult::WrongFormat)
            << c.name;
        EXPECT_TRUE(frames().empty()) << c.name;
    }
}

TEST_F(SettingsFileTest, EveryReadStartsFromAnEmptyList) {
    writeFile(path, ExpectedV1);
    LoadedSettings s;
    ASSERT_EQ(readSettingsFile(path.c_str(), settingsFormatFor(1), &s), LoadCheck::Ok);
    EXPECT_EQ(s.sendCount, 27);
    writeFile(path, replaced(ExpectedV1, "AttMin_BJ= 0\n", ""));
    EXPECT_EQ(readSettingsFile(path.c_str(), settingsFormatFor(1), &s), LoadCheck::WrongFormat);
    EXPECT_EQ(s.sendCount, 0);
    EXPECT_EQ(s.values[0], 0);
}

TEST_F(SettingsFileTest, LoadAcceptsOtherSpacingAndSignedZero) {
    std::string file = replaced(ExpectedV1, "Options= 255\n", "Options=\t\t+255   ");
    file = replaced(file, "AttMin_BJ= 0\n", "AttMin_BJ=\n\n-0");  // no newline at the end
    writeFile(path, file);
    LoadedSettings s;
    ASSERT_EQ(readSettingsFile(path.c_str(), settingsFormatFor(1), &s), LoadCheck::Ok);
    EXPECT_EQ(s.values[0], 255);
    EXPECT_EQ(s.values[26], 0);

    // As the program writes it in text mode on Windows.
    std::string crlf;
    for (char c : std::string(ExpectedV1))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    writeFile(path, crlf);
    ASSERT_EQ(readSettingsFile(path.c_str(), settingsFormatFor(1), &s), LoadCheck::Ok);
    for (int i = 0; i < 27; ++i) EXPECT_EQ(s.values[i], ValuesV1[i]) << i;
}

TEST_F(SettingsFileTest, MissingFileCannotBeOpened) {
    EXPECT_EQ(loadSettingsFrom((dir + "/none.zss").c_str(), settingsFormatFor(1), nullptr),
              LoadResult::CannotOpen);
    EXPECT_TRUE(frames().empty());
}

TEST_F(SettingsFileTest, SavedVersion3FileLoadsBackUnchanged) {
    setGeneration(3);
    linkUp();
    queueBlocks(true);
    const std::string path3 = dir + "/car.zs2";
    ASSERT_EQ(saveSettingsTo(path3.c_str(), settingsFormatFor(3)), SaveResult::Saved);
    scripted::clearLog();
    LoadedSettings saved;
    ASSERT_EQ(readSettingsFile(path3.c_str(), settingsFormatFor(3), &saved), LoadCheck::Ok);
    queueConfirmations(saved, 3);
    ASSERT_EQ(loadSettingsFrom(path3.c_str(), settingsFormatFor(3), nullptr), LoadResult::Sent);
    auto written = frames();
    ASSERT_EQ(written.size(), 32u);
    EXPECT_EQ(written.back()[1], 38);  // "WOZG=" at address 37, the last one sent
    EXPECT_EQ(written.back()[2], 18);
}

// What follows the last key is ignored, as ever, but counted from its
// first byte that isn't blank, so lpgctl can warn of it.
TEST_F(SettingsFileTest, BytesAfterTheLastKeyAreCountedAndIgnored) {
    std::string noise(3000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 131 + 7);
    noise[0] = 'x';
    const struct {
        const char* name;
        std::string after;
        long counted;
    } cases[] = {
        {"nothing", "", 0},
        {"blank lines", "\n \t\r\n\n", 0},
        {"a word", "\n\nextra= 5\n", 9},
        {"3,000 bytes of noise", noise, 3000},
    };
    for (const auto& c : cases) {
        writeFile(path, ExpectedV1 + c.after);
        LoadedSettings s;
        ASSERT_EQ(readSettingsFile(path.c_str(), settingsFormatFor(1), &s), LoadCheck::Ok)
            << c.name;
        EXPECT_EQ(s.trailingBytes, c.counted) << c.name;
        for (int i = 0; i < 27; ++i) EXPECT_EQ(s.values[i], ValuesV1[i]) << c.name << " " << i;
    }
}

// Only a regular file of a settings file's size is read; anything else is
// refused with the reason before it can block or stream without end.
TEST_F(SettingsFileTest, OnlyARegularFileOfBoundedSizeIsRead) {
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    writeFile(dir + "/big.zss", ExpectedV1 + std::string(MaxSettingsFileBytes, ' '));
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir + "/pipe", "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir, "a folder, not a file"},
        {dir + "/big.zss", "too large for a file of this kind"},
        {dir + "/none.zss", "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const int result = resultWithin(10, [&] {
            LoadedSettings s;
            std::string error;
            const LoadCheck check =
                readSettingsFile(c.path.c_str(), settingsFormatFor(1), &s, &error);
            if (check != LoadCheck::CannotOpen) return 1;
            return error.rfind(c.path + ": " + c.reason, 0) == 0 ? 0 : 2;
        });
        EXPECT_EQ(result, 0)
            << "-1: still reading at the deadline, 1: not refused, 2: other reason";
    }
}

}  // namespace
