// The factory reset page under Wine against the simulated controller: the
// frames it sends, the progress bar and the box it ends with, also when the
// controller stops answering part-way.
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "link/blocks.h"
#include "link/link.h"
#include "res/resource.h"
#include "service/reset.h"
#include "shell/text_win.h"
#include "service/reset_page_win.h"
#include "shell/app_state.h"
#include "shell/language.h"
#include "shell/pages_win.h"
#include "shell/shell_win.h"
#include "sim/sim.h"
#include "test_window.h"
#include "tests/sim_frames.h"

namespace {

using simframes::Frame;

struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<Box> boxes;
int recordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    char narrowText[256] = "", narrowCaption[256] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrowText, sizeof narrowText, nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, caption, -1, narrowCaption, sizeof narrowCaption, nullptr,
                        nullptr);
    boxes.push_back({owner, narrowText, narrowCaption, type});
    return IDOK;
}

// A controller whose write replies break off after two bytes.
bool cutWriteReplies(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    return simPortOps.read(h, buf, n == 3 ? 2 : n, done);
}
PortOps cuttingOps() {
    PortOps ops = simPortOps;
    ops.read = cutWriteReplies;
    return ops;
}

using simframes::requestsReceived;
using simframes::writeFrame;

const Frame StatusRead = {0x65, 0x01, 0x01, 0x67}, LiveRead = {0x65, 0x02, 0x02, 0x69},
            ConfigARead = {0x65, 0x03, 0x03, 0x6B}, ConfigBRead = {0x65, 0x04, 0x04, 0x6D},
            ExtendedRead = {0x65, 0x05, 0x05, 0x6F};
const Frame Gen1Reset = {0x65, 0x1E, 0x33, 0xB6}, Gen3Reset = {0x65, 0x1F, 0x33, 0xB7};

// Replies the controller gives before the restore writes: status, live,
// the reset command and the four reads.
const int RepliesBeforeRestore = 7;

HWND makeParent() { return wintest::makeParent(1300, 1000); }

class ResetPage : public testing::Test {
protected:
    HWND parent = nullptr, page = nullptr;
    PortOps cutting = cuttingOps();
    unsigned savedW = 0, savedH = 0;
    int savedSize = 0;

    void SetUp() override {
        savedW = winW, savedH = winH, savedSize = shownSize;
        for (int k = 0; k < LanguageEntries; ++k)
            setLanguageEntry(k, ("T" + std::to_string(k)).c_str());
        boxes.clear();
        resetMessageBox = recordBox;
        parent = makeParent();
        ASSERT_NE(parent, nullptr);
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RESET), parent,
                                  resetPageProc, 0);
        ASSERT_NE(page, nullptr);
    }

    void TearDown() override {
        if (parent) DestroyWindow(parent);
        resetMessageBox = showMessageBox;
        shellWindow().winW = savedW, shellWindow().winH = savedH, appState().shownSize = savedSize;
        resetLinkState();
        useLinkBackend(&simPortOps);
    }

    // A controller of generation gen with the link up, its log cleared.
    void connect(int gen) {
        resetLinkState();
        useLinkBackend(&simPortOps);
        SimConfig config;
        config.generation = gen;
        simPortSetup(config);
        pollStatus();
        ASSERT_EQ(LinkState, LinkStateKind::Up);
        ASSERT_EQ(ControllerGeneration, gen);
        simClearLog();
    }

    void press() {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_RESET_BUTTON, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_RESET_BUTTON)));
    }

    int barPosition() {
        return static_cast<int>(SendDlgItemMessageA(page, IDC_RESET_PROGRESS, PBM_GETPOS, 0, 0));
    }

    void expectOneBox(int entry, UINT icon) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, page);
        EXPECT_EQ(boxes[0].text, "T" + std::to_string(entry));
        EXPECT_EQ(boxes[0].caption, "T137");
        EXPECT_EQ(boxes[0].type & MB_ICONMASK, icon);
    }

    // The restore writes the controller should see, from the blocks the
    // procedure read back.
    static std::vector<Frame> restoreWrites() {
        RestoreEntry table[RestoreCount];
        buildRestoreTable(table);
        std::vector<Frame> writes;
        for (const RestoreEntry& e : table) writes.push_back(writeFrame(e.address + 1, e.value));
        return writes;
    }
};

TEST_F(ResetPage, Generation1SendsTheResetCommandAndIsConfirmedByThree) {
    connect(1);
    press();
    const std::vector<Frame> expected = {StatusRead, LiveRead, Gen1Reset};
    EXPECT_EQ(requestsReceived(), expected);
    expectOneBox(138, MB_ICONINFORMATION);
    EXPECT_EQ(WriteReplyDelay, 0);
}

