#include "shell/app_settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "test_files.h"

#include "link/link.h"
#include "link/link_testing.h"
#include "shell/app_state.h"

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeScratchDir("zini");
        ASSERT_FALSE(dir.empty());
        path = dir + "/ZuvelS.ini";
        linkForTests().CommPort = 77;
        snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "before");
    }
    void TearDown() override {
        removeScratchDir(dir);
        linkForTests().CommPort = 0;
        snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "pol");
    }
    void writeFile(const std::string& content) { writeFileBytes(path, content); }
    std::string readFile() { return readFileBytes(path); }

    std::string dir, path;
};

TEST_F(AppSettingsTest, WritesThreeLinesExactlyAndReadsThemBack) {
    linkForTests().CommPort = 12;
    snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "ang");
    writeAppSettings(path.c_str());
    EXPECT_EQ(readFile(), "[Ustawienia]\nCommPort= 12\nLanguage= ang\n");

    linkForTests().CommPort = 5;
    snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "x");
    readAppSettings(path.c_str());
    EXPECT_EQ(CommPort, 12);
    EXPECT_STREQ(activeLanguage, "ang");
}

TEST_F(AppSettingsTest, MissingFileIsCreatedWithDefaults) {
    readAppSettings(path.c_str());
    EXPECT_EQ(CommPort, 1);
    EXPECT_STREQ(activeLanguage, "pol");
    EXPECT_EQ(readFile(), "[Ustawienia]\nCommPort= 1\nLanguage= pol\n");
}

struct IniCase {
    const char* name;
    std::string content;
    int port;
    std::string code;
};

TEST_F(AppSettingsTest, MalformedFilesReadByPosition) {
    const std::string huge(10 * 1024, 'w');
    const IniCase cases[] = {
        {"CR LF line ends", "[Ustawienia]\r\nCommPort= 4\r\nLanguage= lit\r\n", 4, "lit"},
        {"words not compared", "[Other]\nPort= 3\nLang= rus\n", 3, "rus"},
        {"port 256 is the last one", "[Ustawienia]\nCommPort= 256\nLanguage= cs\n", 256, "cs"},
        {"port above 256 reads as 0", "[Ustawienia]\nCommPort= 257\nLanguage= rus\n", 0, "rus"},
        {"negative port reads as 0", "[Ustawienia]\nCommPort= -3\nLanguage= lit\n", 0, "lit"},
        {"overlong number reads as 0", "[Ustawienia]\nCommPort= 99999999999999\nLanguage= lit\n", 0,
         "lit"},
        {"one line", "[Ustawienia]\n", 0, "[Ustawienia]"},
        {"section and key only", "[Ustawienia]\nCommPort=\n", 0, "CommPort="},
        // The text stays in place of the number and becomes the next word.
        {"port text", "[Ustawienia]\nCommPort= abc\nLanguage= rus\n", 0, "Language="},
        {"words only", "a b c d e\n", 0, "d"},
        {"huge section word skipped whole", "[" + huge + "]\nCommPort= 4\nLanguage= cs\n", 4, "cs"},
        {"huge code cut to 63 characters", "[Ustawienia]\nCommPort= 2\nLanguage= " + huge + "\n", 2,
         huge.substr(0, 63)},
        {"empty file keeps the code", "", 0, "before"},
    };
    for (const IniCase& c : cases) {
        writeFile(c.content);
        linkForTests().CommPort = 77;
        snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "before");
        readAppSettings(path.c_str());
        EXPECT_EQ(CommPort, c.port) << c.name;
        EXPECT_EQ(std::string(activeLanguage), c.code) << c.name;
        // A file that exists is never rewritten by reading it.
        EXPECT_EQ(readFile(), c.content) << c.name;
    }
}

TEST_F(AppSettingsTest, FailedWriteLeavesTheOldFileIntact) {
    const std::string old = "[Ustawienia]\nCommPort= 3\nLanguage= rus\n";
    linkForTests().CommPort = 12;
    snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "ang");
    const struct {
        const char* name;
        void (*breakWriting)(const std::string& temp);
    } cases[] = {
        {"temporary file can't be made",
         [](const std::string& temp) { mkdir(temp.c_str(), 0700); }},
        {"write fails part-way", nullptr},
    };
    // Each failure is told, with the path, for the window to say so.
    static std::vector<std::string> told;
    told.clear();
    setAppSettingsUnwritableHandler([](const char* p) { told.push_back(p); });
    for (const auto& c : cases) {
        writeFile(old);
        const std::string temp = path + ".tmp";
        bool written;
        if (c.breakWriting) {
            c.breakWriting(temp);
            written = writeAppSettings(path.c_str());
            rmdir(temp.c_str());
        } else {
            FileSizeLimit limit(10);
            written = writeAppSettings(path.c_str());
        }
        EXPECT_FALSE(written) << c.name;
        EXPECT_EQ(readFile(), old) << c.name;
        EXPECT_EQ(readFileBytes(temp), "<missing>") << c.name;
    }
    // The same values go through once writing works again.
    EXPECT_TRUE(writeAppSettings(path.c_str()));
    setAppSettingsUnwritableHandler(nullptr);
    EXPECT_EQ(told, std::vector<std::string>(2, path));
    EXPECT_EQ(readFile(), "[Ustawienia]\nCommPort= 12\nLanguage= ang\n");
    EXPECT_EQ(readFileBytes(path + ".tmp"), "<missing>");
}

// A ZuvelS.ini that is a FIFO or a device is neither waited on nor
// replaced: the defaults are used and it stays what it is.
TEST_F(AppSettingsTest, AnIniThatIsNoFileIsNeitherReadNorReplaced) {
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    const int result = resultWithin(10, [&] {
        readAppSettings(path.c_str());
        return strcmp(activeLanguage, "pol") == 0 && CommPort == 1 ? 0 : 1;
    });
    EXPECT_EQ(result, 0) << "-1: blocked on the FIFO, 1: not the defaults";
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
