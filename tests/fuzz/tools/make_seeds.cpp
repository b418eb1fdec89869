// Writes the seed corpora of the fuzz targets from real files and frames:
// settings files and ZuvelS.ini as the program writes them, the language
// files, typical port lists as the system reports them, and sessions of the link against the
// simulated controller, recorded both as the link target's port answers and as the simulator
// target's received bytes and times; recordings of the simulator for the replay target, a
// road-test log of it for the road target, and lpgctl command lines.
//
//   make_seeds REPO OUT    (OUT/<target>/<seed>; the committed corpora are
//                           tests/fuzz/corpus/)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "link/blocks.h"
#include "link/parameters.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "shell/app_settings.h"
#include "shell/app_state.h"
#include "shell/language_list.h"
#include "shell/settings_file.h"
#include "tests/sim_frames.h"
#include "config/level_sensor.h"
#include "link/port_enum.h"
#include "sim/replay.h"
#include "sim/sim.h"
#include "cli/road_log.h"
#include "readings/dashboard.h"
#include "tests/fuzz/harness/fuzz_port.h"
#include "tests/fuzz/harness/link_steps.h"
#include "tests/fuzz/harness/page_parts.h"
#include "tests/fuzz/harness/page_ticks.h"
#include "tests/fuzz/harness/port_names.h"

namespace {

std::string outDir;
typedef std::vector<uint8_t> Bytes;

Bytes readAll(const std::string& path) {
    Bytes b;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return b;
    int c;
    while ((c = getc(f)) != EOF) b.push_back(static_cast<uint8_t>(c));
    fclose(f);
    return b;
}

void writeSeed(const char* target, const std::string& name, const Bytes& b) {
    const std::string dir = outDir + "/" + target;
    const std::string mk = "mkdir -p '" + dir + "'";
    if (system(mk.c_str()) != 0) exit(1);
    const std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(b.data(), 1, b.size(), f) != b.size() || fclose(f) != 0) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        exit(1);
    }
}

