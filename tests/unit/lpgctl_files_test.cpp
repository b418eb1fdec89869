// lpgctl at the edges of its files: what save does to a symlink, a FIFO or
// a device, paths and messages of any length, a standard output that can't
// be written, inputs that never end, bytes after a settings file's last key
// and file names outside ASCII in JSON.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/errors.h"
#include "test_files.h"
#include "tests/unit/cli_process.h"

namespace {

long long nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

// lpgctl with its standard output on the file at outPath (opened as it is,
// never truncated: /dev/full works) and, when fileSizeLimit >= 0, that
// limit on the size of the files it writes. Standard error is captured; at
// the deadline lpgctl is killed and code stays -1.
CliRun runLpgctlInto(const std::string& outPath, const std::vector<std::string>& args,
                     long fileSizeLimit = -1, int deadlineMs = 20000) {
    CliRun run;
    int err[2];
    if (pipe(err) != 0) return run;
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0) _exit(126);
        dup2(out, 1);
        dup2(err[1], 2);
        dup2(in, 0);
        if (fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {static_cast<rlim_t>(fileSizeLimit),
                                  static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv = {const_cast<char*>(LPGCTL_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(LPGCTL_PATH, argv.data());
        _exit(127);
    }
    close(err[1]);
    const long long deadline = nowMs() + deadlineMs;
    bool done = false;
    for (pollfd p = {err[0], POLLIN, 0}; nowMs() < deadline;) {
        if (poll(&p, 1, static_cast<int>(deadline - nowMs())) <= 0) continue;
        char buf[4096];
        const ssize_t n = read(err[0], buf, sizeof buf);
        if (n <= 0) {
            done = true;
            break;
        }
        run.err.append(buf, static_cast<size_t>(n));
    }
    close(err[0]);
    if (!done) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (done && WIFEXITED(status)) run.code = WEXITSTATUS(status);
    return run;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int lineCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// A path of about length characters below dir, made of folders of 100
// characters that exist; the last part is name.
std::string longPathIn(const std::string& dir, size_t length, const std::string& name) {
    std::string path = dir;
    while (path.size() + 101 + name.size() < length) {
        path += "/" + std::string(100, 'd');
        mkdir(path.c_str(), 0755);
    }
    return path + "/" + std::string(length - path.size() - 1 - name.size(), 'n') + name;
}

class LpgctlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeScratchDir("zcli_files");
        ASSERT_FALSE(dir.empty());
        good = dir + "/good.zs2";
        const CliRun save = runLpgctl({"--port", "demo", "save", good});
        ASSERT_EQ(save.code, ExitOk) << save.err;
    }
    void TearDown() override { removeScratchDir(dir); }
    std::string dir, good;
};

struct SaveCase {
    const char* name;
    std::function<std::string(const std::string& dir)> prepare;  // the path to save to
    int code;
    const char* says;  // on standard error; "" for nothing
    std::function<std::string(const std::string& dir, const std::string& path)> check;  // "" if ok
};

std::string kindOf(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "missing";
    if (S_ISLNK(st.st_mode)) return "symlink";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    if (S_ISCHR(st.st_mode)) return "device";
    return S_ISREG(st.st_mode) ? "file" : "other";
}

bool isSettingsFile(const std::string& path) {
    return fileText(path).rfind("[Zuvel_S2]\n", 0) == 0;
}

TEST_F(LpgctlFiles, SaveWritesThroughSymlinksKeepsModesAndRefusesOtherKinds) {
    const SaveCase cases[] = {
        {"a symlink stays and its file is written",
         [](const std::string& d) {
             std::ofstream(d + "/real.zs2") << "old";
             EXPECT_EQ(symlink("real.zs2", (d + "/current.zs2").c_str()), 0);
             return d + "/current.zs2";
         },
         ExitOk, "",
         [](const std::string& d, const std::string& p) {
             if (kindOf(p) != "symlink") return "the link became a " + kindOf(p);
             return std::string(isSettingsFile(d + "/real.zs2") ? "" : "real.zs2 not written");
         }},
        {"a file keeps its mode",
         [](const std::string& d) {
             std::ofstream(d + "/shared.zs2") << "old";
             chmod((d + "/shared.zs2").c_str(), 0604);
             return d + "/shared.zs2";
         },
         ExitOk, "",
         [](const std::string&, const std::string& p) {
             struct stat st;
             stat(p.c_str(), &st);
             return (st.st_mode & 07777) == 0604 && isSettingsFile(p)
                        ? std::string()
                        : "mode " + std::to_string(st.st_mode & 07777);
         }},
        {"a FIFO is left as it is",
         [](const std::string& d) {
             mkfifo((d + "/pipe").c_str(), 0644);
             return d + "/pipe";
         },
         ExitOutputFailed, "pipe: not a regular file",
         [](const std::string&, const std::string& p) {
             return kindOf(p) == "fifo" ? "" : "it became a " + kindOf(p);
         }},
        {"a device is left as it is",
         [](const std::string& d) {
             // A node of the kind of /dev/full, of this test's own.
             if (mknod((d + "/full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
                 std::ofstream(d + "/no-device");
             return d + "/full";
         },
         ExitOutputFailed, "full: not a regular file",
         [](const std::string& d, const std::string& p) {
             if (access((d + "/no-device").c_str(), F_OK) == 0) return std::string();  // no mknod
             return kindOf(p) == "device" ? "" : "it became a " + kindOf(p);
         }},
        {"a missing folder is named", [](const std::string& d) { return d + "/none/car.zs2"; },
         ExitOutputFailed, "car.zs2: no such folder",
         [](const std::string& d, const std::string&) {
             return kindOf(d + "/none") == "missing" ? "" : "the folder appeared";
         }},
        {"a path of 1,030 characters is written",
         [](const std::string& d) { return longPathIn(d, 1030, ".zs2"); }, ExitOk, "",
         [](const std::string&, const std::string& p) {
             return isSettingsFile(p) ? "" : "not written";
         }},
        {"a name of 253 characters is written",
         [](const std::string& d) { return d + "/" + std::string(249, 'n') + ".zs2"; }, ExitOk, "",
         [](const std::string&, const std::string& p) {
             return isSettingsFile(p) ? "" : "not written";
         }},
        {"a path longer than the system takes gets its reason",
         [](const std::string& d) { return longPathIn(d, 5000, ".zs2"); }, ExitOutputFailed,
         "File name too long", [](const std::string&, const std::string&) { return ""; }},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.prepare(dir);
        const CliRun r = runLpgctl({"--port", "demo", "save", path});
        EXPECT_EQ(r.code, c.code) << r.err;
        if (*c.says) {
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            EXPECT_EQ(lineCount(r.err), 1) << r.err;
        }
        EXPECT_EQ(c.check(dir, path), "");
        // Nothing is left beside the target.
        EXPECT_EQ(system(("test -z \"$(find '" + dir + "' -name '*.tmp')\"").c_str()), 0);
    }
}

// A save path that can't be written is refused before the blocks are read.
TEST_F(LpgctlFiles, ARefusedSavePathCostsNoBlockRead) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start());
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    for (const std::string& path : {dir + "/none/car.zs2", dir + "/pipe"}) {
        const CliRun r = runLpgctl({"--port", sim.port(), "save", path});
        EXPECT_EQ(r.code, ExitOutputFailed) << r.err;
    }
    // Once a later run's echo probe is logged, every frame before it is.
    ASSERT_EQ(runLpgctl({"--port", sim.port(), "status"}).code, ExitOk);
    ASSERT_TRUE(sim.waitForReceived("0B 01 01 0D", 3)) << sim.logText();
    for (const std::string& f : sim.received())
        EXPECT_TRUE(f == "0B 01 01 0D" || f == "65 01 01 67") << "read or write: " << f;
}

// No message is cut short: the reason at the end of a long one stays.
TEST_F(LpgctlFiles, AMessageOfAnyLengthKeepsItsReason) {
    const std::string path = longPathIn(dir, 1030, "/none/car.zs2");
    const CliRun r = runLpgctl({"--port", "demo", "load", path});
    EXPECT_EQ(r.code, ExitBadFile);
    EXPECT_EQ(r.err, "lpgctl: can't open " + path + ": No such file or directory\n");
}

// Standard output on a full device, or on a file that may not grow: an
// error with the system's reason, whatever the command.
TEST_F(LpgctlFiles, AStandardOutputThatCantBeWrittenIsAnError) {
    const std::string file = dir + "/out.json", other = dir + "/other.zs2";
    const CliRun otherSave = runLpgctl({"--port", "demo:1", "save", other});
    ASSERT_EQ(otherSave.code, ExitOk) << otherSave.err;
    std::ofstream(file).flush();
    struct Case {
        std::vector<std::string> args;
        std::string out;
        long limit;
        int code;
        const char* says;
    };
    const char* const Full = "lpgctl: standard output: No space left on device\n";
    const char* const TooLarge = "lpgctl: standard output: File too large\n";
    const Case cases[] = {
        {{"--port", "demo", "dump"}, "/dev/full", -1, ExitOutputFailed, Full},
        {{"--port", "demo", "dump", "--json"}, "/dev/full", -1, ExitOutputFailed, Full},
        {{"--port", "demo", "status"}, "/dev/full", -1, ExitOutputFailed, Full},
        {{"--help"}, "/dev/full", -1, ExitOutputFailed, Full},
        {{"diff", good, other}, "/dev/full", -1, ExitOutputFailed, Full},
        {{"--port", "demo", "dump", "--json"}, file, 100, ExitOutputFailed, TooLarge},
        // The same with room for it.
        {{"--port", "demo", "dump", "--json"}, file, -1, ExitOk, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() > 2 ? 2 : 0] + " > " + c.out);
        const CliRun r = runLpgctlInto(c.out, c.args, c.limit);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.err, c.says);
    }
    EXPECT_NE(fileText(file).find("\"registration\": \"SIM 001\""), std::string::npos);
}

// The window reads a settings file up to its last key and ignores the
// rest; lpgctl does the same but says so.
TEST_F(LpgctlFiles, BytesAfterTheLastKeyAreWarnedOf) {
    const std::string longer = dir + "/longer.zs2";
    std::mt19937 rng(25);
    std::string extra(3000, '\0');
    for (char& c : extra) c = static_cast<char>(rng());
    extra[0] = 'x';  // the count starts at the first byte that isn't blank
    std::ofstream(longer, std::ios::binary) << fileText(good) << extra;
    const std::string warning =
        "lpgctl: warning: " + longer + ": 3000 bytes after the last key are ignored\n";

    const CliRun load = runLpgctl({"--port", "demo", "load", longer});
    EXPECT_EQ(load.code, ExitOk) << load.err;
    EXPECT_EQ(load.err, warning);
    EXPECT_NE(load.out.find("sent 32 values"), std::string::npos) << load.out;
    // The values read are those of the file without the bytes.
    const CliRun diff = runLpgctl({"diff", good, longer});
    EXPECT_EQ(diff.code, ExitOk) << diff.out;
    EXPECT_EQ(diff.err, warning);
    const CliRun plain = runLpgctl({"diff", good, good});
    EXPECT_EQ(plain.err, "");
}

// Inputs that never end or would block are refused, by both readers.
TEST_F(LpgctlFiles, InputsThatCouldNeverEndAreRefusedWithTheReason) {
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    const std::string big = dir + "/big.zs2";
    std::ofstream(big) << fileText(good) << std::string(70000, ' ');
    struct Case {
        std::string path;
        const char* says;
    };
    const Case cases[] = {
        {"/dev/zero", "/dev/zero: not a regular file"},
        {dir + "/pipe", "pipe: not a regular file"},
        {dir, ": a folder, not a file"},
        {big, "big.zs2: too large for a file of this kind"},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--port", "demo", "load", c.path},
              std::vector<std::string>{"diff", good, c.path}}) {
            SCOPED_TRACE(args[args.size() - 2] + " " + c.path);
            const CliRun r = runLpgctl(args, 10000);
            EXPECT_EQ(r.code, ExitBadFile) << r.err;
            EXPECT_EQ(r.err.rfind("lpgctl: can't open ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            EXPECT_EQ(lineCount(r.err), 1) << r.err;
        }
    }
}

// A port named outside ASCII appears in JSON as the UTF-8 it is.
TEST_F(LpgctlFiles, JsonCarriesNamesOutsideAsciiAsTheyAre) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start());
    const std::string port = dir + "/\xC5\xBC\xC3\xB3\xC5\x82w-\xE2\x86\x92-port";  // "żółw-→-port"
    ASSERT_EQ(symlink(sim.port().c_str(), port.c_str()), 0);
    const CliRun r = runLpgctl({"--port", port, "dump", "--json"});
    ASSERT_EQ(r.code, ExitOk) << r.err;
    EXPECT_NE(r.out.find("\"port\": \"" + port + "\","), std::string::npos) << r.out;
}

}  // namespace