TEST_F(ResetPage, Generation3ResetsReadsBackAndRestoresEveryParameter) {
    connect(3);
    press();
    std::vector<Frame> expected = {StatusRead,  LiveRead,    Gen3Reset,   LiveRead,
                                   ConfigARead, ConfigBRead, ExtendedRead};
    const std::vector<Frame> writes = restoreWrites();
    expected.insert(expected.end(), writes.begin(), writes.end());
    EXPECT_EQ(requestsReceived(), expected);
    EXPECT_EQ(writes.size(), 33u);
    EXPECT_EQ(barPosition(), 32);
    expectOneBox(138, MB_ICONINFORMATION);
}

TEST_F(ResetPage, ARunningControllerRefusesAndNothingIsWritten) {
    for (int gen : {1, 3}) {
        SCOPED_TRACE(gen);
        boxes.clear();
        connect(gen);
        simPortAdvanceClock(6000);  // the engine has started
        press();
        ASSERT_TRUE(Live.flagsA & FlagsA::Ready);
        const std::vector<Frame> expected = {StatusRead, LiveRead};
        EXPECT_EQ(requestsReceived(), expected);
        expectOneBox(200, MB_ICONERROR);
    }
}

// ---- a controller that stops answering ----

TEST_F(ResetPage, NoLiveBlockThisPressMeansFailedAndNothingWritten) {
    connect(3);
    simSetFault(SimFault::Drop, 1);  // the status poll is answered, the live read not
    press();
    const std::vector<Frame> expected = {StatusRead, LiveRead};
    EXPECT_EQ(requestsReceived(), expected);
    expectOneBox(139, MB_ICONWARNING);
}

TEST_F(ResetPage, WithTheLinkDownNothingIsSent) {
    connect(1);
    simSetFault(SimFault::Silent);
    for (int i = 0; i < 3; ++i) pollStatus();
    ASSERT_EQ(LinkState, LinkStateKind::Down);
    simClearLog();
    press();
    for (const Frame& f : requestsReceived()) EXPECT_EQ(f, StatusRead);
    expectOneBox(139, MB_ICONWARNING);
}

TEST_F(ResetPage, Generation1WithoutAWholeReplyFails) {
    connect(1);
    simSetFault(SimFault::Drop, 2);  // status and live answered, the reset not
    press();
    EXPECT_EQ(requestsReceived().back(), Gen1Reset);
    expectOneBox(139, MB_ICONWARNING);

    // The reply breaks off after its '3'.
    boxes.clear();
    connect(1);
    useLinkBackend(&cutting);
    press();
    EXPECT_EQ(requestsReceived().back(), Gen1Reset);
    EXPECT_EQ(WriteReply.value, '3');
    expectOneBox(139, MB_ICONWARNING);
}

TEST_F(ResetPage, Generation3WritesNothingUnlessAllFourBlocksCameBack) {
    // The controller stops before the first read, and before the last one.
    // A read that gets no answer holds the reads after it.
    const std::vector<Frame> all = {StatusRead,  LiveRead,    Gen3Reset,   LiveRead,
                                    ConfigARead, ConfigBRead, ExtendedRead};
    const struct {
        int answered;
        size_t sent;
    } cases[] = {{3, 4}, {6, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answered);
        boxes.clear();
        connect(3);
        simSetFault(SimFault::Drop, c.answered);
        press();
        EXPECT_EQ(requestsReceived(), std::vector<Frame>(all.begin(), all.begin() + c.sent));
        EXPECT_EQ(barPosition(), 0);
        expectOneBox(139, MB_ICONWARNING);
    }
}

TEST_F(ResetPage, Generation3UnansweredLastWriteFailsEvenWithTheSameValueAsBefore) {
    connect(3);
    // After the reset the last value (minutes on gas) equals the one before
    // it ("WOZG"), so the previous reply would look like a confirmation.
    simState().extended.gasMinutes = 15;
    simSetFault(SimFault::Drop, RepliesBeforeRestore + RestoreCount - 1);
    press();
    const std::vector<Frame> writes = restoreWrites();
    ASSERT_EQ(writes[31][2], writes[32][2]);
    const std::vector<Frame> seen = requestsReceived();
    ASSERT_EQ(seen.size(), 7u + 33u);
    EXPECT_EQ(seen.back(), writes.back());
    EXPECT_EQ(barPosition(), 31);
    expectOneBox(139, MB_ICONWARNING);
}

// ---- keyboard focus ----

TEST_F(ResetPage, OpensWithTheFocusOnTheHeadingNotOnTheResetButton) {
    connect(1);
    HWND focus = GetFocus();
    ASSERT_NE(focus, nullptr);
    EXPECT_NE(focus, GetDlgItem(page, IDC_RESET_BUTTON));
    EXPECT_EQ(focus, GetDlgItem(page, IDC_RESET_LABEL1));

    // Space or Enter typed straight away resets nothing.
    for (WPARAM key : {WPARAM(VK_SPACE), WPARAM(VK_RETURN)}) {
        SendMessageA(focus, WM_KEYDOWN, key, 1);
        SendMessageA(focus, WM_CHAR, key == VK_SPACE ? ' ' : '\r', 1);
        SendMessageA(focus, WM_KEYUP, key, 0xC0000001);
    }
    wintest::pump();
    EXPECT_TRUE(requestsReceived().empty());
    EXPECT_TRUE(boxes.empty());
}

// ---- texts and placement ----

// The page's placement for a size: labels, button and bar (x, y, w, h).
struct ResetPlaces {
    int size;
    RECT label1, label2, button, bar;
};
const ResetPlaces ResetPlacesBySize[] = {
    {1, {65, 90, 800, 40}, {65, 130, 800, 40}, {85, 190, 450, 45}, {85, 250, 450, 25}},
    {2, {150, 130, 800, 40}, {150, 170, 800, 40}, {120, 250, 550, 55}, {120, 320, 550, 30}},
    {3, {250, 150, 800, 40}, {250, 200, 800, 40}, {150, 300, 700, 65}, {150, 390, 700, 40}},
    {4, {360, 250, 800, 40}, {360, 300, 800, 40}, {220, 400, 800, 75}, {220, 500, 800, 50}},
    {5, {360, 300, 800, 40}, {360, 350, 800, 40}, {220, 450, 800, 75}, {220, 550, 800, 50}},
};

void expectPlaced(HWND page, const ResetPlaces& c) {
    const struct {
        int id;
        RECT place;
    } controls[] = {{IDC_RESET_LABEL1, c.label1},
                    {IDC_RESET_LABEL2, c.label2},
                    {IDC_RESET_BUTTON, c.button},
                    {IDC_RESET_PROGRESS, c.bar}};
    for (const auto& k : controls) {
        RECT r;
        GetWindowRect(GetDlgItem(page, k.id), &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, k.place.left) << k.id;
        EXPECT_EQ(r.top, k.place.top) << k.id;
        EXPECT_EQ(r.right - r.left, k.place.right) << k.id;
        EXPECT_EQ(r.bottom - r.top, k.place.bottom) << k.id;
    }
}

TEST_F(ResetPage, CreationSetsTheTextsAndPlacesEveryControlForTheSize) {
    for (const ResetPlaces& c : ResetPlacesBySize) {
        SCOPED_TRACE(c.size);
        appState().shownSize = c.size;
        setLanguageEntry(134, ("label " + std::to_string(c.size)).c_str());
        pageHooks(PageReset).create(page, PageCreation::Shown);
        char text[64];
        GetDlgItemTextA(page, IDC_RESET_LABEL1, text, sizeof text);
        EXPECT_EQ(std::string(text), "label " + std::to_string(c.size));
        GetDlgItemTextA(page, IDC_RESET_BUTTON, text, sizeof text);
        EXPECT_EQ(std::string(text), "T136");
        expectPlaced(page, c);
    }
}

TEST_F(ResetPage, ASizeChangeKeepsThePageAndPlacesItsControlsForTheNewSize) {
    appState().shownSize = 5;
    pageHooks(PageReset).create(page, PageCreation::Shown);
    for (const ResetPlaces& c : ResetPlacesBySize) {
        SCOPED_TRACE(c.size);
        appState().shownSize = c.size;
        EXPECT_TRUE(pageHooks(PageReset).resize(page));
        expectPlaced(page, c);
    }
}

TEST_F(ResetPage, ItsPaintMovesNothingAndSetsNoText) {
    appState().shownSize = 1;
    pageHooks(PageReset).create(page, PageCreation::Shown);
    setLanguageEntry(134, "changed");
    appState().shownSize = 5;
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    char text[64];
    GetDlgItemTextA(page, IDC_RESET_LABEL1, text, sizeof text);
    EXPECT_EQ(std::string(text), "T134");
    expectPlaced(page, ResetPlacesBySize[0]);
}

}  // namespace