Bytes withCrLf(const Bytes& b) {
    Bytes out;
    for (uint8_t c : b) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// ---- files ----

void settingsSeeds() {
    const std::string tmp = outDir + "/settings.tmp-seed";
    for (int generation : {1, 3}) {
        simframes::storesFromSimulator(generation);
        if (!writeSettingsFile(tmp.c_str(), settingsFormatFor(generation))) exit(1);
        const Bytes file = readAll(tmp);
        const std::string name = generation == 3 ? "factory.zs2" : "factory.zss";
        writeSeed("settings_file", name, file);
        writeSeed("settings_file", name + ".crlf", withCrLf(file));
    }
    remove(tmp.c_str());
}

void iniSeeds() {
    const std::string tmp = outDir + "/ini.tmp-seed";
    const struct {
        int port;
        const char* code;
    } inis[] = {{1, "pol"}, {12, "ang"}, {256, "cs"}};
    for (const auto& i : inis) {
        linkForTests().CommPort = i.port;
        snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", i.code);
        writeAppSettings(tmp.c_str());
        const Bytes file = readAll(tmp);
        writeSeed("app_settings", std::string("ini-") + i.code, file);
        if (i.port == 12) writeSeed("app_settings", "ini-crlf", withCrLf(file));
    }
    remove(tmp.c_str());
}

void languageSeeds(const std::string& repo) {
    for (const LanguageRow& l : AllLanguages) {
        const Bytes file = readAll(repo + "/res/lang/ZuvelS_lang." + l.code);
        if (file.empty()) exit(1);
        writeSeed("language", l.code, file);
    }
}

// ---- port lists (harness/port_names.h) ----

Bytes portList(uint32_t values, const std::vector<std::string>& names, uint8_t flags = 0) {
    Bytes b = {flags, static_cast<uint8_t>(values >> 8), static_cast<uint8_t>(values & 0xFF)};
    for (const std::string& n : names) {
        b.push_back(static_cast<uint8_t>(n.size()));
        b.insert(b.end(), n.begin(), n.end());
    }
    return b;
}

void portNameSeeds() {
    const std::vector<std::string> typical = {
        "COM3", "COM1", "COM12", "COM256", "COM1234", "\\Device\\Serial0", "", "COMX"};
    writeSeed("port_names", "typical", portList(typical.size(), typical));
    std::vector<std::string> many;
    for (int n = 300; n >= 1; --n) many.push_back("COM" + std::to_string(n));
    writeSeed("port_names", "over-256", portList(many.size(), many));
    writeSeed("port_names", "unreadable", portList(2, {"COM1", "COM2"}, PortListUnreadable));
    // A value filling the data to the cap, unterminated, then numbers for
    // the sort with the top bit set.
    Bytes b = portList(1, {});
    b.push_back(PortNameUnterminated | PortNameDataSize);
    const std::string longName = "COM9" + std::string(PortNameDataSize - 4, '7');
    b.insert(b.end(), longName.begin(), longName.end());
    b.push_back(PortNumbersFollow);
    for (uint32_t v : {0x80000001u, 5u, 0xFFFFFFFFu, 5u, 0u})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
    writeSeed("port_names", "long-unterminated", b);
}

// ---- sessions: the link against the simulator, recorded ----

Bytes linkInput;  // as the fuzz port will answer
Bytes simInput;   // as the simulator target will feed the model
uint32_t simLastMs;

enum { SimReceive, SimSmallStep, SimJump, SimTake };  // sim_fuzz.cpp's steps

void simTime() {
    uint32_t d = simPortNow() - simLastMs;
    while (d > 0) {
        const uint32_t ms = d > 255 ? 255 : d;
        simInput.insert(simInput.end(), {SimSmallStep, static_cast<uint8_t>(ms)});
        d -= ms;
        simLastMs += ms;
    }
}

PortId recOpen(const char* path) {
    const PortId h = simPortOps.open(path);
    linkInput.push_back(h == InvalidPort ? 0x80 : 0x00);
    return h;
}
bool recSettings(PortId h, const PortSettings& s) { return simPortOps.applySettings(h, s); }
bool recTimeouts(PortId h, const PortTimeouts& t) { return simPortOps.applyTimeouts(h, t); }
bool recPurge(PortId h, unsigned what) { return simPortOps.purge(h, what); }
// The simulated port fails only on a handle that isn't open, where the fuzz
// port takes no byte either.
bool recWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    simTime();
    const bool ok = simPortOps.write(h, buf, n, done);
    if (!ok) return false;
    if (n == 4) fuzzport::notifyFrame(buf);
    simInput.insert(simInput.end(), {SimReceive, static_cast<uint8_t>(n)});
    simInput.insert(simInput.end(), buf, buf + n);
    linkInput.push_back(0x00);
    return true;
}
bool recRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = simPortOps.read(h, buf, n, done);
    if (!ok) return false;
    simTime();
    simInput.insert(simInput.end(), {SimTake, static_cast<uint8_t>(n)});
    linkInput.push_back(static_cast<uint8_t>(*done));
    linkInput.insert(linkInput.end(), buf, buf + *done);
    return true;
}
void recClose(PortId h) { simPortOps.close(h); }
uint32_t recTicks() { return simPortOps.tickCount(); }
void recSleep(uint32_t ms) { simPortOps.sleepMs(ms); }

const PortOps recordingOps = PortOps::called("recording")
                                 .withOpen(recOpen)
                                 .withSettings(recSettings)
                                 .withTimeouts(recTimeouts)
                                 .withPurge(recPurge)
                                 .withWrite(recWrite)
                                 .withRead(recRead)
                                 .withClose(recClose)
                                 .withTickCount(recTicks)
                                 .withSleep(recSleep);

void emptyErrorBox() { linkInput.push_back(0); }  // no ticks inside the box

FuzzInput none(nullptr, 0);