// The picture is made in full before its file is touched: a full disk
// leaves the old picture, a symlink stays one, a FIFO is left alone.
TEST_F(LpgctlFiles, APlotReplacesItsPictureWholeOrNotAtAll) {
    const std::string csv = dir + "/road.csv", png = dir + "/road.png", real = dir + "/real.png",
                      link = dir + "/link.png", fifo = dir + "/fifo.png";
    const CliRun log = runLpgctl({"--port", "demo", "log", "--seconds", "1", "--out", csv});
    ASSERT_EQ(log.code, ExitOk) << log.err;
    std::ofstream(png) << "old picture";
    std::ofstream(real) << "old picture";
    ASSERT_EQ(symlink("real.png", link.c_str()), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const CliRun full = runLpgctlInto("/dev/null", {"plot", csv, "--out", png}, 4096);
    EXPECT_EQ(full.code, ExitOutputFailed) << full.err;
    EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
    EXPECT_TRUE(fileText(png) == "old picture") << "the old picture was replaced";
    const CliRun linked = runLpgctl({"plot", csv, "--out", link});
    EXPECT_EQ(linked.code, ExitOk) << linked.err;
    EXPECT_EQ(kindOf(link), "symlink");
    EXPECT_EQ(fileText(real).compare(1, 3, "PNG"), 0);
    const CliRun piped = runLpgctl({"plot", csv, "--out", fifo});
    EXPECT_EQ(piped.code, ExitOutputFailed) << piped.err;
    EXPECT_EQ(kindOf(fifo), "fifo");
}
