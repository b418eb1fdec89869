// The language table is the one list of languages: the build and the
// scripts read its rows as text, so their readings must be the compiled rows.
#include "shell/language_list.h"

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "shell/language.h"

namespace {

std::string compiledCodes() {
    std::string codes;
    for (const LanguageRow& l : AllLanguages)
        codes += std::string(codes.empty() ? "" : " ") + l.code;
    return codes;
}

std::string scriptCodes(const char* args) {
    const std::string cmd = std::string(ZUVELS_SOURCE_DIR) + "/scripts/languages" + args;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "(no shell)";
    std::string out;
    char line[64];
    while (fgets(line, sizeof line, p)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        out += (out.empty() ? "" : " ") + s;
    }
    pclose(p);
    return out;
}

TEST(LanguageList, BuildAndScriptsReadTheCompiledRows) {
    EXPECT_EQ(ZUVELS_LANG_FILES, compiledCodes());
    EXPECT_EQ(scriptCodes(""), compiledCodes());
    std::string locales;
    for (const LanguageRow& l : AllLanguages)
        locales += std::string(locales.empty() ? "" : " ") + l.code + ":" + l.locale;
    EXPECT_EQ(scriptCodes(" --locales"), locales);
}

TEST(LanguageList, EveryRowShipsItsFileAndFindsItself) {
    for (const LanguageRow& l : AllLanguages) {
        const std::string path = std::string(ZUVELS_SOURCE_DIR) + "/res/lang/ZuvelS_lang." + l.code;
        std::ifstream file(path, std::ios::binary);
        EXPECT_TRUE(file.good()) << path;
        // A line per entry: an entry past the file's end would show blank.
        std::string line;
        int lines = 0;
        while (std::getline(file, line)) ++lines;
        EXPECT_EQ(lines, LanguageEntries) << path;
        EXPECT_EQ(findLanguage(l.code), &l) << l.code;
    }
    // Codes not in the table, however close, fall back to the first row.
    for (const char* code : {"POL", "rus ", "", "xyz"}) {
        EXPECT_EQ(findLanguage(code), nullptr) << code;
        EXPECT_EQ(&languageOrFallback(code), &AllLanguages[0]) << code;
    }
    EXPECT_EQ(&languageOrFallback(nullptr), &AllLanguages[0]);
}

}  // namespace