void runStep(LinkStep s, std::initializer_list<uint8_t> own = {}) {
    linkInput.push_back(static_cast<uint8_t>(s));
    linkInput.insert(linkInput.end(), own);
    switch (s) {
    case StepPoll: pollStatus(); break;
    case StepReadLive: readLiveBlock(); break;
    case StepReadConfigA: readConfigABlock(); break;
    case StepReadConfigB: readConfigBBlock(); break;
    case StepReadExtended: readExtendedBlock(); break;
    case StepWrite: writeParameter(own.begin()[0], own.begin()[1]); break;
    case StepTick: {
        // The page's own bytes come after the page index (none: no action);
        // a tick reads them all before its first exchange.
        if (own.size() == 1) linkInput.push_back(0);
        FuzzInput mine(own.begin() + 1, own.size() - 1);
        runPageTick(own.begin()[0], own.size() == 1 ? none : mine);
        break;
    }
    case StepSaveReads: refreshBlocksForSave(settingsFormatFor(own.begin()[0] & 1 ? 3 : 1)); break;
    default: break;
    }
}

void beginSession(int generation, SimFault fault) {
    linkInput.assign(1, 0);  // write reply delay 0
    simPortUseRealTime(false);
    SimConfig config;
    config.generation = generation;
    config.fault = fault;
    config.dropAfter = 6;
    simPortSetup(config);
    simLastMs = simPortNow();
    simInput = {static_cast<uint8_t>((generation == 3 ? 1 : 0) | (5 << 2)),
                static_cast<uint8_t>(fault)};
    useLinkBackend(&recordingOps);
    linkHooks.error = emptyErrorBox;
    resetLinkState();
    resetPageTicks();
}

void endSession(const char* name, bool simSeed = true) {
    resetLinkState();
    writeSeed("link", name, linkInput);
    if (simSeed) writeSeed("sim", name, simInput);
}

void session(const char* name, int generation, SimFault fault, bool learn) {
    beginSession(generation, fault);
    for (int i = 0; i < 10; ++i) runStep(StepTick, {0});
    if (learn) runStep(StepWrite, {Addr::Command, CmdLearn});
    runStep(StepWrite, {Addr::AttMax, 33});
    runStep(StepSaveReads, {static_cast<uint8_t>(generation == 3 ? 1 : 0)});
    runStep(StepReadExtended);
    for (int i = 0; i < 4; ++i) runStep(StepPoll);
    endSession(name);
}

void ticks(int page, int n) {
    for (int i = 0; i < n; ++i) runStep(StepTick, {static_cast<uint8_t>(page)});
}

// Every choice of a page: action byte k + 1 picks control k, then index 1
// (for a box: checked). Every action carries all the bytes its tick reads.
void everyControl(int page, int controls) {
    for (int k = 0; k < controls; ++k)
        runStep(StepTick, {static_cast<uint8_t>(page), static_cast<uint8_t>(k + 1), 1});
}

void configPages() {
    ticks(PageIndexConfig, 3);
    everyControl(PageIndexConfig, 15);            // the lists and the two boxes
    runStep(StepTick, {PageIndexConfig, 16, 0});  // the level sensor button
    ticks(PageIndexLevelSensor, 2);
    runStep(StepTick, {PageIndexLevelSensor, 1, 2});  // the third mode
    // Bar 1: a line right with the timer firing inside the movement, then a
    // page left.
    runStep(StepTick,
            {PageIndexLevelSensor, 2, 0, 1, ScrollLineRight | 0x80, 0, ScrollPageLeft, 0});
    runStep(StepTick, {PageIndexLevelSensor, 3});  // the factory button
    runStep(StepTick, {PageIndexConfig, 4, 0});    // constructed emulation: its dialog
    ticks(PageIndexLambdaEmulation, 2);
    runStep(StepTick, {PageIndexLambdaEmulation, 1, 9});
    runStep(StepTick, {PageIndexLambdaEmulation, 2, 254});
    runStep(StepTick, {PageIndexLambdaEmulation, 3});  // a paint
    ticks(PageIndexOptions, 3);
    everyControl(PageIndexOptions, 17);            // the lists and the five boxes
    runStep(StepTick, {PageIndexOptions, 18, 0});  // the corrections button
    ticks(PageIndexCorrections, 2);
    for (uint8_t row = 1; row <= 4; ++row) runStep(StepTick, {PageIndexCorrections, row, 6});
}

