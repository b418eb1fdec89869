// lpgctl's command line on any words: --port taken out wherever it stands,
// the help forms and the command found (cli/command_line.h), the port's
// grammar (parsePortChoice) and the road commands' options, each held to
// what the result must say. Nothing is run: the target stops where lpgctl
// would choose a backend, open a port or touch a file (harness/cli_stubs.h).
//
// Input: the words after "lpgctl", each ended by a zero byte (at most 16).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/connect.h"
#include "cli/road_options.h"
#include "link/port_grammar.h"
#include "tests/fuzz/harness/cli_stubs.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

enum { MaxWords = 16 };

bool isPortWord(const char* w) { return strcmp(w, "--port") == 0 || !strncmp(w, "--port=", 7); }
bool isHelpWord(const char* w) { return strcmp(w, "--help") == 0 || strcmp(w, "-h") == 0; }

// True when p points into one of the words (a --port value is never copied).
bool pointsIntoWords(const char* p, const std::vector<std::string>& words, char** argv) {
    for (size_t i = 0; i < words.size(); ++i)
        if (p >= argv[i + 1] && p <= argv[i + 1] + words[i].size()) return true;
    return false;
}

bool anyLineBreak = false;  // in the words, which messages quote as given

// Every stop says why in one line; a success says nothing.
void checkMessage(bool ok, int before) {
    FUZZ_CHECK(failureCount() == before + (ok ? 0 : 1));
    if (ok) return;
    FUZZ_CHECK(!lastFailure().empty());
    FUZZ_CHECK(anyLineBreak || lastFailure().find('\n') == std::string::npos);
}

void checkLine(const CommandLine& line, const std::vector<std::string>& words, char** argv) {
    const bool stopped = line.asks == CommandLineAsks::Usage;
    // A stop says why in one line, but for a command line left empty (nothing,
    // "--", or only the program's options), which shows the help.
    if (stopped && line.words.empty())
        FUZZ_CHECK(failureCount() <= 1);
    else
        checkMessage(!stopped, 0);
    // Without "--" every --port is taken as an option; after one, a word is
    // a word (a file may be named --port).
    const bool optionsEnd = std::find(words.begin(), words.end(), "--") != words.end();
    if (!optionsEnd && (!stopped || line.words.empty()))
        for (char* w : line.words) FUZZ_CHECK(!isPortWord(w));
    if (line.args.port) FUZZ_CHECK(pointsIntoWords(line.args.port, words, argv));
    if (line.asks == CommandLineAsks::CommandHelp) FUZZ_CHECK(line.command != nullptr);
    if (line.asks != CommandLineAsks::Run) return;
    FUZZ_CHECK(line.command && strcmp(line.command->name, line.words[0]) == 0);
    FUZZ_CHECK(line.args.argc == int(line.words.size()) - 1);
    if (optionsEnd) return;
    for (int i = 0; i < line.args.argc; ++i) FUZZ_CHECK(!isHelpWord(line.args.argv[i]));
}

void checkPort(const char* text) {
    PortChoice choice;
    std::string error;
    const int before = failureCount();
    const bool ok = parsePortChoice(text, &choice, &error);
    FUZZ_CHECK(failureCount() == before);
    if (!ok) {
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
        return;
    }
    const PortScheme* row = choice.name.scheme;
    FUZZ_CHECK(row && portSchemeOf(text) == row);
    if (row == PortScheme::Demo) {
        FUZZ_CHECK(!strcmp(text, "demo") || !strcmp(text, "demo:1") || !strcmp(text, "demo:3"));
        FUZZ_CHECK(choice.name.demoGeneration == (strcmp(text, "demo:1") == 0 ? 1 : 3));
    } else if (row == PortScheme::Replay) {
        FUZZ_CHECK(strncmp(text, "replay:", 7) == 0 && choice.path == text + 7);
        FUZZ_CHECK(!choice.path.empty());
    } else if (row == PortScheme::Serial) {
        FUZZ_CHECK(*text != '\0' && strncmp(text, "demo:", 5) != 0 && !strstr(text, "://"));
        FUZZ_CHECK(choice.path == (strchr(text, '/') ? text : "/dev/" + std::string(text)));
        FUZZ_CHECK(choice.number == 0);  // COMn is a Windows name, refused here
    } else {
        // Every other row is a network port, opened by its whole name.
        FUZZ_CHECK(isNetworkScheme(row) && choice.path == text);
    }
    // Here lpgctl would choose the backend and open the port: the target stops.
}

void checkRoadOptions(const CommandLine& line, const std::vector<std::string>& words, char** argv) {
    const char* name = line.command->name;
    if (strcmp(name, "log") && strcmp(name, "plot") && strcmp(name, "record")) return;
    RoadOptions o;
    const int before = failureCount();
    const bool ok = readRoadOptions(name, line.args, &o);
    checkMessage(ok, before);
    if (!ok) return;
    FUZZ_CHECK(o.seconds >= 0 && o.seconds <= 864000);
    for (const char* p : {o.out, o.plot, o.input})
        if (p) FUZZ_CHECK(pointsIntoWords(p, words, argv));
    if (!strcmp(name, "log")) FUZZ_CHECK(!o.input);
    if (!strcmp(name, "plot")) FUZZ_CHECK(o.input && o.out && !o.plot && o.seconds == 0);
    if (!strcmp(name, "record")) FUZZ_CHECK(o.input && !o.out && !o.plot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words;
    for (size_t at = 0; at < size && words.size() < MaxWords;) {
        const void* z = memchr(data + at, 0, size - at);
        const size_t end = z ? size_t(static_cast<const uint8_t*>(z) - data) : size;
        words.emplace_back(reinterpret_cast<const char*>(data + at), end - at);
        at = end + 1;
    }
    std::vector<char*> argv = {const_cast<char*>("lpgctl")};
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    anyLineBreak = false;
    for (const std::string& w : words) anyLineBreak |= w.find('\n') != std::string::npos;

    clearFailures();
    CommandLine line;
    readCommandLine(int(words.size()) + 1, argv.data(), nullptr, &line);
    checkLine(line, words, argv.data());
    if (line.args.port) checkPort(line.args.port);
    if (line.asks == CommandLineAsks::Run) checkRoadOptions(line, words, argv.data());
    return 0;
}
