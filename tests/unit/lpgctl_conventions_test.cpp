// lpgctl's command-line conventions: the options read in one place (-p,
// LPGCTL_PORT, --opt=value, --, the unknown option named), --version from
// the version resource's line, the exit codes in --help, the --json objects
// (parsed by Python's json), -v's frame trace, -q, save - and the load's
// read-back catching a controller that keeps nothing.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "cli/errors.h"
#include "tests/unit/cli_process.h"
#include "tests/unit/test_files.h"

namespace {

// ---- the command line, read in-process ----

struct LineCase {
    std::vector<const char*> words;
    const char* environmentPort;
    CommandLineAsks asks;
    const char* port;  // nullptr: none
    bool portFromEnvironment;
    const char* arguments;  // the command's other arguments, space-separated
    const char* options;    // "--name" or "--name=value", space-separated
    Verbosity verbosity;
    const char* says;  // the error line's text, "" when none
};

std::string joined(const CommandLine& line) {
    std::string text;
    for (int i = 0; i < line.args.argc; ++i)
        text += (i ? " " : "") + std::string(line.args.argv[i]);
    return text;
}

std::string optionsOf(const CommandLine& line) {
    std::string text;
    for (const CliOption& o : line.args.options)
        text += (text.empty() ? "" : " ") + std::string(o.name) + (o.value ? "=" : "") +
                (o.value ? o.value : "");
    return text;
}

TEST(LpgctlCommandLine, OptionsAreReadAlikeWhereverTheyStand) {
    using A = CommandLineAsks;
    using V = Verbosity;
    const LineCase cases[] = {
        {{"-p", "demo", "status"}, nullptr, A::Run, "demo", false, "", "", V::Normal, ""},
        {{"status", "-pdemo:1"}, nullptr, A::Run, "demo:1", false, "", "", V::Normal, ""},
        {{"--port=demo", "status", "--json"},
         nullptr,
         A::Run,
         "demo",
         false,
         "",
         "--json",
         V::Normal,
         ""},
        // LPGCTL_PORT is the default; an explicit port wins; an empty one is none.
        {{"status"}, "demo:1", A::Run, "demo:1", true, "", "", V::Normal, ""},
        {{"status", "--port", "demo"}, "demo:1", A::Run, "demo", false, "", "", V::Normal, ""},
        {{"status"}, "", A::Run, nullptr, false, "", "", V::Normal, ""},
        {{"load", "--no-verify", "f.zs2", "--json"},
         nullptr,
         A::Run,
         nullptr,
         false,
         "f.zs2",
         "--no-verify --json",
         V::Normal,
         ""},
        // "--" ends the options: a file may be called --json or -v.
        {{"load", "--", "--json"}, nullptr, A::Run, nullptr, false, "--json", "", V::Normal, ""},
        {{"-q", "load", "--", "-v"}, nullptr, A::Run, nullptr, false, "-v", "", V::Quiet, ""},
        {{"log", "--seconds=5", "--out", "x.csv", "-v"},
         nullptr,
         A::Run,
         nullptr,
         false,
         "",
         "--seconds=5 --out=x.csv",
         V::Verbose,
         ""},
        {{"diff", "a.zs2", "-"}, nullptr, A::Run, nullptr, false, "a.zs2 -", "", V::Normal, ""},
        {{"save", "-", "--verbose"}, nullptr, A::Run, nullptr, false, "-", "", V::Verbose, ""},
        {{"--version"}, nullptr, A::Version, nullptr, false, "", "", V::Normal, ""},
        // "--" alone is an empty command line: the usage, with no error line.
        {{"--"}, nullptr, A::Usage, nullptr, false, "", "", V::Normal, ""},
        {{"-h"}, nullptr, A::ProgramHelp, nullptr, false, "", "", V::Normal, ""},
        {{"dump", "--help"}, nullptr, A::CommandHelp, nullptr, false, "", "", V::Normal, ""},
        // One message for every unknown option, naming it.
        {{"status", "--bogus"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "unknown option --bogus (lpgctl status --help lists its options)"},
        {{"--bogus", "status"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "unknown option --bogus (lpgctl --help lists the options)"},
        {{"log", "--out=x.csv", "--plot-it=y"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "unknown option --plot-it (lpgctl log --help lists its options)"},
        {{"save", "-x", "f"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "unknown option -x (lpgctl save --help lists its options)"},
        {{"status", "--json=yes"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "--json takes no value"},
        {{"log", "--out"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "--out needs a value"},
        {{"-p"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "--port needs a port: a device path, COMn, demo, demo:1 or replay:FILE"},
        {{"-v", "status", "-q"},
         nullptr,
         A::Usage,
         nullptr,
         false,
         "",
         "",
         V::Normal,
         "-v and -q don't go together"},
    };
    for (const LineCase& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("lpgctl")};
        std::vector<std::string> copies(c.words.begin(), c.words.end());
        for (std::string& w : copies) argv.push_back(&w[0]);
        std::string shown;
        for (const char* w : c.words) shown += std::string(w) + " ";
        testing::internal::CaptureStderr();
        CommandLine line;
        readCommandLine(static_cast<int>(argv.size()), argv.data(), c.environmentPort, &line);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(line.asks, c.asks) << shown << err;
        EXPECT_EQ(err, *c.says ? "lpgctl: " + std::string(c.says) + "\n" : "") << shown;
        if (c.asks != A::Run) continue;
        EXPECT_STREQ(line.args.port, c.port) << shown;
        EXPECT_EQ(line.args.portFromEnvironment, c.portFromEnvironment) << shown;
        EXPECT_EQ(joined(line), c.arguments) << shown;
        EXPECT_EQ(optionsOf(line), c.options) << shown;
        EXPECT_EQ(line.verbosity, c.verbosity) << shown;
    }
}

// ---- the program as it is run ----

// What Python's json module makes of text: expression evaluated on the
// parsed object d, or "not JSON: ..." when it isn't JSON.
std::string fromJson(const std::string& text, const std::string& expression) {
    const std::string file = scratchPath("json");
    writeFileBytes(file, text);
    const std::string command =
        "python3 -c 'import json,sys\n"
        "try: d = json.load(open(sys.argv[1], encoding=\"utf-8\"))\n"
        "except ValueError as e: print(\"not JSON:\", e); sys.exit()\n"
        "print(" +
        expression + ", end=\"\")' " + file;
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    unlink(file.c_str());
    return out;
}

TEST(LpgctlConventions, VersionComesFromTheVersionResource) {
    std::ifstream rc(ZUVELS_SOURCE_DIR "/res/zuvels.rc");
    std::string line, expected;
    int major = 0, minor = 0;
    while (std::getline(rc, line))
        if (sscanf(line.c_str(), "#define ZUVELS_VERSION %d,%d,", &major, &minor) == 2) break;
    char text[32];
    snprintf(text, sizeof text, "lpgctl %d.%02d\n", major, minor);
    const CliRun r = runLpgctl({"--version"});
    EXPECT_EQ(r.code, ExitOk);
    EXPECT_EQ(r.out, text);
}

TEST(LpgctlConventions, HelpListsEveryExitCode) {
    // The table is the codes' one home: every code from 0 on, in order.
    for (int i = 0; i < ExitCodeCount; ++i) EXPECT_EQ(ExitCodeMeanings[i].code, i);
    EXPECT_EQ(ExitCodeMeanings[ExitCodeCount - 1].code, ExitNetwork);
    const CliRun r = runLpgctl({"--help"});
    for (int i = 0; i < ExitCodeCount; ++i) {
        char row[16];
        snprintf(row, sizeof row, "\n  %2d  ", i);
        EXPECT_NE(r.out.find(row + std::string(ExitCodeMeanings[i].meaning)), std::string::npos)
            << i;
    }
}

TEST(LpgctlConventions, JsonOutputsAreObjectsWithTheirKeys) {
    const std::string a = scratchPath("a.zs2"), b = scratchPath("b.zs2");
    ASSERT_EQ(runLpgctl({"-p", "demo", "save", a}).code, ExitOk);
    writeFileBytes(b, readFileBytes(a));
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* expression;
        const char* expected;
    } cases[] = {
        {{"-p", "demo", "status", "--json"},
         ExitOk,
         "d[\"link\"], d[\"generation\"], d[\"version\"]",
         "up 3 3.05"},
        {{"-p", "demo:1", "dump", "--json"},
         ExitOk,
         "\"extended\" in d, d[\"status\"][\"generation\"]",
         "False 1"},
        {{"ports", "--json"}, ExitOk, "type(d[\"ports\"]).__name__", "list"},
        {{"scan", "--json", "demo:2", "demo:1"},
         ExitOk,
         "d[\"found\"], [s[\"result\"] for s in d[\"searched\"]]",
         "demo:1 ['refused', 'controller']"},
        {{"diff", "--json", a, b}, ExitOk, "d[\"equal\"], d[\"differences\"]", "True []"},
        {{"-p", "demo:1", "diff", "--json", a, "-"},
         ExitDiffer,
         "d[\"equal\"], [x[\"a\"] for x in d[\"differences\"] if x[\"field\"] == "
         "\"jump_marker_percent\"]",
         "False [20]"},
        {{"-p", "demo", "load", "--json", a},
         ExitOk,
         "d[\"values\"], d[\"written\"], d[\"skipped\"], d[\"verified\"], d[\"failure\"]",
         "32 32 0 32 None"},
        {{"-p", "demo", "load", "--json", "--no-verify", a}, ExitOk, "d[\"verified\"]", "None"},
    };
    for (const Case& c : cases) {
        const CliRun r = runLpgctl(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[2] << r.err;
        EXPECT_EQ(fromJson(r.out, c.expression), c.expected) << r.out;
    }
    unlink(a.c_str());
    unlink(b.c_str());
}

// The file with key's value replaced.
std::string withValue(const std::string& file, const std::string& key, int value) {
    std::istringstream in(file);
    std::string out, line;
    while (std::getline(in, line))
        out += (line.compare(0, key.size() + 1, key + " ") == 0 ? key + " " + std::to_string(value)
                                                                : line) +
               "\n";
    return out;
}

TEST(LpgctlConventions, LoadReadsBackAndNamesWhatDidNotStick) {
    LpgsimProcess sim;
    ASSERT_TRUE(sim.start({"--fault", "forget"})) << "lpgsim's pty didn't appear";
    const std::string file = scratchPath("forget.zs2");
    ASSERT_EQ(runLpgctl({"-p", "demo", "save", file}).code, ExitOk);
    // 20 is the factory value the forgetting controller keeps.
    writeFileBytes(file, withValue(readFileBytes(file), "AttMax=", 3));

    const CliRun r = runLpgctl({"-p", sim.port(), "load", file});
    EXPECT_EQ(r.code, ExitVerifyFailed) << r.err;
    EXPECT_EQ(r.err,
              "lpgctl: AttMax= (key 12 of 32, address 16) reads back as 20 after 3 was written; 1 "
              "of 32 values differ\n");
    const CliRun json = runLpgctl({"-p", sim.port(), "load", "--json", file});
    EXPECT_EQ(json.code, ExitVerifyFailed);
    EXPECT_EQ(fromJson(json.out, "d[\"verified\"], d[\"failure\"]"),
              "31 {'kind': 'mismatch', 'key': 'AttMax=', 'address': 16, 'written': 3, "
              "'read_back': 20}");
    const CliRun unchecked = runLpgctl({"-p", sim.port(), "load", "--no-verify", file});
    EXPECT_EQ(unchecked.code, ExitOk) << unchecked.err;
    unlink(file.c_str());
}

TEST(LpgctlConventions, TheEnvironmentsPortIsTheDefaultAndAnExplicitOneWins) {
    setenv("LPGCTL_PORT", "demo:1", 1);
    const CliRun fromEnvironment = runLpgctl({"status"});
    const CliRun explicitPort = runLpgctl({"--port=demo", "status"});
    setenv("LPGCTL_PORT", "", 1);
    const CliRun empty = runLpgctl({"status"});
    unsetenv("LPGCTL_PORT");
    EXPECT_EQ(fromEnvironment.code, ExitOk) << fromEnvironment.err;
    EXPECT_NE(fromEnvironment.out.find("generation: 1"), std::string::npos) << fromEnvironment.out;
    EXPECT_NE(explicitPort.out.find("generation: 3"), std::string::npos) << explicitPort.out;
    EXPECT_EQ(empty.code, ExitUsage) << empty.err;
}

TEST(LpgctlConventions, VerboseTracesEveryFrameAndQuietKeepsOnlyTheOutput) {
    const CliRun plain = runLpgctl({"-p", "demo", "status"});
    const CliRun traced = runLpgctl({"-v", "-p", "demo", "status"});
    EXPECT_EQ(traced.out, plain.out);
    EXPECT_EQ(plain.err, "");
    // The echo probe without an answer, then the status request and its reply.
    std::istringstream lines(traced.err);
    std::string line;
    std::vector<std::string> frames;
    while (std::getline(lines, line)) {
        char direction = 0;
        unsigned ms = 0, us = 0;
        int at = 0;
        ASSERT_EQ(sscanf(line.c_str(), "lpgctl: trace +%u.%3u %c %n", &ms, &us, &direction, &at), 3)
            << line;
        frames.push_back(direction + std::string(" ") + line.substr(static_cast<size_t>(at)));
    }
    const std::vector<std::string> expected = {"> 0B 01 01 0D", "< (nothing)", "> 65 01 01 67",
                                               "< 65 01 45 AB"};
    EXPECT_EQ(frames, expected) << traced.err;

    const std::string file = scratchPath("quiet.zs2");
    const CliRun saved = runLpgctl({"-q", "-p", "demo", "save", file});
    const CliRun loaded = runLpgctl({"-q", "-p", "demo", "load", file});
    EXPECT_EQ(saved.code, ExitOk);
    EXPECT_EQ(saved.out + saved.err + loaded.out + loaded.err, "");
    EXPECT_EQ(loaded.code, ExitOk);
    // Errors still come.
    const CliRun failed = runLpgctl({"-q", "-p", "demo", "load", "/nonexistent/x.zs2"});
    EXPECT_EQ(failed.code, ExitBadFile);
    EXPECT_NE(failed.err, "");
    // save -: the same file on standard output.
    const CliRun out = runLpgctl({"-p", "demo", "save", "-"});
    EXPECT_EQ(out.code, ExitOk) << out.err;
    EXPECT_EQ(out.out, readFileBytes(file));
    unlink(file.c_str());
}

}  // namespace

namespace {

TEST(LpgctlConventions, ADashIsStandardOutputWhereACommandWritesAFile) {
    const std::string csv = scratchPath("dash.csv");
    ASSERT_EQ(runLpgctl({"-p", "demo", "log", "--seconds=1", "--out", csv}).code, ExitOk);
    const struct {
        std::vector<std::string> args;
        const char* startsWith;
    } cases[] = {
        {{"-p", "demo", "log", "--seconds", "1", "--out=-"}, "time,ms,engine_speed_rpm,"},
        {{"plot", csv, "--out", "-"}, "\x89PNG\r\n"},
        {{"-p", "demo", "record", "-", "--seconds=1"}, "# lpgctl recording of demo,"},
    };
    for (const auto& c : cases) {
        const CliRun r = runLpgctl(c.args);
        EXPECT_EQ(r.code, ExitOk) << c.args[2] << r.err;
        EXPECT_EQ(r.out.rfind(c.startsWith, 0), 0u) << c.args[2] << r.out.substr(0, 40);
    }
    // No file called "-" was made on the way.
    EXPECT_NE(access("-", F_OK), 0);
    unlink(csv.c_str());
}

}  // namespace
