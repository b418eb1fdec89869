// Scratch folders and whole-file reads and writes for the file tests.
#ifndef ZUVELS_TESTS_UNIT_TEST_FILES_H
#define ZUVELS_TESTS_UNIT_TEST_FILES_H

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Lowers the largest file size this process may write for one scope, so a
// write fails part-way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);  // fail the write, don't kill the test
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_;
    void (*oldHandler_)(int);
};

// A new empty folder under /tmp; "" when it can't be made.
inline std::string makeScratchDir(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

inline void removeScratchDir(const std::string& dir) {
    const std::string cmd = "rm -rf '" + dir + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
}

inline void writeFileBytes(const std::string& path, const std::string& content) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
}

// The file's bytes, or "<missing>" when it can't be opened.
inline std::string readFileBytes(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    std::string s;
    int c;
    while ((c = getc(f)) != EOF) s += static_cast<char>(c);
    fclose(f);
    return s;
}

// Everything written to a stream so far (a tmpfile() the test wrote through).
inline std::string streamText(FILE* f) {
    fflush(f);
    rewind(f);
    std::string s;
    int c;
    while ((c = getc(f)) != EOF) s += static_cast<char>(c);
    return s;
}

// Runs body in a child process that is stopped after seconds: its result
// (0..255), or -1 when it didn't finish in time. For reads that must
// never block: a regression fails by name instead of hanging the run.
inline int resultWithin(int seconds, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) return -2;
    if (child == 0) {
        alarm(static_cast<unsigned>(seconds));
        _exit(body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif
