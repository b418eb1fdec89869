// Port enumeration and the port search step over the scripted port.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "link/port_enum.h"
#include "link/port_search.h"
#include "scripted_port.h"

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using scripted::Call;

namespace {

// A port list held in memory, standing in for the registry.
struct NameList {
    bool opens = true;
    std::vector<std::string> names;
    uint32_t valuesAsked = 0;
    bool closed = false;
};

bool listOpen(void* c) { return static_cast<NameList*>(c)->opens; }
bool listValue(void* c, uint32_t index, char* data, size_t cap) {
    NameList* list = static_cast<NameList*>(c);
    ++list->valuesAsked;
    if (index >= list->names.size()) return false;
    snprintf(data, cap, "%s", list->names[index].c_str());
    return true;
}
void listClose(void* c) { static_cast<NameList*>(c)->closed = true; }

PortNameSource sourceOf(NameList& list) { return {listOpen, listValue, listClose, &list}; }

std::vector<uint32_t> found(int count) {
    return std::vector<uint32_t>(FoundPorts, FoundPorts + (count > 0 ? count : 0));
}

const Bytes Probe = {0x0B, 0x01, 0x01, 0x0D};
const Bytes StatusRequest = {0x65, 0x01, 0x01, 0x67};
const Bytes Gen3Status = {0x65, 0x00, 0x45, 0xAA};  // generation 3, variant 5

}  // namespace

TEST(PortNames, NumberIsUpToThreeDigitsAfterTheFirstThreeCharacters) {
    const struct {
        const char* name;
        uint32_t number;
    } cases[] = {
        {"COM5", 5}, {"COM12", 12}, {"COM123", 123}, {"COM1234", 123},
        {"COM", 0},  {"COMX1", 0},  {"COM7a", 7},    {"XYZ42", 42},
        {"CO", 0},   {"", 0},       {"COM007", 7},   {"COM999", 999},
    };
    for (const auto& c : cases) EXPECT_EQ(portNumberFromName(c.name), c.number) << c.name;
}

TEST(PortNames, EnumerationSortsAscendingAndClosesTheList) {
    NameList list;
    list.names = {"COM3", "COM1", "COM12", "COM3", "COMX"};
    const int n = enumeratePorts(sourceOf(list));
    EXPECT_EQ(found(n), (std::vector<uint32_t>{0, 1, 3, 3, 12}));
    EXPECT_TRUE(list.closed);
}

TEST(PortNames, AListThatCannotBeOpenedGivesMinusOne) {
    NameList list;
    list.opens = false;
    EXPECT_EQ(enumeratePorts(sourceOf(list)), -1);
    EXPECT_EQ(list.valuesAsked, 0u);
}

TEST(PortNames, OnlyTheFirst256ValuesAreKeptButAllAreRead) {
    NameList list;
    for (int n = 300; n >= 1; --n) list.names.push_back("COM" + std::to_string(n));
    const int count = enumeratePorts(sourceOf(list));
    ASSERT_EQ(count, MaxFoundPorts);
    EXPECT_EQ(list.valuesAsked, 301u);  // up to the "no more values" answer
    // The first 256 values are COM300 down to COM45.
    EXPECT_EQ(FoundPorts[0], 45u);
    EXPECT_EQ(FoundPorts[MaxFoundPorts - 1], 300u);
}

TEST(PortNames, MarkCodeIsTenPlusThePortUpToNineElseTwenty) {
    const int cases[][2] = {{0, 10}, {1, 11}, {9, 19}, {10, 20}, {12, 20}, {256, 20}, {-1, 20}};
    for (const auto& c : cases) EXPECT_EQ(portMarkCodeFor(c[0]), c[1]) << c[0];
}

class PortSearch : public ::testing::Test {
protected:
    const PortOps* savedPort = nullptr;
    NameList list;

    void SetUp() override {
        savedPort = LinkPort;
        useLinkBackend(&scriptedPortOps);
        scripted::reset();
        resetLinkState();
        resetPortSearch();
        linkForTests().CommPort = 7;
        portSearchOpen();
    }
    void TearDown() override {
        resetLinkState();
        useLinkBackend(savedPort);
    }

    void begin(std::vector<std::string> names) {
        list.names = std::move(names);
        ASSERT_GT(portSearchBegin(sourceOf(list)), 0);
        scripted::clearLog();
    }

    // One timer tick; returns the port tried (0 when none) and whether it answered.
    bool tick(uint32_t* tried = nullptr) {
        const SearchTry t = portSearchNext();
        if (tried) *tried = t.step == SearchStep::Trying ? t.port : 0;
        return t.step == SearchStep::Trying && portSearchProbe(t.port);
    }

    // Frames written on the port opened with path, in order.
    std::vector<Bytes> framesOn(const std::string& path) {
        std::vector<Bytes> frames;
        PortId handle = InvalidPort;
        for (const scripted::Event& e : scripted::log()) {
            if (e.call == Call::Open) handle = e.path == path ? e.handle : InvalidPort;
            if (e.call == Call::Write && e.ok && e.handle == handle && handle != InvalidPort)
                frames.push_back(e.bytes);
        }
        return frames;
    }
};

TEST_F(PortSearch, EchoingAndSilentPortsArePassedOverAndTheThirdAnswers) {
    begin({"COM3", "COM1", "COM2"});
    scripted::queueReply(Probe);  // COM1 hands the probe back
    scripted::queueSilence();     // COM2: nothing to the probe, the status or its repeat
    scripted::queueSilence();
    scripted::queueSilence();
    scripted::queueSilence();  // COM3: nothing to the probe, then its status
    scripted::queueReply(Gen3Status);
    linkForTests().LinkFailed = true;
    linkForTests().EchoChecked = true;

    uint32_t tried = 0;
    EXPECT_FALSE(tick(&tried));
    EXPECT_EQ(tried, 1u);
    EXPECT_TRUE(portSearch.holdsPages);
    EXPECT_FALSE(tick(&tried));
    EXPECT_EQ(tried, 2u);
    EXPECT_TRUE(tick(&tried));
    EXPECT_EQ(tried, 3u);

    EXPECT_EQ(framesOn("\\\\.\\COM1"), (std::vector<Bytes>{Probe}));
    EXPECT_EQ(framesOn("\\\\.\\COM2"), (std::vector<Bytes>{Probe, StatusRequest, StatusRequest}));
    EXPECT_EQ(framesOn("\\\\.\\COM3"), (std::vector<Bytes>{Probe, StatusRequest}));
    EXPECT_EQ(scripted::count(Call::Open), scripted::count(Call::Close));

    EXPECT_EQ(Bytes(blockBytes(Status), blockBytes(Status) + 4), Gen3Status);
    EXPECT_TRUE(StatusValid);
    EXPECT_EQ(generationOf(Status.identity), 3);
    EXPECT_EQ(CommPort, 3);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM3");
    EXPECT_FALSE(portSearch.searchRunning);
    EXPECT_EQ(portSearch.searchIndex, 2);  // not advanced past the find
    EXPECT_FALSE(portSearch.holdsPages);
    EXPECT_FALSE(PortOpen);
    EXPECT_FALSE(LinkFailed);
    EXPECT_FALSE(EchoChecked);

    scripted::clearLog();
    EXPECT_FALSE(tick(&tried));  // idle again: ticks do nothing
    EXPECT_TRUE(scripted::log().empty());
}

TEST_F(PortSearch, EachPortIsOpenedAndSetUpAsTheLinkDoes) {
    begin({"COM4"});
    scripted::queueSilence();
    scripted::queueReply(Gen3Status);
    ASSERT_TRUE(tick());
    const Lines expected = {
        "open \\\\.\\COM4",      "settings", "timeouts", "purge 4", "purge 8",
        "write 0B 01 01 0D",     "read 4",   "purge 4",  "purge 8", "write 65 01 01 67",
        "read 4 -> 65 00 45 AA", "close",
    };
    EXPECT_EQ(scripted::trace(), expected);
    const scripted::Event& settings = scripted::log()[1];
    EXPECT_EQ(settings.settings.flags, LinkPortSettings.flags);
    EXPECT_EQ(settings.settings.baudRate, 9600u);
    EXPECT_EQ(scripted::log()[2].timeouts.readTotalConstant, 100u);
}

TEST_F(PortSearch, AShortOrWrongStatusIsAskedOnceMore) {
    const struct {
        Bytes first;
        Bytes repeat;
        bool found;
    } cases[] = {
        {{0x65, 0x00}, Gen3Status, true},              // short, then whole
        {{0x66, 0x00, 0x45, 0xAB}, Gen3Status, true},  // wrong lead, then right
        {{}, {0x65, 0x00, 0x45, 0xAB}, false},         // bad sum on the repeat
        {{}, {}, false},                               // nothing twice
        // A short first reply that would sum right with the empty rest must
        // not stand in for a silent repeat.
        {{0x65, 0x9B}, {}, false},
    };
    for (const auto& c : cases) {
        scripted::reset();
        resetLinkState();
        begin({"COM2"});
        scripted::queueSilence();  // probe
        scripted::queueReply(c.first);
        scripted::queueReply(c.repeat);
        EXPECT_EQ(tick(), c.found) << ::testing::PrintToString(c.first);
        EXPECT_EQ(scripted::framesWritten(),
                  (std::vector<Bytes>{Probe, StatusRequest, StatusRequest}));
        // Before the repeat: receive, then transmit.
        const Lines t = scripted::trace();
        const Lines beforeRepeat(t.begin() + 11, t.begin() + 13);
        EXPECT_EQ(beforeRepeat, (Lines{"purge 8", "purge 4"}));
    }
}

TEST_F(PortSearch, AnOpenOf2000MsOrMoreIsSkippedUnconfigured) {
    const struct {
        uint32_t openMs;
        bool probed;
    } cases[] = {{1999, true}, {2000, false}, {5000, false}};
    for (const auto& c : cases) {
        scripted::reset();
        begin({"COM5"});
        scripted::setOpenDuration(c.openMs);
        scripted::queueSilence();
        scripted::queueReply(Gen3Status);
        EXPECT_EQ(tick(), c.probed) << c.openMs;
        EXPECT_EQ(scripted::count(Call::Settings), c.probed ? 1u : 0u);
        EXPECT_EQ(scripted::count(Call::Write), c.probed ? 2u : 0u);
        EXPECT_FALSE(PortOpen);
        EXPECT_FALSE(LinkFailed);  // the search itself never gives up on the link
    }
}

TEST_F(PortSearch, NumbersAboveThePortTableAreNeverOpened) {
    begin({"COM300", "COM257"});
    uint32_t tried = 0;
    EXPECT_FALSE(tick(&tried));
    EXPECT_EQ(tried, 257u);
    EXPECT_FALSE(tick(&tried));
    EXPECT_EQ(tried, 300u);
    EXPECT_EQ(scripted::count(Call::Open), 0u);
    EXPECT_EQ(scripted::count(Call::Write), 0u);
}

TEST_F(PortSearch, TheListRunsOutWithoutAFind) {
    begin({"COM1"});
    linkForTests().FailureCount = 2;
    EXPECT_FALSE(tick());
    EXPECT_EQ(FailureCount, 0);
    const SearchTry last = portSearchNext();
    EXPECT_EQ(last.step, SearchStep::Exhausted);
    EXPECT_FALSE(portSearch.searchRunning);
    EXPECT_TRUE(portSearch.holdsPages);  // until the dialog closes
    EXPECT_EQ(CommPort, 7);
    EXPECT_EQ(portSearchNext().step, SearchStep::Idle);
}

TEST_F(PortSearch, NoPortsOrNoListStartsNothing) {
    list.names = {"COM1", "COM2", "COM3", "COM4"};
    ASSERT_EQ(portSearchBegin(sourceOf(list)), 4);
    portSearchOpen();
    list.names = {};
    EXPECT_EQ(portSearchBegin(sourceOf(list)), 0);
    EXPECT_FALSE(portSearch.searchRunning);
    EXPECT_EQ(portSearch.searchSize, 0);
    list.opens = false;
    EXPECT_EQ(portSearchBegin(sourceOf(list)), -1);
    EXPECT_FALSE(portSearch.searchRunning);
    EXPECT_EQ(portSearchNext().step, SearchStep::Idle);
    EXPECT_TRUE(scripted::log().empty());
}

TEST_F(PortSearch, ListSelectionSwitchesAtOnceAndOkOrCancelDecide) {
    linkForTests().LinkFailed = linkForTests().EchoChecked = true;
    portSearchChoose(11);  // "COM 12"
    EXPECT_EQ(CommPort, 12);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM12");
    EXPECT_FALSE(LinkFailed);
    EXPECT_FALSE(EchoChecked);
    EXPECT_FALSE(portSearch.holdsPages);

    linkForTests().LinkFailed = true;
    portSearchKeep(2);
    EXPECT_EQ(CommPort, 3);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM3");
    EXPECT_TRUE(LinkFailed);  // Ok and Cancel leave the link's verdict alone

    portSearchCancel();
    EXPECT_EQ(CommPort, 7);
    EXPECT_STREQ(SelectedPortPath, "\\\\.\\COM7");
    EXPECT_TRUE(LinkFailed);
}

TEST_F(PortSearch, KeepingTheSamePortKeepsWhatTheStoresHold) {
    begin({"COM2"});
    scripted::queueSilence();
    scripted::queueReply(Gen3Status);
    ASSERT_TRUE(tick());
    portSearchKeep(1);
    EXPECT_TRUE(StatusValid);
    portSearchCancel();  // back to COM7: another controller
    EXPECT_FALSE(StatusValid);
}

TEST_F(PortSearch, OkAndCancelCloseAnOpenPortAndLetThePagesPoll) {
    for (int ok = 0; ok < 2; ++ok) {
        scripted::reset();
        portSearchOpen();
        openPort();
        ASSERT_TRUE(PortOpen);
        ok ? portSearchKeep(0) : portSearchCancel();
        EXPECT_FALSE(PortOpen);
        EXPECT_FALSE(portSearch.holdsPages);
        EXPECT_EQ(scripted::count(Call::Close), 1u);
    }
}
