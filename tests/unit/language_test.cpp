#include "shell/language.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        memset(languageTables().LanguageTable, 0, sizeof languageTables().LanguageTable);
        dir = makeScratchDir("zlang");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { removeScratchDir(dir); }
    std::string writeFile(const std::string& content) {
        std::string path = dir + "/ZuvelS_lang.tst";
        writeFileBytes(path, content);
        return path;
    }
    void preset(int entry, const char* text) {
        snprintf(languageTables().LanguageTable[entry], LanguageTextSize, "%s", text);
    }

    std::string dir;
};

struct LineCase {
    const char* name;
    const char* file;
    int entry;
    const char* expected;
};

TEST_F(LanguageTest, LineRules) {
    const LineCase cases[] = {
        {"text after the equals sign", "T0=Odczyty\n", 0, "Odczyty"},
        {"two equals signs keep the last part", "T0=first=second\n", 0, "second"},
        {"line without equals keeps the old text", "no equals here\n", 0, "old"},
        {"empty text after equals", "T0=\n", 0, ""},
        {"last line without newline", "T0=a\nT1=last", 1, "last"},
        {"text before equals ignored, blanks kept", "key = some text \n", 0, " some text "},
        {"second line counted from zero", "T0=a\nT1=b\n", 1, "b"},
        {"empty lines still count", "\n\n=two\n", 2, "two"},
        {"carriage return kept as a character", "T0=x\r\n", 0, "x\r"},
        {"next line without equals keeps its own entry", "T0=a\nplain\n", 1, "old"},
    };
    for (const LineCase& c : cases) {
        memset(languageTables().LanguageTable, 0, sizeof languageTables().LanguageTable);
        preset(c.entry, "old");
        ASSERT_TRUE(loadLanguageFile(writeFile(c.file).c_str(), CodePage::Central1250)) << c.name;
        EXPECT_STREQ(LanguageTable[c.entry], c.expected) << c.name;
    }
}

TEST_F(LanguageTest, LinesBeyondTheTableAreDropped) {
    std::string content;
    for (int i = 0; i < LanguageEntries + 14; ++i) content += "T=line" + std::to_string(i) + "\n";
    preset(0, "old");
    ASSERT_TRUE(loadLanguageFile(writeFile(content).c_str(), CodePage::Central1250));
    EXPECT_STREQ(LanguageTable[0], "line0");
    EXPECT_EQ(LanguageTable[LanguageEntries - 1], "line" + std::to_string(LanguageEntries - 1));
    // Nothing wraps around or spills past the table.
    for (int i = 0; i < LanguageEntries; ++i)
        EXPECT_EQ(LanguageTable[i], "line" + std::to_string(i));
}

TEST_F(LanguageTest, LongTextKeepsFirst127Characters) {
    std::string text(300, 'x');
    text[126] = 'A';
    text[127] = 'B';
    preset(1, "next");
    ASSERT_TRUE(loadLanguageFile(writeFile("T0=" + text + "\n").c_str(), CodePage::Central1250));
    EXPECT_EQ(strlen(LanguageTable[0]), 127u);
    EXPECT_EQ(LanguageTable[0][126], 'A');
    EXPECT_STREQ(LanguageTable[1], "next");
}

TEST_F(LanguageTest, ReloadOverwritesOnlyLinesWithEquals) {
    ASSERT_TRUE(loadLanguageFile(writeFile("T0=Odczyty\nT1=Konfiguracja\n").c_str(),
                                 CodePage::Central1250));
    ASSERT_TRUE(
        loadLanguageFile(writeFile("T0=Readings\nmissing\n").c_str(), CodePage::Central1250));
    EXPECT_STREQ(LanguageTable[0], "Readings");
    EXPECT_STREQ(LanguageTable[1], "Konfiguracja");
}

// Today's files end at entry 215: a later language's appended texts must
// not stay behind, nor be empty.
TEST_F(LanguageTest, AFileEndingBeforeTheAppendedEntriesShowsTheirEnglishTexts) {
    std::string full, older;
    for (int i = 0; i < LanguageEntries; ++i) {
        full += "L=tekst" + std::to_string(i) + "\n";
        if (i < FirstAppendedEntry) older += "L=text" + std::to_string(i) + "\n";
    }
    ASSERT_TRUE(loadLanguageFile(writeFile(full).c_str(), CodePage::Central1250));
    EXPECT_EQ(LanguageTable[FirstAppendedEntry], "tekst" + std::to_string(FirstAppendedEntry));
    ASSERT_TRUE(loadLanguageFile(writeFile(older).c_str(), CodePage::Central1250));
    EXPECT_EQ(LanguageTable[FirstAppendedEntry - 1],
              "text" + std::to_string(FirstAppendedEntry - 1));
    for (int k = 0; k < AppendedEntryCount; ++k) {
        EXPECT_STREQ(LanguageTable[FirstAppendedEntry + k], AppendedEnglishTexts[k]) << k;
        EXPECT_NE(LanguageText[FirstAppendedEntry + k][0], u'\0') << k;
    }
}

// The built-in English texts are the English file's own, and every
// language file has every entry.
TEST_F(LanguageTest, AppendedEnglishTextsAreTheEnglishFilesAndEveryFileHasThem) {
    for (const char* code : {"ang", "pol", "rus", "lit", "cs"}) {
        const std::string path = std::string(ZUVELS_SOURCE_DIR) + "/res/lang/ZuvelS_lang." + code;
        const std::string text = readFileBytes(path);
        int lines = 0;
        for (char c : text) lines += c == '\n';
        EXPECT_EQ(lines, LanguageEntries) << code;
    }
    const std::string ang = std::string(ZUVELS_SOURCE_DIR) + "/res/lang/ZuvelS_lang.ang";
    memset(languageTables().LanguageTable, 0, sizeof languageTables().LanguageTable);
    FILE* f = fopen(ang.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    // Without the built-in texts: only what the file itself says.
    std::string shown;
    int line = 0;
    for (int c; (c = getc(f)) != EOF;) {
        if (c != '\n') {
            shown += char(c);
            continue;
        }
        if (line >= FirstAppendedEntry) {
            EXPECT_EQ(shown.substr(shown.rfind('=') + 1),
                      AppendedEnglishTexts[line - FirstAppendedEntry])
                << line;
        }
        shown.clear();
        ++line;
    }
    fclose(f);
}

TEST_F(LanguageTest, MissingFileKeepsTheTable) {
    preset(0, "kept");
    preset(215, "kept too");
    EXPECT_FALSE(loadLanguageFile((dir + "/ZuvelS_lang.none").c_str(), CodePage::Central1250));
    EXPECT_STREQ(LanguageTable[0], "kept");
    EXPECT_STREQ(LanguageTable[215], "kept too");
}

// A language file that is a FIFO or a device is refused, never waited on
// or read without end; the table stays.
TEST_F(LanguageTest, ALanguageFileThatIsNoFileIsRefused) {
    const std::string pipe = dir + "/ZuvelS_lang.pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        const int result = resultWithin(10, [&] {
            preset(0, "kept");
            const bool loaded = loadLanguageFile(path.c_str(), CodePage::Central1250);
            return !loaded && strcmp(LanguageTable[0], "kept") == 0 ? 0 : 1;
        });
        EXPECT_EQ(result, 0) << path << " -1: blocked or still reading, 1: loaded";
    }
}

}  // namespace
