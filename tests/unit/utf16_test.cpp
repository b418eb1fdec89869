// Names between the program (UTF-8) and Windows' wide file calls (UTF-16).
#include <gtest/gtest.h>

#include <string>

#include "link/utf16.h"

namespace {

TEST(Utf16, NamesInEveryLanguageGoThereAndBackExactly) {
    const struct {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"C:\\ZuvelS\\nustatymai.zs2", u"C:\\ZuvelS\\nustatymai.zs2"},
        {"C:\\Jūratė\\ėūčš.zs2", u"C:\\J\u016Brat\u0117\\\u0117\u016B\u010D\u0161.zs2"},
        {"Łukasz żółć", u"\u0141ukasz \u017C\u00F3\u0142\u0107"},
        {"Андрей", u"\u0410\u043D\u0434\u0440\u0435\u0439"},
        {"\xF0\x9F\x9A\x97", u"\xD83D\xDE97"},          // past the first plane: a pair
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},          // the last code point
        {"\xEF\xBF\xBD\xE2\x82\xAC", u"\uFFFD\u20AC"},  // three-byte forms
        {"\xC2\x80", u"\u0080"},                        // the first two-byte one
    };
    for (const auto& c : cases) {
        std::u16string wide;
        std::string back, error;
        ASSERT_TRUE(utf8ToUtf16(c.utf8, &wide, &error)) << c.utf8 << ": " << error;
        EXPECT_EQ(wide, c.utf16) << c.utf8;
        ASSERT_TRUE(utf16ToUtf8(wide, &back, &error)) << c.utf8 << ": " << error;
        EXPECT_EQ(back, c.utf8);
    }
}

TEST(Utf16, BytesThatAreNotUtf8AreRefusedWithOneLineNamingWhere) {
    const struct {
        std::string bytes;
        const char* says;
    } cases[] = {
        {"abc\x80", "a stray byte at byte 4"},
        {"\xFF", "a stray byte at byte 1"},
        {"Jur\xC5", "a character cut short at byte 4"},  // ū's lead, its end lost
        {"J\xC5r", "a character cut short at byte 2"},
        {"\xC0\xAF", "an overlong character at byte 1"},  // '/' in disguise
        {"\xE0\x80\xAF", "an overlong character at byte 1"},
        {"\xED\xA0\x80", "an encoded surrogate at byte 1"},
        {"\xF4\x90\x80\x80", "a character past U+10FFFF at byte 1"},
        {"cp1257 \xFB"
         "ratė",
         "a stray byte at byte 8"},  // a name in a code page
    };
    for (const auto& c : cases) {
        std::u16string wide = u"kept";
        std::string error;
        EXPECT_FALSE(utf8ToUtf16(c.bytes, &wide, &error)) << c.says;
        EXPECT_EQ(wide, u"kept") << c.says;
        EXPECT_EQ(error, std::string("not a UTF-8 name: ") + c.says);
        EXPECT_EQ(error.find('\n'), std::string::npos);
        std::u16string name;
        EXPECT_FALSE(windowsFileName(c.bytes, &name, &error)) << c.says;
    }
}

TEST(Utf16, ALoneSurrogateHasNoUtf8FormAndIsRefused) {
    const struct {
        std::u16string units;
        const char* says;
    } cases[] = {
        {u"\xD800", "U+D800) at unit 1"},
        {u"ab\xDC00", "U+DC00) at unit 3"},
        {u"a\xDBFFz", "U+DBFF) at unit 2"},
        {u"\xDE00\xD83D", "U+DE00) at unit 1"},  // a pair the wrong way round
        {u"\xD83D\xDE97\xD83D", "U+D83D) at unit 3"},
    };
    for (const auto& c : cases) {
        std::string text = "kept", error;
        EXPECT_FALSE(utf16ToUtf8(c.units, &text, &error)) << c.says;
        EXPECT_EQ(text, "kept");
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

std::u16string wideName(const std::string& utf8) {
    std::u16string name;
    std::string error;
    EXPECT_TRUE(windowsFileName(utf8, &name, &error)) << error;
    return name;
}

// An absolute path of `units` UTF-16 units in all, its name made of c.
std::string pathOf(size_t units, const std::string& folder, const char* c) {
    std::string path = folder;
    for (size_t n = std::u16string(wideName(folder)).size(); n < units; ++n) path += c;
    return path;
}

TEST(Utf16, OnlyALongAbsolutePathTakesTheLongPathPrefix) {
    // Up to the plain limit, a path is handed over as it is; past it, the
    // prefix. The limit counts UTF-16 units, not bytes: ū is two bytes but
    // one unit.
    for (const char* letter : {"a", "\xC5\xAB", "\xD0\x96"}) {
        const std::string atLimit = pathOf(PlainPathUnits, "C:\\J\xC5\xABrat\xC4\x97\\", letter);
        EXPECT_EQ(wideName(atLimit).substr(0, 4), u"C:\\J") << letter;
        EXPECT_EQ(wideName(atLimit).size(), size_t(PlainPathUnits));
        const std::string past = atLimit + letter;
        EXPECT_EQ(wideName(past).substr(0, 8), u"\\\\?\\C:\\J") << letter;
        EXPECT_EQ(wideName(past).size(), size_t(PlainPathUnits) + 5);
    }
    const std::string tail(PlainPathUnits, 'x');
    const struct {
        std::string path;
        std::u16string starts;
    } cases[] = {
        {"d:/Jurate/" + tail, u"\\\\?\\d:\\Jurate\\xx"},  // '/' made '\' under the prefix
        {"\\\\server\\share\\" + tail, u"\\\\?\\UNC\\server\\share\\xx"},
        {"Jurate\\" + tail, u"Jurate\\xx"},        // relative: the system reads it
        {"C:\\a\\..\\" + tail, u"C:\\a\\..\\xx"},  // ".." left for the system
        {"C:\\a\\.\\" + tail, u"C:\\a\\.\\xx"},
        {"\\\\?\\C:\\" + tail, u"\\\\?\\C:\\xx"},    // prefixed already
        {"\\\\.\\COM12" + tail, u"\\\\.\\COM12xx"},  // a device, never prefixed
        {"C:" + tail, u"C:xx"},                      // relative to the drive's folder
    };
    for (const auto& c : cases) {
        const std::u16string name = wideName(c.path);
        EXPECT_EQ(name.substr(0, c.starts.size()), c.starts) << c.path.substr(0, 20);
    }
}

TEST(Utf16, APathPastWhatWindowsTakesIsRefused) {
    std::u16string name;
    std::string error;
    const std::string longest = "C:\\" + std::string(LongPathUnits - 4 - 3, 'a');
    ASSERT_TRUE(windowsFileName(longest, &name, &error)) << error;
    EXPECT_EQ(name.size(), size_t(LongPathUnits));
    EXPECT_FALSE(windowsFileName(longest + "a", &name, &error));
    EXPECT_EQ(error, "a name too long for Windows (more than 32767 characters)");
}

}  // namespace