void servicePages() {
    ticks(PageIndexScope, 6);
    runStep(StepTick, {PageIndexScope, 1, 0, 0});   // cursor mode
    runStep(StepTick, {PageIndexScope, 2, 3, 0});   // a page right
    runStep(StepTick, {PageIndexScope, 2, 4, 60});  // the thumb
    runStep(StepTick, {PageIndexScope, 3, 0, 0});   // a paint
    runStep(StepTick, {PageIndexScope, 1, 0, 0});   // back to the live traces
    runStep(StepTick, {PageIndexScope, 4, 2, 0});   // size 3
    ticks(PageIndexScope, 4);
    runStep(StepTick, {PageIndexScope, 5, 0x01, 0x88});  // column 593: the wrap comes
    ticks(PageIndexScope, 5);
    ticks(PageIndexDeviceInfo, 2);
    // Date button twice (2015-12-31), registration twice ("AB12"), clear,
    // another day, a month of the lists; each with the whole of its input.
    const std::vector<std::vector<uint8_t>> actions = {{1}, {1}, {2}, {2}, {3}, {4}, {5}};
    for (const auto& a : actions) {
        std::vector<uint8_t> own = {
            PageIndexDeviceInfo, a[0], 15, 11, 30, 4, 'A', 'B', '1', '2', 34, 2, 29};
        linkInput.push_back(StepTick);
        linkInput.insert(linkInput.end(), own.begin(), own.end());
        FuzzInput mine(own.data() + 1, own.size() - 1);
        runPageTick(own[0], mine);
    }
    ticks(PageIndexReset, 1);
    runStep(StepTick, {PageIndexReset, 1});  // the button
    ticks(PageIndexReadings, 2);
}

// Every page and dialog against a controller that answers, with each of
// their actions once.
void pagesSession(const char* name, int generation) {
    beginSession(generation, SimFault::None);
    ticks(PageIndexReadings, 4);
    configPages();
    servicePages();
    // Too long a session for the simulator target: its scenario would spend
    // the run's time on the simulated seconds between the frames.
    endSession(name, false);
}

// The simulator's clock stepping back 4 s, then across its wrap, with a
// status request after each.
void jumpSeed() {
    const Bytes status = {SimReceive, 4, 0x65, 0x01, 0x01, 0x67, SimTake, 8};
    Bytes b = {0x01 | (5 << 2) | 0x80, 0, SimJump, 0xFF, 0xFF, 0xF0, 0x00};
    b.insert(b.end(), status.begin(), status.end());
    b.insert(b.end(), {SimJump, 0xFF, 0xFF, 0xFF, 0x00});
    b.insert(b.end(), status.begin(), status.end());
    writeSeed("sim", "gen3-jumps", b);
}

// ---- recordings, road-test logs and command lines ----

// The simulated controller of generation with fault, on a clock of its own,
// as the link's port.
void startSim(int generation, SimFault fault) {
    SimConfig config;
    config.generation = generation;
    config.fault = fault;
    config.dropAfter = 6;
    simPortUseRealTime(false);
    simPortSetup(config);
    resetLinkState();
    useLinkBackend(&simPortOps);
}

// What f holds, from its start; f is closed.
std::string textOf(FILE* f) {
    std::string text;
    rewind(f);
    for (int c; (c = getc(f)) != EOF;) text += char(c);
    fclose(f);
    return text;
}

// The readings page's polls of the simulated controller for ms, recorded.
std::string simRecording(int generation, SimFault fault, uint32_t ms) {
    startSim(generation, fault);
    FILE* f = tmpfile();
    if (!f) exit(1);
    recordingStart(&simPortOps, f, "demo", "2026-01-01T08:00:00.000+01:00");
    useLinkBackend(&recordingPortOps);
    pollStatus();
    readLiveBlock();
    readConfigABlock();
    readConfigBBlock();
    if (generation == 3) readExtendedBlock();
    for (uint32_t t = 0; t < ms; t += 50) {
        readingsPollTick();
        simPortAdvanceClock(50);
    }
    resetLinkState();
    return textOf(f);
}

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

