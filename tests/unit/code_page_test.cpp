// The language files' code pages and their decoding, independent of the
// code page the system runs under.
#include "shell/code_page.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "shell/language.h"
#include "test_files.h"

namespace {

// The languages' own code pages are held by the shipped files' test below;
// a code not in the table (or not exactly) reads as Central European.
TEST(CodePage, UnknownCodesReadAsCentralEuropean) {
    for (const char* code : {"xyz", "", "RUS", "ru"})
        EXPECT_EQ(CodePage::Central1250, codePageForLanguage(code)) << code;
    EXPECT_EQ(CodePage::Central1250, codePageForLanguage(nullptr));
}

TEST(CodePage, DecodesTheLettersOfEachLanguage) {
    const struct {
        CodePage cp;
        unsigned char byte;
        char16_t expected;
    } cases[] = {
        // Polish, Czech and Lithuanian in 1250.
        {CodePage::Central1250, 0xB9, u'ą'},
        {CodePage::Central1250, 0xA5, u'Ą'},
        {CodePage::Central1250, 0xB3, u'ł'},
        {CodePage::Central1250, 0xA3, u'Ł'},
        {CodePage::Central1250, 0x9C, u'ś'},
        {CodePage::Central1250, 0x8C, u'Ś'},
        {CodePage::Central1250, 0xBF, u'ż'},
        {CodePage::Central1250, 0x9F, u'ź'},
        {CodePage::Central1250, 0xE6, u'ć'},
        {CodePage::Central1250, 0xF1, u'ń'},
        {CodePage::Central1250, 0xF3, u'ó'},
        {CodePage::Central1250, 0xEA, u'ę'},
        {CodePage::Central1250, 0xE8, u'č'},
        {CodePage::Central1250, 0xC8, u'Č'},
        {CodePage::Central1250, 0xEC, u'ě'},
        {CodePage::Central1250, 0xF8, u'ř'},
        {CodePage::Central1250, 0xD8, u'Ř'},
        {CodePage::Central1250, 0xF9, u'ů'},
        {CodePage::Central1250, 0x9A, u'š'},
        {CodePage::Central1250, 0x8A, u'Š'},
        {CodePage::Central1250, 0x9E, u'ž'},
        {CodePage::Central1250, 0x8E, u'Ž'},
        {CodePage::Central1250, 0xFD, u'ý'},
        {CodePage::Central1250, 0xF2, u'ň'},
        {CodePage::Central1250, 0xB0, u'°'},
        {CodePage::Central1250, 0x80, u'€'},
        // Russian in 1251.
        {CodePage::Cyrillic1251, 0xC0, u'А'},
        {CodePage::Cyrillic1251, 0xDF, u'Я'},
        {CodePage::Cyrillic1251, 0xE0, u'а'},
        {CodePage::Cyrillic1251, 0xFF, u'я'},
        {CodePage::Cyrillic1251, 0xA8, u'Ё'},
        {CodePage::Cyrillic1251, 0xB8, u'ё'},
        {CodePage::Cyrillic1251, 0xCA, u'К'},
        {CodePage::Cyrillic1251, 0xF4, u'ф'},
        {CodePage::Cyrillic1251, 0xB0, u'°'},
        {CodePage::Cyrillic1251, 0xB9, u'№'},
        // English in 1252.
        {CodePage::Western1252, 0xB0, u'°'},
        {CodePage::Western1252, 0xE9, u'é'},
        {CodePage::Western1252, 0x9C, u'œ'},
        {CodePage::Western1252, 0x80, u'€'},
        // Bytes a code page leaves undefined stay what they were.
        {CodePage::Central1250, 0x81, u'\u0081'},
        {CodePage::Cyrillic1251, 0x98, u'\u0098'},
        {CodePage::Western1252, 0x8D, u'\u008D'},
        // ASCII is the same in all three.
        {CodePage::Central1250, 'A', u'A'},
        {CodePage::Cyrillic1251, ',', u','},
        {CodePage::Western1252, '7', u'7'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(decodeByte(c.cp, c.byte)))
            << static_cast<int>(c.cp) << " byte " << static_cast<int>(c.byte);
}

TEST(CodePage, TextDecodingStopsAtTheBuffer) {
    char16_t out[4];
    decodeText("\xe8\xed\xf8\x9a\x9e", CodePage::Central1250, out, 4);
    EXPECT_TRUE(std::u16string(u"číř") == out);
    EXPECT_TRUE(u"Ж°" == decodeText("\xc6\xb0", CodePage::Cyrillic1251));
    EXPECT_TRUE(u"0,025" == asciiText("0,025"));
}

// Every character of each shipped file, decoded with its language's code
// page, is ASCII or one of the language's own letters and signs: a wrong
// table or a wrong code page for the language shows as a stray character.
TEST(CodePage, ShippedLanguageFilesDecodeToTheirOwnAlphabets) {
    const std::u16string Signs = u"°";
    const struct {
        const char* code;
        std::u16string letters;
    } cases[] = {
        {"pol", u"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"},
        {"cs", u"áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ"},
        {"lit", u"ąčęėįšųūžĄČĘĖĮŠŲŪŽ"},
        {"rus", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя"},
        {"ang", u""},
    };
    for (const auto& c : cases) {
        const std::string path = std::string(ZUVELS_SOURCE_DIR) + "/res/lang/ZuvelS_lang." + c.code;
        ASSERT_TRUE(loadLanguageFile(path.c_str(), codePageForLanguage(c.code))) << path;
        int nonAscii = 0;
        for (int k = 0; k < LanguageEntries; ++k)
            for (const char16_t* p = LanguageText[k]; *p; ++p) {
                if (*p < 0x80) continue;
                ++nonAscii;
                EXPECT_TRUE(c.letters.find(*p) != std::u16string::npos ||
                            Signs.find(*p) != std::u16string::npos)
                    << c.code << " entry " << k << " character " << static_cast<int>(*p);
            }
        // The alphabets are used, not merely allowed.
        if (!c.letters.empty()) {
            EXPECT_GT(nonAscii, 10) << c.code;
        }
    }
}

class LanguageCodePages : public testing::Test {
protected:
    void SetUp() override {
        memset(languageTables().LanguageTable, 0, sizeof languageTables().LanguageTable);
        memset(languageTables().LanguageText, 0, sizeof languageTables().LanguageText);
        dir = makeScratchDir("zcp");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { removeScratchDir(dir); }
    std::string dir;
};

// A text missing from a newly loaded file keeps the previous language's
// text, and so its letters: it is not decoded again in the new code page.
TEST_F(LanguageCodePages, KeptEntriesKeepTheirOwnCodePage) {
    const std::string rus = dir + "/rus", cs = dir + "/cs";
    writeFileBytes(rus, "T0=\xca\xee\xed\xf4\xe8\xe3\nT1=\xd1\xe1\xf0\xee\xf1\n");
    writeFileBytes(cs, "T0=Neutr\xe1ln\xed\nplain\n");
    ASSERT_TRUE(loadLanguageFile(rus.c_str(), CodePage::Cyrillic1251));
    ASSERT_TRUE(loadLanguageFile(cs.c_str(), CodePage::Central1250));
    EXPECT_TRUE(std::u16string(u"Neutrální") == LanguageText[0]);
    EXPECT_TRUE(std::u16string(u"Сброс") == LanguageText[1]);
    // The raw bytes stay as the files had them.
    EXPECT_STREQ("\xd1\xe1\xf0\xee\xf1", LanguageTable[1]);
}

TEST_F(LanguageCodePages, SetEntryDecodesOnce) {
    setLanguageEntry(5, "\x9a\x9e", CodePage::Central1250);
    EXPECT_TRUE(std::u16string(u"šž") == LanguageText[5]);
    setLanguageEntry(LanguageEntries, "ignored");  // outside the table: nothing
    setLanguageEntry(-1, "ignored");
}

}  // namespace
