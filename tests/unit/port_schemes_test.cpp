// The port schemes' rows held to what each of them claims: its example reads
// back to it, its backend is whole, and the usage, the refusals and the
// shell completion name it.
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "link/port_backends.h"
#include "link/port_grammar.h"
#include "shell/start_options.h"
#include "tests/unit/cli_process.h"

namespace {

// The usage without its line breaks.
std::string unwrapped(std::string text) {
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

// What bash prints for script after sourcing the completion.
std::string bashSays(const std::string& script) {
    const std::string command = "bash -c 'source \"" ZUVELS_SOURCE_DIR
                                "/cli/completion.bash\"; _LPGCTL_BY_ID=/nonexistent; " +
                                script + "' 2>&1";
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return "popen failed";
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

// The lines of text that aren't a device of this machine.
std::set<std::string> formsIn(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("/dev/", 0) != 0) lines.insert(line);
    return lines;
}

}  // namespace

TEST(PortSchemes, EveryRowReadsBackItsOwnExampleUnderEachPrefix) {
    for (const PortScheme& row : portSchemes()) {
        PortName name;
        std::string error;
        ASSERT_TRUE(parsePortName(row.example, &name, &error)) << row.name << ": " << error;
        EXPECT_EQ(name.scheme, &row) << row.example;
        EXPECT_FALSE(name.path.empty()) << row.example;
        // The example's own prefix swapped for each of the row's others.
        const char* own = row.prefixes[0] ? row.prefixes[0] : "";
        const std::string rest = std::string(row.example).substr(strlen(own));
        for (const char* prefix : row.prefixes) {
            if (!prefix || !strchr(prefix, ':')) continue;
            const std::string text = prefix + rest;
            EXPECT_EQ(portSchemeOf(text.c_str()), &row) << text;
        }
    }
}

TEST(PortSchemes, EveryRowsBackendIsWholeOnceRegistered) {
    // As the window and lpgctl do before they choose.
    const PortOps* serial = PortScheme::Serial->ops;
    registerPortBackend(PortScheme::Serial, &posixPortOps, nullptr);
    registerInProcessBackends();
    for (const PortScheme& row : portSchemes()) {
        ASSERT_NE(row.ops, nullptr) << row.name;
        EXPECT_TRUE(row.ops->complete()) << row.name;
        EXPECT_NE(row.read, nullptr) << row.name;
    }
    registerPortBackend(PortScheme::Serial, serial, nullptr);
}

TEST(PortSchemes, UsageAndRefusalNameEveryRowWithinTheWidth) {
    const std::string usage = portUsageText(83);
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 83u) << line;
    PortName name;
    std::string refusal;
    ASSERT_FALSE(parsePortName("nothing://", &name, &refusal));
    for (const PortScheme& row : portSchemes()) {
        EXPECT_NE(unwrapped(usage).find(row.help), std::string::npos) << row.name;
        EXPECT_NE(refusal.find(row.forms), std::string::npos) << row.name;
        if (row.prefixes[0]) {
            EXPECT_NE(usage.find(row.prefixes[0]), std::string::npos) << row.name;
        }
    }
}

TEST(PortSchemes, CompletionOffersEveryRowsFormsAndTheirFiles) {
    std::set<std::string> expected;
    for (const PortScheme& row : portSchemes()) {
        std::istringstream words(row.completions);
        for (std::string w; words >> w;) expected.insert(w);
    }
    EXPECT_EQ(formsIn(bashSays("_lpgctl_ports \"\"")), expected);

    const std::string dir = scratchPath("completion");
    mkdir(dir.c_str(), 0755);
    fclose(fopen((dir + "/drive.rec").c_str(), "w"));
    for (const PortScheme& row : portSchemes()) {
        if (!row.completesFiles) continue;
        const std::string typed = row.prefixes[0] + dir + "/dr";
        EXPECT_EQ(formsIn(bashSays("_lpgctl_ports \"" + typed + "\"")),
                  std::set<std::string>{row.prefixes[0] + dir + "/drive.rec"})
            << row.name;
    }
}