void replaySeeds() {
    writeSeed("replay", "gen3", bytesOf(simRecording(3, SimFault::None, 600)));
    writeSeed("replay", "gen1", bytesOf(simRecording(1, SimFault::None, 300)));
    writeSeed("replay", "gen3-drop", bytesOf(simRecording(3, SimFault::Drop, 600)));
    // The recording, then steps (replay_fuzz.cpp): the round, a write, a
    // wait, a jump across the clock's wrap, a close, a poll.
    Bytes b = bytesOf(simRecording(3, SimFault::None, 300));
    b.insert(b.end(), {0, 0, 1, 2, 3, 4, 5, 20, 7, 6, 100, 7, 0xFF, 0xFF, 0xFF, 0x00, 8, 0});
    writeSeed("replay", "gen3-steps", b);
}

volatile std::sig_atomic_t noStop = 0;

std::string roadLog(int generation, SimFault fault, uint32_t seconds) {
    startSim(generation, fault);
    FILE* f = tmpfile();
    if (!f) exit(1);
    bool failed = false;
    runRoadLog(RoadLogRun{f, nullptr, seconds, &noStop, false}, &failed);
    resetLinkState();
    return textOf(f);
}

void roadSeeds() {
    writeSeed("road", "gen3.csv", bytesOf(roadLog(3, SimFault::None, 2)));
    writeSeed("road", "gen1-drop.csv", bytesOf(roadLog(1, SimFault::Drop, 2)));
    // Columns moved and a quoted cell, as a spreadsheet saves it.
    writeSeed("road", "moved.csv",
              bytesOf("ms,on_gas,link_up,time,engine_speed_rpm,lambda_v,throttle_v,position,"
                      "reference_position,reducer_temp_c,note\n"
                      "0,1,1,2026-01-01T08:00:00.000+01:00,800,0.4,1.2,100,90,35,\"a, \"\"b\"\"\"\n"
                      "50,0,0,,,,,,,,\n"
                      "100,1,1,,2500,0.9,3.5,140,90,36,\n"));
}

void commandLine(const char* name, std::initializer_list<const char*> words) {
    Bytes b;
    for (const char* w : words) {
        b.insert(b.end(), w, w + strlen(w));
        b.push_back(0);
    }
    writeSeed("command_line", name, b);
}

void commandLineSeeds() {
    commandLine("status", {"--port", "demo:1", "status"});
    commandLine("dump", {"dump", "--json", "--port=replay:drive.txt"});
    commandLine("log", {"--port", "ttyUSB0", "log", "--seconds", "30", "--out", "a.csv", "--plot",
                        "a.png"});
    commandLine("plot", {"plot", "a.csv", "--out", "a.png"});
    commandLine("record", {"record", "drive.txt", "--seconds", "864000", "--port", "/dev/x"});
    commandLine("help", {"help", "diff"});
    commandLine("command-help", {"scan", "COM3", "demo", "-h"});
    commandLine("bad-port", {"--port", "demo:2", "diff", "a.zs2", "-"});
    commandLine("com", {"--port", "COM12", "save", "x.zs2"});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_seeds REPO OUT\n");
        return 2;
    }
    outDir = argv[2];
    const std::string mk = "mkdir -p '" + outDir + "'";
    if (system(mk.c_str()) != 0) return 1;
    fillSettingsKeyTables();
    settingsSeeds();
    iniSeeds();
    languageSeeds(argv[1]);
    portNameSeeds();
    session("gen3", 3, SimFault::None, true);
    session("gen1", 1, SimFault::None, false);
    session("gen3-garbage", 3, SimFault::Garbage, false);
    session("gen1-short", 1, SimFault::Short, false);
    session("gen3-drop", 3, SimFault::Drop, false);
    session("gen3-echo", 3, SimFault::Echo, false);
    pagesSession("pages-gen3", 3);
    pagesSession("pages-gen1", 1);
    jumpSeed();
    replaySeeds();
    roadSeeds();
    commandLineSeeds();
    return 0;
}
